// The texts that tell the user why a worksheet file could not be opened or saved: each names
// the file, and says what the user can change.
#pragma once

#include <cstdint>
#include <string>

#include "worksheet/safe_write.h"

namespace lumo {

// "ﾌｧｲﾙが大きすぎて開けません。" and, on a second line, the file with its size (when known,
// that is when it is not 0) and the limit.
std::string TooLargeMessage(const std::string& path, std::uint64_t size, std::uint64_t limit);

// The file could not be opened or read; `err` is the errno of the failed call.
std::string CannotOpenMessage(const std::string& path, int err);
std::string CannotReadMessage(const std::string& path, int err);

// The save failed with `err`. A save makes a new file in the folder of `path` and puts it in
// place, so when the folder refuses writes the folder is what the user must change, however
// writable the file itself is; the message then says so.
std::string CannotSaveMessage(const std::string& path, int err);

// Why a picture or another file written as report files are could not be written, for the
// parentheses after its name.
std::string WriteRefusalReason(const SafeWriteResult& result);

}  // namespace lumo
