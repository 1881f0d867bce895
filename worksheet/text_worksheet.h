// A worksheet held as plain text, without a window: what `lumo --run` and the tests use. It
// behaves as the desktop worksheet does, line for line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "worksheet/worksheet.h"

namespace lumo {

class TextWorksheet : public IWorksheet {
  public:
    TextWorksheet() = default;
    explicit TextWorksheet(std::string_view utf8) { SetText(utf8); }

    int GetLine(int index, char* buffer) const override;
    std::string GetFullLine(int index) const override;
    void AppendText(std::string_view cp932) override;
    std::string GetText() const override { return m_text; }
    bool EndsAtLineStart() const override { return m_text.empty() || m_text.back() == '\n'; }
    void SetText(std::string_view utf8) override;

    // Everything appended since the text was last set, as UTF-8 with "\n" line breaks.
    const std::string& Appended() const { return m_appended; }

  private:
    void IndexLines() const;
    std::string_view LineText(int index) const;

    std::string m_text;  // UTF-8, "\n" line breaks
    std::string m_appended;
    mutable std::vector<size_t> m_lineStarts;  // rebuilt lazily after a change
};

// Turns CP932 text with CR LF (or lone CR) line breaks into UTF-8 with "\n".
std::string Cp932ToWorksheetText(std::string_view cp932);

}  // namespace lumo
