// Expected pieces of the reports and prompts of the statistical tests, written out by hand as
// the user sees them in the worksheet.
#pragma once

#include <string>
#include <vector>

namespace lumo::test {

inline const std::string kRule47 = "-----------------------------------------------\n";
inline const std::string kDifference = "有意水準0.05で、差があるといえる。\n";
inline const std::string kNoDifference = "有意水準0.05で、差があるとはいえない。\n";
inline const std::string kReportSeparator = "\n------------------------------------------\n";
inline const std::string kPromptRule = "\n----------------------------------\n";

inline bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The block of critical values for one row of the t table, given the eight values as "%f"
// prints them.
inline std::string TTableBlock(const std::vector<std::string>& values) {
    static const char* const labels[] = {"    0.50  ", "    0.25  ", "    0.10  ",  "  *0.05  ",
                                         "  *0.025  ", "    0.01  ", "    0.005  ", "    0.0025"};
    std::string block =
        "\n*******************************************\n"
        "\t\tα点におけるｔ分布 \n"
        "------------------------------\n";
    for (size_t j = 0; j < values.size(); ++j) {
        block += "\t" + std::string(labels[j]) + "\t\t" + values[j] + "\n";
    }
    block += "------------------------------\n";
    return block;
}

}  // namespace lumo::test
