// Binding and kinetics analyses live here.
