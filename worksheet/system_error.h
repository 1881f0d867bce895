// The reasons the operating system gives for a failed call, in the user's language and ready
// for a message in UTF-8.
#pragma once

#include <string>

namespace lumo {

// strerror(err) as UTF-8. The C library writes it in the character set of the current locale
// (LC_CTYPE), which under a UTF-8 Japanese locale is UTF-8 and under a Shift_JIS or EUC-JP one
// is not, so it is decoded from that character set. Bytes that do not decode become U+FFFD.
std::string SystemErrorUtf8(int err);

}  // namespace lumo
