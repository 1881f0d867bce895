// The graph's drawing algorithm on an arbitrary plot record: any count, marks, NaN, infinities
// and huge values, on screen and for printing. It must finish quickly and draw only coordinates
// it could compute.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "graph/plot_drawing.h"
#include "graph/recording_surface.h"
#include "worksheet/lumo_doc.h"

namespace {

// Reads the next value of type T from the input, or leaves it as it is when the input ends.
template <typename T>
void Take(const uint8_t*& data, size_t& size, T& value) {
    if (size < sizeof(T)) return;
    std::memcpy(&value, data, sizeof(T));
    data += sizeof(T);
    size -= sizeof(T);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    lumo::CLumoDoc doc;
    uint8_t header = 0;
    Take(data, size, header);
    doc.m_nScatchard = header & 1;
    doc.m_nLineweaver = (header >> 1) & 1;
    const bool printing = (header >> 2) & 1;
    Take(data, size, doc.m_nCount);
    for (double* field : {&doc.m_dXMax, &doc.m_dYMax, &doc.m_dXMin, &doc.m_dKa1, &doc.m_dBmax1,
                          &doc.m_dKa2, &doc.m_dBmax2, &doc.m_dLbSlope, &doc.m_dLbIntercept}) {
        Take(data, size, *field);
    }
    for (int i = 0; i < lumo::kMaxPoints && size > 0; ++i) {
        Take(data, size, doc.m_dX[i]);
        Take(data, size, doc.m_dY[i]);
        uint8_t mark = 0;
        Take(data, size, mark);
        doc.m_nMark[i] = mark & 1;
    }
    lumo::RecordingSurface surface(printing, 440);
    lumo::DrawPlot(doc, surface);
    // Bounded work whatever the span: a few segments per pixel column at most.
    if (surface.Primitives().size() > 1000000) std::abort();
    // The scales add a few hundred primitives at most, whatever the extents.
    const std::size_t plain = surface.Primitives().size();
    surface.Clear();
    lumo::DrawPlot(doc, surface, lumo::PlotOptions{true});
    if (surface.Primitives().size() > plain + 1000) std::abort();
    return 0;
}
