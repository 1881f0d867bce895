// The direct least-squares fits (Michaelis–Menten, binding, dose–response) on arbitrary (x, y)
// points, NaN, infinity and negative values included. Each fit must end within its evaluation cap,
// never present a result without its errors, and never read or write out of bounds.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "binding/binding_fit.h"
#include "binding/dose_response.h"
#include "binding/michaelis_menten_fit.h"
#include "worksheet/lumo_doc.h"

namespace {

void Check(const lumo::CurveFit& fit) {
    if (fit.iterations < 0 || fit.iterations > lumo::kMaxFitEvaluations) std::abort();
    if (fit.HasErrors()) {
        if (!fit.Converged() || fit.standardErrors.size() != fit.parameters.size()) std::abort();
        for (const double se : fit.standardErrors) {
            if (!std::isfinite(se) || se < 0.0) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kDouble = sizeof(double);
    const size_t n = std::min<size_t>(size / (2 * kDouble), lumo::kMaxPoints);
    if (n == 0) return 0;
    std::vector<double> x(n), y(n);
    for (size_t i = 0; i < n; ++i) {
        std::memcpy(&x[i], data + 2 * i * kDouble, kDouble);
        std::memcpy(&y[i], data + (2 * i + 1) * kDouble, kDouble);
    }
    Check(lumo::FitMichaelisMenten(x, y).fit);
    const lumo::BindingFit binding = lumo::FitBinding(x, y);
    Check(binding.oneSite);
    if (binding.twoSiteTried) Check(binding.twoSite);
    if (binding.preferTwoSites && !binding.twoSiteUsable) std::abort();
    if (binding.twoSiteDetermined && !binding.twoSiteUsable) std::abort();

    // The dose-response curve takes x as log10 concentrations; a usable curve has its errors,
    // Bottom below Top, and reads back every response strictly between them.
    const lumo::DoseResponseFit dose = lumo::FitDoseResponse(x, y);
    Check(dose.fit);
    if (dose.usable) {
        const std::vector<double>& p = dose.fit.parameters;
        if (!dose.fit.HasErrors() || !(p[0] <= p[1])) std::abort();
        for (const double response : y) {
            const double c = lumo::InterpolateConcentration(p, response);
            if (!std::isnan(c) && !(c > 0.0)) std::abort();
        }
    }
    return 0;
}
