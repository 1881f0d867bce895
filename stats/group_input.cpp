#include "stats/group_input.h"

#include <cmath>

#include "stats/shapiro_wilk.h"
#include "stats/t_test_report.h"
#include "worksheet/detail_text.h"

namespace lumo {
namespace {

constexpr char kNoSeparatorPrompt[] =
    "各データを縦一列に入力し、群の間を////で区切って下さい。\r\n";
constexpr char kGroupCountPrompt[] =
    "この検定は%d群から%d群までのデータを比べます。群の間の区切り（////"
    "）の数を合わせて下さい。\r\n";
constexpr char kTwoGroupsPrompt[] =
    "この検定は２群の比較です。２群の間の区切り（////）は１行だけにして下さい。\r\n";
constexpr char kEmptyGroupPrompt[] =
    "第%d群にデータがありません。区切り（////）の前後にデータを入力して下さい。\r\n";
constexpr char kGroupOfOnePrompt[] =
    "%d行目：第%d群のデータが１つだけです。各群に２つ以上のデータを入力して下さい。\r\n";
constexpr char kConstantPrompt[] =
    "全てのデータが同じ値です。ばらつきのないデータは検定できません。\r\n";
constexpr char kOneGroupPrompt[] =
    "この検定は１群のデータを調べます。区切り（////）を除いて下さい。\r\n";
constexpr char kThreeValuesPrompt[] = "データを縦一列に３つ以上入力して下さい。\r\n";
constexpr char kTooManyGroupsPrompt[] = "群の数が多すぎます。比べられるのは%d群までです。\r\n";
constexpr char kNotFinitePrompt[] = "%d行目の値は大きすぎて計算できません。\r\n";
constexpr char kPairCountPrompt[] =
    "対応のあるデータを２組以上、１行に１組ずつ、カンマかタブで区切って入力して下さい。\r\n";

// An overflowing number (1e999) reads as infinite; no rank or mean can be made of it.
bool CheckFinite(AnalysisContext& ctx, const std::vector<double>& values,
                 const std::vector<int>& lines) {
    for (size_t i = 0; i < values.size(); ++i) {
        if (!std::isfinite(values[i])) {
            ctx.AppendPrompt(Format(kNotFinitePrompt, lines[i] + 1));
            return false;
        }
    }
    return true;
}

bool AllEqual(const std::vector<std::vector<double>>& groups) {
    const double* first = nullptr;
    for (const auto& g : groups) {
        for (const double& v : g) {
            if (first == nullptr) first = &v;
            if (!(v == *first)) return false;
        }
    }
    return true;
}

// The reading with the checks every group analysis shares; false when it stopped.
bool ReadGroupsChecked(AnalysisContext& ctx, GroupData* out) {
    const GroupValues reading = ReadGroupValues(ctx.Sheet(), kMaxDataRows);
    if (!ctx.AcceptReading(reading)) return false;
    size_t total = 0;
    for (const ValueGroup& g : reading.groups) {
        if (!CheckFinite(ctx, g.values, g.lines)) return false;
        total += g.values.size();
        out->values.push_back(g.values);
        out->lines.push_back(g.lines);
        out->titles.push_back(g.title);
    }
    // The reader's capacity is per group; the analyses take kMaxDataRows values in all.
    if (total > static_cast<size_t>(kMaxDataRows)) {
        ctx.AppendOverCapacityPrompt(kMaxDataRows);
        return false;
    }
    return true;
}

bool CheckValues(AnalysisContext& ctx, const GroupData& data, size_t minimum) {
    for (size_t g = 0; g < data.values.size(); ++g) {
        const int number = static_cast<int>(g) + 1;
        if (data.values[g].empty()) {
            ctx.AppendPrompt(Format(kEmptyGroupPrompt, number));
            return false;
        }
        if (data.values[g].size() < minimum) {
            ctx.AppendPrompt(Format(kGroupOfOnePrompt, data.lines[g].front() + 1, number));
            return false;
        }
    }
    if (AllEqual(data.values)) {
        ctx.AppendPrompt(kConstantPrompt);
        return false;
    }
    return true;
}

}  // namespace

bool ReadGroupsFor(AnalysisContext& ctx, int minGroups, int maxGroups, GroupData* out) {
    if (!ReadGroupsChecked(ctx, out)) return false;
    const int groups = static_cast<int>(out->values.size());
    if (groups < 2) {
        ctx.AppendPrompt(kNoSeparatorPrompt);
        return false;
    }
    // Every pair is compared and reported: beyond this the report would be all comparisons.
    if (groups > kMaxGroups) {
        ctx.AppendPrompt(Format(kTooManyGroupsPrompt, kMaxGroups));
        return false;
    }
    if (groups < minGroups || groups > maxGroups) {
        ctx.AppendPrompt(maxGroups == 2 ? std::string(kTwoGroupsPrompt)
                                        : Format(kGroupCountPrompt, minGroups, maxGroups));
        return false;
    }
    return CheckValues(ctx, *out, 2);
}

bool ReadOneGroupFor(AnalysisContext& ctx, GroupData* out) {
    if (!ReadGroupsChecked(ctx, out)) return false;
    if (out->values.size() != 1) {
        ctx.AppendPrompt(kOneGroupPrompt);
        return false;
    }
    if (out->values[0].size() < 3) {
        ctx.AppendPrompt(kThreeValuesPrompt);
        return false;
    }
    return CheckValues(ctx, *out, 3);
}

bool ReadPairsFor(AnalysisContext& ctx, PairRows* out) {
    ReadOptions options;
    options.capacity = kMaxDataRows;
    *out = ReadPairRows(ctx.Sheet(), options);
    if (!ctx.AcceptReading(*out)) return false;
    if (!CheckFinite(ctx, out->x, out->line) || !CheckFinite(ctx, out->y, out->line)) {
        return false;
    }
    if (out->Count() < 2) {
        ctx.AppendPrompt(kPairCountPrompt);
        return false;
    }
    return true;
}

std::string GroupName(const GroupData& data, size_t group) {
    std::string name = Format("第%d群", static_cast<int>(group) + 1);
    if (group < data.titles.size() && !data.titles[group].empty()) {
        name += "（" + data.titles[group] + "）";
    }
    return name;
}

void DetailBlock::operator()(const std::string& line) {
    if (!m_on) return;
    if (!m_started) m_report.Write(kDetailHeading);
    m_started = true;
    m_report.Write(line + "\n");
}

nlohmann::ordered_json NormalityRecord(const std::vector<std::vector<double>>& samples,
                                       int firstGroup) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (size_t g = 0; g < samples.size(); ++g) {
        const ShapiroWilk sw = ShapiroWilkTest(samples[g]);
        nlohmann::ordered_json entry = nlohmann::ordered_json::object();
        entry["group"] = firstGroup + static_cast<int>(g);
        entry["w"] = sw.w;
        entry["p"] = sw.p;
        list.push_back(entry);
    }
    return list;
}

std::string NormalityLine(const std::string& name, const std::vector<double>& sample) {
    const ShapiroWilk sw = ShapiroWilkTest(sample);
    if (std::isnan(sw.w)) {
        return "正規性（Shapiro-Wilk）" + name + "： データ数３～５０００でばらつきのある群のみ";
    }
    return "正規性（Shapiro-Wilk）" + name + "： W = " + DetailNumber(sw.w) +
           ",  p = " + DetailP(sw.p);
}

std::string DfText(double df) {
    if (std::isfinite(df) && df == std::floor(df) && std::fabs(df) < 1e9) {
        return std::to_string(static_cast<long long>(df));
    }
    return SigText(df);
}

void WriteConclusionAt5(ReportFile& report, double p) {
    WriteConclusion(report, p < 0.05);
}

}  // namespace lumo
