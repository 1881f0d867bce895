#include "worksheet/system_error.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>
#include <string_view>

#include "worksheet/cp932.h"

namespace lumo {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Keeps what is valid UTF-8 and replaces every other byte.
std::string ValidUtf8(std::string_view bytes) {
    std::string out;
    size_t i = 0;
    while (i < bytes.size()) {
        size_t len = 1;
        while (len <= 4 && i + len <= bytes.size() && !IsValidUtf8(bytes.substr(i, len))) ++len;
        if (len > 4 || i + len > bytes.size()) {
            out += kReplacement;
            ++i;
        } else {
            out.append(bytes.substr(i, len));
            i += len;
        }
    }
    return out;
}

bool DecodeWithIconv(std::string_view bytes, const char* from, std::string& out) {
    const iconv_t cd = iconv_open("UTF-8", from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in(bytes);
    char* inPtr = in.data();
    size_t inLeft = in.size();
    bool ok = true;
    while (inLeft > 0) {
        char buffer[256];
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            // One undecodable byte: mark it and go on with the rest.
            out += kReplacement;
            ++inPtr;
            --inLeft;
            ok = false;
        }
    }
    iconv_close(cd);
    return ok;
}

}  // namespace

std::string SystemErrorUtf8(int err) {
    const int saved = errno;
    const std::string_view reason = std::strerror(err);
    const char* codeset = ::nl_langinfo(CODESET);
    std::string out;
    if (IsAscii(reason) || codeset == nullptr || *codeset == '\0' ||
        std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0) {
        // In the C locale the library's texts are English; anything else claims to be UTF-8.
        out = ValidUtf8(reason);
    } else if (!DecodeWithIconv(reason, codeset, out) && out.empty()) {
        out = ValidUtf8(reason);
    }
    errno = saved;
    return out;
}

}  // namespace lumo
