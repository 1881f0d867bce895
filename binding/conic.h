// The conic of the two-site Scatchard analysis, A·x² + B·x·y + y² + C·x + D·y = 0, and the two
// straight lines (its asymptotes) that stand for the two classes of binding sites.
#pragma once

#include <array>
#include <cstddef>

namespace lumo {

// The coefficients A, B, C, D in this order. The y² coefficient is 1 and there is no constant
// term, so every such conic passes through the origin.
using Conic = std::array<double, 4>;
constexpr std::size_t kConicParams = 4;

struct ConicPoint {
    double x = 0.0;
    double y = 0.0;
};

// The asymptotes y = −m1·x + m1·b1 and y = −m2·x + m2·b2 with m1 ≥ m2. In Scatchard terms line
// k has the slope −mk, so Ka = mk (Kd = 1/mk), and crosses the x axis at Bmax = bk.
struct ConicLines {
    double m1 = 0.0;
    double b1 = 0.0;
    double m2 = 0.0;
    double b2 = 0.0;
};

// The conic through four points, by Gauss-Jordan elimination without row exchanges. A zero
// pivot (for instance two points on one line through the origin) gives non-finite coefficients.
Conic SolveConicThroughPoints(const ConicPoint& p1, const ConicPoint& p2, const ConicPoint& p3,
                              const ConicPoint& p4);

// The asymptotes of the conic. An ellipse (B·B < 4·A), two parallel asymptotes or A = 0 give
// non-finite lines.
ConicLines ConicAsymptotes(const Conic& conic);

}  // namespace lumo
