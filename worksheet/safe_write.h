// How bytes reach the disk: only regular files are written or read, a save never leaves a
// half-written file or a stray temporary copy, and a name received with someone else's data
// (a link, a FIFO, a device) cannot redirect a write onto another file.
#pragma once

#include <string>
#include <string_view>

namespace lumo {

enum class WriteRefusal {
    kNone,
    kNotRegular,  // the name is a link, a folder, a FIFO or a device
    kReadOnly,    // the file is write-protected
    kFailed,      // the system refused; see `err`
};

struct SafeWriteResult {
    WriteRefusal refusal = WriteRefusal::kNone;
    int err = 0;  // errno, for kFailed
    // Set when an in-place write could not be undone: the old contents are kept in this file.
    std::string keptCopy;
    // Set (to the errno) when a file written anew could not be given the old file's access
    // control list or user.* attributes; the bytes were written all the same. A worksheet
    // (kKeepFile) is written in place instead, so it never loses them.
    int attributesErr = 0;
    bool ok() const { return refusal == WriteRefusal::kNone; }
};

enum class LinkPolicy {
    // Report files: a symbolic link at the name is refused, and the name always gets a new
    // file, so other names of the old file keep their contents.
    kReplace,
    // Worksheets: a symbolic link is followed to the file the user opened through it; a file
    // with other names, or one whose owner could not be given back, is written in place after
    // a safe copy, so its links, owner and mode stay.
    kKeepFile,
};

// Writes `bytes` as the whole new contents of `path`. Either the old or the new contents are
// on disk afterwards, never a mix; SIGINT, SIGTERM and SIGHUP are held until the write is
// complete and its temporary file gone, and the folder is synced after the rename. Temporary
// files that an earlier, killed save of the same name left behind are removed first.
SafeWriteResult SafeWriteFile(const std::string& path, std::string_view bytes, LinkPolicy policy);

// Whether SafeWriteFile could write `path`, found out without changing anything there.
SafeWriteResult CheckWritable(const std::string& path, LinkPolicy policy);

// Opens a regular file for reading without blocking on a FIFO or a device; with
// `followLink` false a symbolic link at the last component is refused too. Returns the
// descriptor, or -1 with `refusal` set (and errno for kFailed).
int OpenRegularFile(const std::string& path, bool followLink, WriteRefusal& refusal);

// Reads a whole regular file of at most `limit` bytes. False when it cannot be opened, is not
// a regular file, cannot be read or is larger than `limit`.
bool ReadRegularFile(const std::string& path, bool followLink, std::size_t limit,
                     std::string& bytes);

// True when both names exist and are the same file (device and inode), whatever links lead
// there.
bool IsSameFile(const std::string& a, const std::string& b);

// The name of the copy of the old contents that an in-place write keeps beside `name` while it
// writes, always within the system's limit on a name's length: "." + as much of `name` as
// fits + ".XXXXXX" (for mkstemp). A save's own temporary files are named
// ".NAME.lumo-PID.XXXXXX" instead, so that a later save in the folder can remove those whose
// process is gone.
std::string TemporaryName(std::string_view name);

}  // namespace lumo
