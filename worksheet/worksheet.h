// The small interfaces through which the analyses reach the worksheet and the user.
#pragma once

#include <string>
#include <string_view>

namespace lumo {

// Room of the line buffer: a line is read as at most this many bytes.
constexpr int kLineCapacity = 100;

class IWorksheet {
  public:
    virtual ~IWorksheet() = default;

    // Copies logical line `index` (the text between two line breaks, never a wrapped display
    // line) as CP932 bytes into `buffer`, at most kLineCapacity of them and with no terminator,
    // and returns the count. Returns 0 for an empty line and for an index past the last line.
    virtual int GetLine(int index, char* buffer) const = 0;

    // The whole of logical line `index` as CP932 bytes, however long, without its line break;
    // empty for an empty line and for an index past the last line. The readers split their
    // fields on this, never on the 100-byte cut. The default takes the line out of GetText();
    // a worksheet that can answer cheaper says so.
    virtual std::string GetFullLine(int index) const;

    // Appends CP932 text, whose line breaks are CR LF, at the very end of the worksheet, scrolls
    // it into view and keeps it out of the undo history.
    virtual void AppendText(std::string_view cp932) = 0;

    // True when the text is empty or ends with a line break, so an append starts a new line.
    // The default looks at the whole text; a worksheet that can answer cheaper says so.
    virtual bool EndsAtLineStart() const {
        const std::string text = GetText();
        return text.empty() || text.back() == '\n';
    }

    // The whole text as UTF-8 with "\n" line breaks, and its replacement (File, Open and New).
    virtual std::string GetText() const = 0;
    virtual void SetText(std::string_view utf8) = 0;
};

// A modal message box with a single OK button, captioned with the program's name.
class IMessageBox {
  public:
    virtual ~IMessageBox() = default;
    virtual void MessageBox(std::string_view utf8Text) = 0;
};

}  // namespace lumo
