// Worksheet files: the user's data, loaded and saved so that nothing of it is ever lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumo {

// Files larger than this are refused, as the worksheet control always refused them.
constexpr std::size_t kMaxFileBytes = 1048575;

// UTF-16 is recognised by its byte-order mark only, and saved back with it.
enum class TextEncoding { kCp932, kUtf8, kUtf8Bom, kUtf16Le, kUtf16Be };
enum class LineEnd { kCrLf, kLf, kCr };

// How a file's text is stored. A new worksheet is CP932 with CR LF, the format the program's
// files have always had.
struct FileFormat {
    TextEncoding encoding = TextEncoding::kCp932;
    LineEnd lineEnd = LineEnd::kCrLf;
    // Some bytes were not valid in the detected encoding and were shown as U+FFFD; saving over
    // the file would lose them, so it needs the user's confirmation.
    bool hadInvalidBytes = false;
};

struct DecodedText {
    std::string text;  // UTF-8, lines separated by "\n"
    FileFormat format;
};

// Detects the encoding and the line-end style and decodes. CR LF, LF and CR all end a line.
DecodedText DecodeWorksheet(std::string_view bytes);

// True when some of the bytes are not valid in the encoding.
bool HasUndecodableBytes(std::string_view bytes, TextEncoding encoding);

// Encodes UTF-8 text with "\n" line breaks. Fails (returns false) when the format is CP932 and
// the text holds a character that CP932 cannot hold.
bool EncodeWorksheet(std::string_view utf8Text, const FileFormat& format, std::string& bytes);

// Encodes the text of a worksheet that was loaded from `loadedBytes` (decoded as `loadedText`)
// and is saved in the same encoding: what the user did not change is written as it was read.
// Text appended since is written behind the loaded bytes; otherwise every unchanged line keeps
// its bytes and its line break, and only new and edited lines are encoded, ending as `format`
// says. Fails as EncodeWorksheet does.
bool EncodeWorksheetOver(std::string_view loadedBytes, std::string_view loadedText,
                         std::string_view utf8Text, const FileFormat& format, std::string& bytes);

enum class FileError {
    kNone,
    kNotFound,
    kCannotRead,
    kTooLarge,
    kCannotWrite,
    kReadOnly,          // the file is write-protected; Save As can still write the text elsewhere
    kNotRepresentable,  // CP932 cannot hold some character; saving as UTF-8 would
    kInvalidBytes,      // the file had invalid bytes and overwriting it was not confirmed
    kChangedOnDisk,     // the file changed on disk since it was opened or saved
};

// Which file a worksheet was read from or saved to, and when: a later save can tell from it
// whether someone else has written the file since.
struct FileStamp {
    bool known = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
};

// The stamp of the file at `path` as it is now (a link followed); not known when it is missing.
FileStamp StampOfFile(const std::string& path);

// True when the file at `path` no longer holds `bytes`, the contents that `stamp` was taken
// with. Only the stamp is compared while it matches; when it does not (a touch, a copy put
// back), the contents decide. A file that is gone has nothing to lose.
bool ChangedOnDisk(const std::string& path, const FileStamp& stamp, std::string_view bytes);

struct LoadResult {
    FileError error = FileError::kNone;
    std::string message;  // UTF-8, for the user; empty on success
    std::string bytes;    // the file as read
    FileStamp stamp;      // of the file as read
    DecodedText decoded;
    bool ok() const { return error == FileError::kNone; }
};

struct SaveResult {
    FileError error = FileError::kNone;
    std::string message;  // UTF-8, for the user; empty on success
    bool ok() const { return error == FileError::kNone; }
};

LoadResult LoadWorksheetFile(const std::string& path);

// Writes `bytes` to `path` so that a save that fails leaves the old file as it was (see
// SafeWriteFile). A write-protected file, and bytes that Open would refuse as too large, are
// refused.
SaveResult WriteFileAtomically(const std::string& path, std::string_view bytes);

// The user-facing texts for the two save refusals that a caller may want to ask about.
std::string NotRepresentableMessage(const std::string& path);
std::string InvalidBytesMessage(const std::string& path);

// The window's question when the file changed on disk since it was opened or last saved.
extern const char kChangedOnDiskQuestion[];

}  // namespace lumo
