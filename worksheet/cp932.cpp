#include "worksheet/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>

namespace lumo {
namespace {

// glibc's "CP932" round-trips every character the program writes (～, ±, half-width katakana);
// its strict "SHIFT_JIS" does not, so it is never used.
constexpr const char* kCp932 = "CP932";
constexpr const char* kUtf8 = "UTF-8";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; returns how many input bytes were consumed. `failed` is set
    // when conversion stopped at an invalid or unconvertible sequence.
    size_t Convert(std::string_view in, std::string& out, bool& failed) {
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        char buffer[1024];
        failed = false;
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
                failed = true;
                break;
            }
        }
        // Flush any shift state (none for these encodings, but it keeps iconv's contract).
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        iconv(cd_, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        return in.size() - inLeft;
    }

  private:
    iconv_t cd_;
};

// Length of the UTF-8 sequence that starts at `s[0]`, or 0 when it is not valid there.
size_t Utf8SequenceLength(std::string_view s) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) return 1;
    size_t len = 0;
    unsigned min = 0;
    unsigned cp = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, min = 0x80, cp = b0 & 0x1Fu;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, min = 0x800, cp = b0 & 0x0Fu;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, min = 0x10000, cp = b0 & 0x07u;
    } else {
        return 0;
    }
    if (s.size() < len) return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

}  // namespace

bool IsAscii(std::string_view bytes) {
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool IsValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const size_t len = Utf8SequenceLength(bytes);
        if (len == 0) return false;
        bytes.remove_prefix(len);
    }
    return true;
}

bool Cp932ToUtf8(std::string_view cp932, std::string& utf8) {
    utf8.clear();
    if (IsAscii(cp932)) {
        utf8.assign(cp932);
        return true;
    }
    Converter conv(kUtf8, kCp932);
    if (!conv.ok()) {
        // Without the converter nothing can be trusted; keep ASCII and mark the rest.
        for (const char c : cp932) {
            if (static_cast<unsigned char>(c) < 0x80) {
                utf8 += c;
            } else {
                utf8 += kReplacement;
            }
        }
        return false;
    }
    bool allValid = true;
    while (!cp932.empty()) {
        bool failed = false;
        const size_t used = conv.Convert(cp932, utf8, failed);
        cp932.remove_prefix(used);
        if (!failed) break;
        // Skip one byte of the invalid sequence; a lead byte at the very end is incomplete.
        utf8 += kReplacement;
        allValid = false;
        if (!cp932.empty()) cp932.remove_prefix(1);
    }
    return allValid;
}

bool Utf8ToCp932(std::string_view utf8, std::string& cp932, bool lossy) {
    cp932.clear();
    if (IsAscii(utf8)) {
        cp932.assign(utf8);
        return true;
    }
    Converter conv(kCp932, kUtf8);
    bool allConverted = true;
    while (!utf8.empty()) {
        bool failed = true;
        size_t used = 0;
        if (conv.ok()) used = conv.Convert(utf8, cp932, failed);
        utf8.remove_prefix(used);
        if (!failed) break;
        allConverted = false;
        if (!lossy) return false;
        cp932 += '?';
        const size_t len = Utf8SequenceLength(utf8);
        utf8.remove_prefix(len == 0 ? 1 : len);
    }
    return allConverted;
}

namespace {

unsigned Utf16Unit(std::string_view s, size_t i, bool bigEndian) {
    const unsigned b0 = static_cast<unsigned char>(s[i]);
    const unsigned b1 = static_cast<unsigned char>(s[i + 1]);
    return bigEndian ? (b0 << 8u) | b1 : (b1 << 8u) | b0;
}

void AppendUtf8(unsigned cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16Unit(unsigned unit, bool bigEndian, std::string& out) {
    const auto high = static_cast<char>((unit >> 8) & 0xFF);
    const auto low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

}  // namespace

bool Utf16ToUtf8(std::string_view utf16, bool bigEndian, std::string& utf8) {
    utf8.clear();
    utf8.reserve(utf16.size());
    bool valid = true;
    size_t i = 0;
    for (; i + 1 < utf16.size(); i += 2) {
        const unsigned unit = Utf16Unit(utf16, i, bigEndian);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < utf16.size()) {
            const unsigned low = Utf16Unit(utf16, i + 2, bigEndian);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), utf8);
                i += 2;
                continue;
            }
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            utf8 += kReplacement;
            valid = false;
        } else {
            AppendUtf8(unit, utf8);
        }
    }
    if (i < utf16.size()) {
        utf8 += kReplacement;
        valid = false;
    }
    return valid;
}

void Utf8ToUtf16(std::string_view utf8, bool bigEndian, std::string& utf16) {
    utf16.clear();
    utf16.reserve(2 * utf8.size());
    while (!utf8.empty()) {
        const size_t len = Utf8SequenceLength(utf8);
        unsigned cp = 0xFFFD;
        if (len == 1) {
            cp = static_cast<unsigned char>(utf8[0]);
        } else if (len > 1) {
            cp = static_cast<unsigned char>(utf8[0]) & (0x7Fu >> len);
            for (size_t k = 1; k < len; ++k) {
                cp = (cp << 6) | (static_cast<unsigned char>(utf8[k]) & 0x3Fu);
            }
        }
        utf8.remove_prefix(len == 0 ? 1 : len);
        if (cp >= 0x10000) {
            AppendUtf16Unit(0xD800 + ((cp - 0x10000) >> 10), bigEndian, utf16);
            AppendUtf16Unit(0xDC00 + ((cp - 0x10000) & 0x3FF), bigEndian, utf16);
        } else {
            AppendUtf16Unit(cp, bigEndian, utf16);
        }
    }
}

std::string ToCp932(std::string_view utf8) {
    std::string out;
    Utf8ToCp932(utf8, out, true);
    return out;
}

std::string ToUtf8(std::string_view cp932) {
    std::string out;
    Cp932ToUtf8(cp932, out);
    return out;
}

}  // namespace lumo
