// The simplex conic fit on arbitrary points and starting coefficients, NaN and infinity
// included. It must end within its pass limit and never read or write out of bounds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "binding/simplex_fit.h"
#include "worksheet/lumo_doc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Four starting coefficients, then up to 100 (x, y) points, all as raw doubles.
    constexpr size_t kDouble = sizeof(double);
    if (size < lumo::kConicParams * kDouble) return 0;
    lumo::Conic start{};
    for (size_t j = 0; j < lumo::kConicParams; ++j) {
        std::memcpy(&start[j], data + j * kDouble, kDouble);
    }
    data += lumo::kConicParams * kDouble;
    size -= lumo::kConicParams * kDouble;
    const size_t n = std::min<size_t>(size / (2 * kDouble), lumo::kMaxPoints);
    std::vector<double> x(n), y(n);
    for (size_t i = 0; i < n; ++i) {
        std::memcpy(&x[i], data + 2 * i * kDouble, kDouble);
        std::memcpy(&y[i], data + (2 * i + 1) * kDouble, kDouble);
    }
    // A smaller pass limit keeps each input quick; the limit itself is what is exercised.
    const lumo::ConicFit fit = lumo::FitConicSimplex(x, y, start, nullptr, 2000);
    if (fit.passes < 1 || fit.passes > 2000) std::abort();
    if (!fit.converged && fit.passes != 2000) std::abort();
    return 0;
}
