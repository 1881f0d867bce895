// The graph drawing algorithm lives here.
