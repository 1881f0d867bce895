// The two-site binding curve of the Scatchard plot: the bound/free ratio of two independent
// site classes as a function of the bound amount, sampled at every whole data unit of x from
// the smallest x read and drawn as a polyline in the graph pane.
#pragma once

#include <cstdint>
#include <vector>

#include "graph/plot_painter.h"

namespace lumo {

struct TwoSiteCurve {
    double ka1 = 0.0;
    double bmax1 = 0.0;
    double ka2 = 0.0;
    double bmax2 = 0.0;

    // The bound/free ratio at bound amount `e`; NaN where the site constants give no real
    // value there.
    double Ratio(double e) const;
};

// The samples E = first, first + 1.0, first + 2.0, ... while E < limit, each computed by adding
// 1.0 to the previous one in double precision, exactly as a loop would, but addressable by
// index without walking through them. The sequence ends early where adding 1.0 no longer
// changes E (beyond 2^53), so it is always finite.
class UnitSteps {
  public:
    UnitSteps(double first, double limit);

    std::int64_t Size() const { return m_size; }
    // Sample n, 0 <= n < Size().
    double At(std::int64_t n) const;
    // Index of the last sample not above `e`; -1 when there is none.
    std::int64_t LastAtOrBelow(double e) const;

  private:
    // Samples start, start + 1, ..., start + (count - 1), all exact sums.
    struct Run {
        double start = 0.0;
        std::int64_t offset = 0;
        std::int64_t count = 0;
    };
    std::vector<Run> m_runs;
    std::int64_t m_size = 0;
};

// Pixel columns farther than this left or right of the pane's left edge are never on a screen
// or a page.
constexpr double kOffPaneX = 32000.0;

// Draws the curve through (X(E) + originX, originY - Y(Ratio(E))) for the samples E of
// UnitSteps(xMin, xMax), continuing the polyline from the painter's current position (the
// caller moves to the curve's start on the y axis first). X and Y divide by `sx` and `sy` and
// truncate toward zero.
//
// Samples that fall in the same pixel column are merged into the vertical extent they cover,
// so the cost depends on the number of columns, not on the span of x: the pixels are those of
// one segment per sample. A stretch of samples beyond kOffPaneX is passed over: the segment
// from the start to its first sample and the one from its last sample on are drawn, those in
// between, which cannot be seen, are not.
void DrawTwoSiteCurve(PlotPainter& painter, const TwoSiteCurve& curve, double xMin, double xMax,
                      double sx, double sy, double originX, double originY);

}  // namespace lumo
