#include "worksheet/text_worksheet.h"

#include <algorithm>
#include <cstring>

#include "worksheet/cp932.h"

namespace lumo {

std::string Cp932ToWorksheetText(std::string_view cp932) {
    std::string lf;
    lf.reserve(cp932.size());
    for (size_t i = 0; i < cp932.size(); ++i) {
        if (cp932[i] == '\r') {
            lf += '\n';
            if (i + 1 < cp932.size() && cp932[i + 1] == '\n') ++i;
        } else {
            lf += cp932[i];
        }
    }
    return ToUtf8(lf);
}

void TextWorksheet::SetText(std::string_view utf8) {
    m_text.assign(utf8);
    m_appended.clear();
    m_lineStarts.clear();
}

void TextWorksheet::AppendText(std::string_view cp932) {
    const std::string utf8 = Cp932ToWorksheetText(cp932);
    m_text += utf8;
    m_appended += utf8;
    m_lineStarts.clear();
}

void TextWorksheet::IndexLines() const {
    if (!m_lineStarts.empty()) return;
    m_lineStarts.push_back(0);
    for (size_t i = 0; i < m_text.size(); ++i) {
        if (m_text[i] == '\n') m_lineStarts.push_back(i + 1);
    }
}

std::string_view TextWorksheet::LineText(int index) const {
    IndexLines();
    if (index < 0 || static_cast<size_t>(index) >= m_lineStarts.size()) return {};
    const size_t start = m_lineStarts[static_cast<size_t>(index)];
    const size_t next = static_cast<size_t>(index) + 1 < m_lineStarts.size()
                            ? m_lineStarts[static_cast<size_t>(index) + 1] - 1
                            : m_text.size();
    return std::string_view(m_text.data() + start, next - start);
}

int TextWorksheet::GetLine(int index, char* buffer) const {
    // Only the first bytes can reach the buffer, so convert no more than a line's worth; a
    // CP932 character never takes more bytes than its UTF-8 form.
    const std::string_view line = LineText(index);
    std::string cp932;
    Utf8ToCp932(line.substr(0, 4 * kLineCapacity), cp932, true);
    const size_t count = std::min<size_t>(cp932.size(), kLineCapacity);
    std::memcpy(buffer, cp932.data(), count);
    return static_cast<int>(count);
}

std::string TextWorksheet::GetFullLine(int index) const {
    std::string cp932;
    Utf8ToCp932(LineText(index), cp932, true);
    return cp932;
}

}  // namespace lumo
