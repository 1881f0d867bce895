// Conversion between the worksheet's 8-bit character set (CP932, the Windows form of Shift_JIS)
// and UTF-8. This is the one place where the program changes encodings: files are converted
// when they are loaded and saved, and the Qt view converts each line it hands to an analysis.
#pragma once

#include <string>
#include <string_view>

namespace lumo {

// Decodes CP932 bytes into UTF-8. A byte sequence that is not valid CP932 becomes U+FFFD.
// Returns false when any such replacement was made.
bool Cp932ToUtf8(std::string_view cp932, std::string& utf8);

// Encodes UTF-8 into CP932. A character that CP932 cannot hold (or invalid UTF-8) becomes '?'
// when `lossy` is true; otherwise the conversion stops and returns false.
bool Utf8ToCp932(std::string_view utf8, std::string& cp932, bool lossy);

// Decodes UTF-16 (without its byte-order mark) into UTF-8. A lone surrogate and an odd last
// byte become U+FFFD; returns false when any such replacement was made.
bool Utf16ToUtf8(std::string_view utf16, bool bigEndian, std::string& utf8);

// Encodes UTF-8 into UTF-16 (without a byte-order mark); invalid UTF-8 becomes U+FFFD.
void Utf8ToUtf16(std::string_view utf8, bool bigEndian, std::string& utf16);

// Convenience for the program's own texts, which are all representable in CP932.
std::string ToCp932(std::string_view utf8);
std::string ToUtf8(std::string_view cp932);

// True when the bytes form valid UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// True when every byte is below 0x80.
bool IsAscii(std::string_view bytes);

}  // namespace lumo
