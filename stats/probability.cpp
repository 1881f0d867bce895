#include "stats/probability.h"

#include <cmath>
#include <limits>

namespace lumo {
namespace {

constexpr double kTwoOverPi = 0.6366197723675394;
constexpr double kOneOverPi = 0.3183098861837697;

bool IsOdd(int n) {
    return n % 2 != 0;
}

}  // namespace

double ProbFUpper(int df1, int df2, double f) {
    if (df1 < 1 || df2 < 1) return std::numeric_limits<double>::quiet_NaN();
    if (!(f > 0.0)) return 1.0;
    // The series below need df1 even, or both odd; swapping the roles of the two degrees of
    // freedom turns the odd/even case into an even/odd one.
    if (IsOdd(df1) && !IsOdd(df2)) return 1.0 - ProbFUpper(df2, df1, 1.0 / f);

    const double n1 = df1;
    const double n2 = df2;
    // x = 1/(1 + r) and y = 1 - x = r/(1 + r). Taking y from the second form keeps its
    // precision when f is small, where 1 - x would cancel to a few significant digits.
    const double r = f * n1 / n2;
    const double x = 1.0 / (1.0 + r);
    const double y = std::isinf(r) ? 1.0 : r / (1.0 + r);

    if (!IsOdd(df1)) {
        double term = std::pow(x, n2 * 0.5);
        double sum = term;
        for (int i = 2; i < df1; i += 2) {
            term = term * y * (i + n2 - 2.0) / i;
            sum += term;
        }
        return sum;
    }

    // Both odd: an angle term plus two finite sums.
    double theta = std::atan(std::sqrt(n2 / (n1 * f)));
    double a = std::sqrt(x * y);
    for (int i = 3; i <= df1; i += 2) {
        theta += a;
        a = a * y * (i - 1) / i;
    }
    double b = a * n1;
    for (int i = 3; i <= df2; i += 2) {
        theta -= b;
        b = b * x * (i + n1 - 2.0) / i;
    }
    return theta * kTwoOverPi;
}

double ProbTLower(int df, double t) {
    if (df < 1) return std::numeric_limits<double>::quiet_NaN();
    const double n = df;
    // d = df/(df + t^2); 1 - d is taken as t^2/(df + t^2), which keeps its precision for
    // small t where 1 - d would cancel.
    const double t2 = t * t;
    const double d = n / (n + t2);
    double term = std::isinf(t2) ? 1.0 : std::sqrt(t2 / (n + t2));
    if (t < 0.0) term = -term;

    double sum = 0.0;
    for (int i = IsOdd(df) ? 3 : 2; i <= df; i += 2) {
        sum += term;
        term = term * d * (i - 1) / i;
    }
    if (IsOdd(df)) return (std::atan(t / std::sqrt(n)) + std::sqrt(d) * sum) * kOneOverPi + 0.5;
    return (sum + 1.0) * 0.5;
}

double ProbTUpper(int df, double t) {
    return 1.0 - ProbTLower(df, t);
}

}  // namespace lumo
