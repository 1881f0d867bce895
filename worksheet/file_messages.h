// The texts that tell the user why a worksheet file could not be opened or saved: each names
// the file, and says what the user can change.
#pragma once

#include <cstdint>
#include <string>

namespace lumo {

// "ﾌｧｲﾙが大きすぎて開けません。" and, on a second line, the file with its size (when known,
// that is when it is not 0) and the limit.
std::string TooLargeMessage(const std::string& path, std::uint64_t size, std::uint64_t limit);

// The file could not be opened or read; `err` is the errno of the failed call.
std::string CannotOpenMessage(const std::string& path, int err);
std::string CannotReadMessage(const std::string& path, int err);

// The save failed with `err`. `inFolder` says that the failed step was creating or renaming a
// file in the folder of `path` rather than writing the file's bytes: when the folder refuses
// that, the folder is what the user must change, however writable the file itself is.
std::string CannotSaveMessage(const std::string& path, int err, bool inFolder);

}  // namespace lumo
