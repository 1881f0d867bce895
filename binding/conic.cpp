#include "binding/conic.h"

#include <cmath>

namespace lumo {

Conic SolveConicThroughPoints(const ConicPoint& p1, const ConicPoint& p2, const ConicPoint& p3,
                              const ConicPoint& p4) {
    // Each point gives the row [x², x·y, x, y | −y²] of the augmented matrix.
    double m[4][5];
    const ConicPoint* points[4] = {&p1, &p2, &p3, &p4};
    for (int k = 0; k < 4; ++k) {
        const double x = points[k]->x;
        const double y = points[k]->y;
        m[k][0] = x * x;
        m[k][1] = x * y;
        m[k][2] = x;
        m[k][3] = y;
        m[k][4] = -(y * y);
    }
    // Pivots are taken as they come, with no row exchanges, so that the coefficients agree to
    // the last digit with the reports users already have. A zero pivot is not caught: the
    // coefficients become non-finite and the report shows it.
    for (int r = 0; r < 4; ++r) {
        const double pivot = m[r][r];
        for (int c = 0; c < 5; ++c) m[r][c] /= pivot;
        for (int i = 0; i < 4; ++i) {
            if (i == r) continue;
            const double f = m[i][r];
            for (int c = r; c < 5; ++c) m[i][c] -= f * m[r][c];
        }
    }
    return {m[0][4], m[1][4], m[2][4], m[3][4]};
}

ConicLines ConicAsymptotes(const Conic& conic) {
    const double a = conic[0];
    const double b = conic[1];
    const double c = conic[2];
    const double d = conic[3];
    // The quadratic part factors as (y + m1·x)(y + m2·x).
    const double s = std::sqrt(b * b - a * 4.0);
    ConicLines lines;
    lines.m1 = (b + s) * 0.5;
    lines.m2 = (b - s) * 0.5;
    const double g = -(c / a);
    lines.b1 = (lines.m2 * g + d) / (lines.m2 - lines.m1);
    lines.b2 = (-d - g * lines.m1) / (lines.m2 - lines.m1);
    return lines;
}

}  // namespace lumo
