// Arbitrary bytes as doubles, split into groups, through the rank tests, the one-way analyses,
// Grubbs' test and Shapiro-Wilk directly: whatever the finite values (ties, huge and tiny ones,
// groups of one), no crash, no hang, and every p-value in [0, 1] or not a number. The readers
// stop at an infinite value before any of these runs, so none is fed here.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "stats/anova.h"
#include "stats/grubbs.h"
#include "stats/kruskal_wallis.h"
#include "stats/mann_whitney.h"
#include "stats/shapiro_wilk.h"
#include "stats/signed_rank.h"

namespace lumo {

void CheckP(double p) {
    if (!std::isnan(p) && !(p >= 0.0 && p <= 1.0)) std::abort();
}

}  // namespace lumo

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first byte picks the number of groups (2 to 5); the rest are doubles, dealt to the
    // groups in turn. Small byte values make small, tied numbers often.
    const int k = 2 + data[0] % 4;
    std::vector<std::vector<double>> groups(static_cast<size_t>(k));
    size_t at = 1;
    int g = 0;
    while (at < size) {
        double v;
        if (data[at] < 0x80) {
            v = data[at] % 16;
            at += 1;
        } else if (at + sizeof(double) < size) {
            std::memcpy(&v, data + at + 1, sizeof(double));
            at += 1 + sizeof(double);
        } else {
            break;
        }
        groups[static_cast<size_t>(g)].push_back(std::isfinite(v) ? v : 0.0);
        g = (g + 1) % k;
    }
    // Long inputs would only time the exact distributions' tables.
    for (auto& group : groups) {
        if (group.size() > 200) group.resize(200);
    }

    using lumo::CheckP;
    const lumo::MannWhitney mw = lumo::MannWhitneyTest(groups[0], groups[1]);
    CheckP(mw.p);
    const lumo::SignedRank sr = lumo::SignedRankTest(groups[0], groups[1]);
    CheckP(sr.p);
    const lumo::ShapiroWilk sw = lumo::ShapiroWilkTest(groups[0]);
    CheckP(sw.p);
    if (groups[0].size() >= 3) CheckP(lumo::GrubbsTest(groups[0]).first.p);
    bool eachTwo = true;
    for (const auto& group : groups) eachTwo = eachTwo && group.size() >= 2;
    if (eachTwo) {
        const lumo::KruskalWallis kw = lumo::KruskalWallisTest(groups);
        CheckP(kw.p);
        for (const lumo::DunnPair& d : kw.dunn) CheckP(d.pAdjusted);
        const lumo::Anova anova = lumo::OneWayAnova(groups);
        CheckP(anova.p);
        CheckP(anova.welchP);
        for (const lumo::TukeyPair& t : anova.tukey) CheckP(t.p);
    }
    return 0;
}
