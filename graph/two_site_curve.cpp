#include "graph/two_site_curve.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace lumo {
namespace {

constexpr double kTwoPow53 = 9007199254740992.0;
// Columns with at most this many samples are drawn from every sample.
constexpr std::int64_t kDenseColumn = 16;

double AsDouble(std::int64_t n) {
    return static_cast<double>(n);
}

// How many further steps of +1.0 from `e` are exact, so that e + j (j up to the result) is what
// repeated addition gives. Inexact steps happen where the sum enters a binade with a coarser
// spacing (and when crossing zero); those are taken one at a time.
std::int64_t ExactSteps(double e) {
    if (!(std::fabs(e) < kTwoPow53)) {
        return 0;  // spacing above 1.0 (or not finite): each step rounds
    }
    if (e < 0.0) {
        // Moving towards zero the spacing only gets finer, so every sum down to the last
        // non-positive one is exact.
        return static_cast<std::int64_t>(std::floor(-e));
    }
    if (e < 1.0) {
        return 0;
    }
    int exponent = 0;
    std::frexp(e, &exponent);
    const double binadeEnd = std::ldexp(1.0, exponent);  // binadeEnd - e is exact
    return static_cast<std::int64_t>(std::ceil(binadeEnd - e)) - 1;
}

// The number of j in [0, limit) with e + j < bound, knowing that e < bound and that the sums are
// exact.
std::int64_t CountBelow(double e, std::int64_t limit, double bound) {
    std::int64_t lo = 1;  // e + (lo - 1) < bound
    std::int64_t hi = limit;
    while (lo < hi) {
        const std::int64_t mid = lo + (hi - lo + 1) / 2;
        if (e + AsDouble(mid - 1) < bound) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return lo;
}

// Real roots of a·t² + b·t + c = 0 and the vertex of the parabola, as places where the curve
// may turn or start; non-finite results are dropped by the caller.
void AddQuadraticRoots(double a, double b, double c, std::vector<double>& out) {
    if (a == 0.0) {
        if (b != 0.0) {
            out.push_back(-c / b);
        }
        return;
    }
    out.push_back(-b / (2.0 * a));
    const double disc = b * b - 4.0 * a * c;
    if (!(disc >= 0.0)) {
        return;
    }
    const double q = -0.5 * (b + std::copysign(std::sqrt(disc), b));
    out.push_back(q / a);
    if (q != 0.0) {
        out.push_back(c / q);
    }
}

// Where the ratio of a two-site curve can change direction or stop being real: the zeros of
// the discriminant under its square root, and the zeros of its derivative. Between two such
// places the curve is monotone, so the first and last sample of a pixel column bound all the
// samples in between.
std::vector<double> TurningPlaces(const TwoSiteCurve& c) {
    // Ratio = (sqrt(D) - F) / 2 with F = a·E + w and D = alpha·E² + beta·E + gamma.
    const double a = c.ka1 + c.ka2;
    const double p = c.ka1 * c.ka2;
    const double w = -(c.ka1 * c.bmax1) - (c.ka2 * c.bmax2);
    const double alpha = a * a - 4.0 * p;
    const double beta = 2.0 * a * w + 4.0 * p * (c.bmax1 + c.bmax2);
    const double gamma = w * w;
    std::vector<double> places;
    AddQuadraticRoots(alpha, beta, gamma, places);
    // Ratio' = 0 where D' = 2a·sqrt(D); squared: -16p·(alpha·E² + beta·E) + beta² - 4a²·gamma.
    AddQuadraticRoots(-16.0 * p * alpha, -16.0 * p * beta, beta * beta - 4.0 * a * a * gamma,
                      places);
    std::erase_if(places, [](double e) { return !std::isfinite(e); });
    std::sort(places.begin(), places.end());
    return places;
}

// Where a sample's pixel row stands: unusable because the ratio is NaN, beyond the 32-bit
// range on either side, or inside it. Along a monotone stretch of the curve the kind can only
// go from one side through kInside to the other.
enum class RowKind { kNan, kBelow, kInside, kAbove };

struct Sample {
    std::int64_t index = 0;
    double row = 0.0;  // the pixel row, when kind is kInside
    RowKind kind = RowKind::kNan;
};

bool SameColumn(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

class CurveDrawer {
  public:
    CurveDrawer(PlotPainter& painter, const TwoSiteCurve& curve, const UnitSteps& steps, double sx,
                double sy, double originX, double originY)
        : m_painter(painter),
          m_curve(curve),
          m_steps(steps),
          m_sx(sx),
          m_sy(sy),
          m_originX(originX),
          m_originY(originY),
          m_turningPlaces(TurningPlaces(curve)) {}

    void Draw() {
        const std::int64_t size = m_steps.Size();
        if (size == 0) {
            return;
        }
        // The samples beyond the side of the pane come first (the columns move monotonically
        // towards the axis end at x = xMax). Only the segments into and out of that stretch can
        // reach the pane.
        std::int64_t first = 0;
        if (!NearPane(0)) {
            std::int64_t lo = 0;
            std::int64_t hi = size;
            while (hi - lo > 1) {
                const std::int64_t mid = lo + (hi - lo) / 2;
                (NearPane(mid) ? hi : lo) = mid;
            }
            first = hi;
            DrawSampleTo(Evaluate(0), Column(0), false);
            if (first > 1) {
                DrawSampleTo(Evaluate(first - 1), Column(first - 1), true);
            }
        }
        for (std::int64_t n = first; n < size;) {
            const std::int64_t last = LastInColumn(n);
            DrawColumn(n, last);
            n = last + 1;
        }
    }

  private:
    double ColumnKey(std::int64_t n) const { return std::trunc(m_steps.At(n) / m_sx); }
    double Column(std::int64_t n) const { return PixelCount(m_steps.At(n), m_sx) + m_originX; }
    bool NearPane(std::int64_t n) const {
        const double x = ColumnKey(n) + m_originX;
        return x >= -kOffPaneX && x <= kOffPaneX;
    }

    Sample Evaluate(std::int64_t n) const {
        Sample s;
        s.index = n;
        const double q = m_curve.Ratio(m_steps.At(n)) / m_sy;
        if (std::isnan(q)) {
            return s;
        }
        const double count = Trunc32(q);
        s.row = m_originY - count;
        if (std::isnan(count)) {
            s.kind = q > 0.0 ? RowKind::kAbove : RowKind::kBelow;
        } else if (!FitsInt32(s.row)) {
            s.kind = RowKind::kBelow;
        } else {
            s.kind = RowKind::kInside;
        }
        return s;
    }

    void DrawSampleTo(const Sample& s, double x, bool move) {
        const double y = s.kind == RowKind::kInside ? s.row : std::nan("");
        if (move) {
            m_painter.MoveTo(x, y);
        } else {
            m_painter.LineTo(x, y);
        }
    }

    // The last sample in the same pixel column as sample n: columns are monotone along the
    // samples, so gallop and then bisect.
    std::int64_t LastInColumn(std::int64_t n) const {
        const double key = ColumnKey(n);
        const std::int64_t size = m_steps.Size();
        std::int64_t same = n;
        std::int64_t step = 1;
        std::int64_t other = size;
        while (same < size - 1) {
            const std::int64_t probe = size - 1 - same > step ? same + step : size - 1;
            if (!SameColumn(ColumnKey(probe), key)) {
                other = probe;
                break;
            }
            same = probe;
            step *= 2;
        }
        while (other - same > 1) {
            const std::int64_t mid = same + (other - same) / 2;
            (SameColumn(ColumnKey(mid), key) ? same : other) = mid;
        }
        return same;
    }

    // The samples of a column that decide its pixels: all of them in a sparse column; in a
    // dense one its ends, the neighbours of every place where the curve may turn, and the
    // samples on both sides of every change of RowKind.
    std::vector<Sample> DecisiveSamples(std::int64_t first, std::int64_t last) const {
        std::vector<std::int64_t> picks;
        if (last - first < kDenseColumn) {
            for (std::int64_t n = first; n <= last; ++n) {
                picks.push_back(n);
            }
        } else {
            picks = {first, last};
            const double from = m_steps.At(first);
            const double to = m_steps.At(last);
            for (const double place : m_turningPlaces) {
                if (place < from - 1.0 || place > to + 1.0) {
                    continue;
                }
                const std::int64_t near = m_steps.LastAtOrBelow(place);
                for (std::int64_t n = near - 1; n <= near + 2; ++n) {
                    if (n >= first && n <= last) {
                        picks.push_back(n);
                    }
                }
            }
            std::sort(picks.begin(), picks.end());
            picks.erase(std::unique(picks.begin(), picks.end()), picks.end());
        }

        std::vector<Sample> out;
        out.reserve(picks.size() + 4);
        for (const std::int64_t n : picks) {
            const Sample next = Evaluate(n);
            while (!out.empty() && out.back().kind != next.kind &&
                   next.index - out.back().index > 1) {
                // Bisect for the first sample whose kind differs from the previous pick.
                const Sample from = out.back();
                Sample lo = from;
                Sample hi = next;
                while (hi.index - lo.index > 1) {
                    const Sample mid = Evaluate(lo.index + (hi.index - lo.index) / 2);
                    (mid.kind == from.kind ? lo : hi) = mid;
                }
                if (lo.index != from.index) {
                    out.push_back(lo);
                }
                if (hi.index == next.index) {
                    break;
                }
                out.push_back(hi);
            }
            out.push_back(next);
        }
        return out;
    }

    void DrawColumn(std::int64_t first, std::int64_t last) {
        const double x = Column(first);
        if (!FitsInt32(x)) {
            m_painter.ForgetPosition();
            return;
        }
        // A run of usable samples covers the rows between its lowest and highest; draw that
        // extent once, entering at the run's first row and leaving at its last, as the
        // segments from sample to sample would.
        bool open = false;
        double enter = 0.0;
        double low = 0.0;
        double high = 0.0;
        double leave = 0.0;
        auto flush = [&] {
            if (!open) {
                return;
            }
            open = false;
            m_painter.LineTo(x, enter);
            double at = enter;
            auto to = [&](double row) {
                if (row != at) {
                    m_painter.LineTo(x, row);
                    at = row;
                }
            };
            if (leave == high) {
                to(low);
                to(high);
            } else if (leave == low) {
                to(high);
                to(low);
            } else {
                to(low);
                to(high);
                to(leave);
            }
        };
        for (const Sample& s : DecisiveSamples(first, last)) {
            if (s.kind != RowKind::kInside) {
                flush();
                m_painter.ForgetPosition();
                continue;
            }
            if (!open) {
                open = true;
                enter = low = high = leave = s.row;
            } else {
                low = std::min(low, s.row);
                high = std::max(high, s.row);
                leave = s.row;
            }
        }
        flush();
    }

    PlotPainter& m_painter;
    const TwoSiteCurve& m_curve;
    const UnitSteps& m_steps;
    double m_sx;
    double m_sy;
    double m_originX;
    double m_originY;
    std::vector<double> m_turningPlaces;
};

}  // namespace

double TwoSiteCurve::Ratio(double e) const {
    const double w = -(ka1 * bmax1) - (ka2 * bmax2);
    const double f = e * (ka1 + ka2) + w;
    const double g = e * e * ka2 * ka1 - e * ka2 * ka1 * (bmax1 + bmax2);
    return (std::sqrt(f * f - 4.0 * g) - f) * 0.5;
}

UnitSteps::UnitSteps(double first, double limit) {
    double e = first;
    while (e < limit) {
        const std::int64_t exact = ExactSteps(e);
        const std::int64_t count = CountBelow(e, exact + 1, limit);
        m_runs.push_back({e, m_size, count});
        m_size += count;
        if (count <= exact) {
            break;  // reached the limit inside the run
        }
        const double last = e + AsDouble(exact);
        const double next = last + 1.0;
        if (!(next > last)) {
            break;  // adding 1.0 no longer advances
        }
        e = next;
    }
}

double UnitSteps::At(std::int64_t n) const {
    auto run = std::upper_bound(m_runs.begin(), m_runs.end(), n,
                                [](std::int64_t i, const Run& r) { return i < r.offset; });
    --run;
    return run->start + AsDouble(n - run->offset);
}

std::int64_t UnitSteps::LastAtOrBelow(double e) const {
    std::int64_t lo = -1;  // At(lo) <= e, or lo = -1
    std::int64_t hi = m_size;
    while (hi - lo > 1) {
        const std::int64_t mid = lo + (hi - lo) / 2;
        (At(mid) <= e ? lo : hi) = mid;
    }
    return lo;
}

void DrawTwoSiteCurve(PlotPainter& painter, const TwoSiteCurve& curve, double xMin, double xMax,
                      double sx, double sy, double originX, double originY) {
    const UnitSteps steps(xMin, xMax);
    CurveDrawer(painter, curve, steps, sx, sy, originX, originY).Draw();
}

}  // namespace lumo
