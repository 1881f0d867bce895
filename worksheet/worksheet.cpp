#include "worksheet/worksheet.h"

#include "worksheet/cp932.h"

namespace lumo {

std::string IWorksheet::GetFullLine(int index) const {
    if (index < 0) return {};
    const std::string text = GetText();
    size_t start = 0;
    for (int line = 0; line < index; ++line) {
        start = text.find('\n', start);
        if (start == std::string::npos) return {};
        ++start;
    }
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string cp932;
    Utf8ToCp932(std::string_view(text).substr(start, end - start), cp932, true);
    return cp932;
}

}  // namespace lumo
