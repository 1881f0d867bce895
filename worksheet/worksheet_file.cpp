#include "worksheet/worksheet_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "worksheet/cp932.h"
#include "worksheet/safe_write.h"

namespace lumo {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";

std::string SystemReason(int err) {
    return ToUtf8(std::strerror(err));
}

// Finds the first line break and takes its style; a file without one gets the default of its
// encoding.
LineEnd DetectLineEnd(std::string_view bytes, TextEncoding encoding) {
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') return LineEnd::kLf;
        if (bytes[i] == '\r') {
            return (i + 1 < bytes.size() && bytes[i + 1] == '\n') ? LineEnd::kCrLf : LineEnd::kCr;
        }
    }
    return encoding == TextEncoding::kCp932 ? LineEnd::kCrLf : LineEnd::kLf;
}

std::string NormalizeLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// UTF-8 with every invalid sequence replaced by U+FFFD; returns whether it was all valid.
bool SanitizeUtf8(std::string_view bytes, std::string& out) {
    out.clear();
    bool valid = true;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size();) {
        size_t len = 1;
        while (len <= 4 && i + len <= bytes.size() && !IsValidUtf8(bytes.substr(i, len))) ++len;
        if (len > 4 || i + len > bytes.size()) {
            out.append(bytes.substr(start, i - start));
            out += kReplacementChar;
            valid = false;
            ++i;
            start = i;
        } else {
            i += len;
        }
    }
    out.append(bytes.substr(start));
    return valid;
}

}  // namespace

DecodedText DecodeWorksheet(std::string_view bytes) {
    DecodedText result;
    std::string text;
    bool valid = true;
    if (bytes.substr(0, kBom.size()) == kBom) {
        result.format.encoding = TextEncoding::kUtf8Bom;
        valid = SanitizeUtf8(bytes.substr(kBom.size()), text);
    } else if (!IsAscii(bytes) && IsValidUtf8(bytes)) {
        result.format.encoding = TextEncoding::kUtf8;
        text.assign(bytes);
    } else {
        result.format.encoding = TextEncoding::kCp932;
        valid = Cp932ToUtf8(bytes, text);
    }
    result.format.lineEnd = DetectLineEnd(text, result.format.encoding);
    result.format.hadInvalidBytes = !valid;
    result.text = NormalizeLineBreaks(text);
    return result;
}

bool EncodeWorksheet(std::string_view utf8Text, const FileFormat& format, std::string& bytes) {
    std::string_view lineEnd = "\r\n";
    if (format.lineEnd == LineEnd::kLf) lineEnd = "\n";
    if (format.lineEnd == LineEnd::kCr) lineEnd = "\r";
    std::string text;
    text.reserve(utf8Text.size() + utf8Text.size() / 16);
    for (const char c : utf8Text) {
        if (c == '\n') {
            text += lineEnd;
        } else {
            text += c;
        }
    }
    bytes.clear();
    switch (format.encoding) {
        case TextEncoding::kCp932: {
            // U+FFFD stands for bytes that could not be read when the file was opened; the user
            // was warned then, so it is written as '?' rather than refusing the save.
            std::string replaced;
            replaced.reserve(text.size());
            for (size_t i = 0; i < text.size(); ++i) {
                if (text.compare(i, kReplacementChar.size(), kReplacementChar) == 0) {
                    replaced += '?';
                    i += kReplacementChar.size() - 1;
                } else {
                    replaced += text[i];
                }
            }
            return Utf8ToCp932(replaced, bytes, false);
        }
        case TextEncoding::kUtf8Bom:
            bytes.assign(kBom);
            bytes += text;
            return true;
        case TextEncoding::kUtf8:
            bytes = std::move(text);
            return true;
    }
    return false;
}

LoadResult LoadWorksheetFile(const std::string& path) {
    LoadResult result;
    // Not blocking on a FIFO and not opening a device: only a regular file is a worksheet.
    WriteRefusal refusal = WriteRefusal::kNone;
    const int fd = OpenRegularFile(path, true, refusal);
    if (fd < 0 && refusal == WriteRefusal::kNotRegular) {
        result.error = FileError::kCannotRead;
        result.message = path + " はﾌｧｲﾙではないため開けません。";
        return result;
    }
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT) {
            result.error = FileError::kNotFound;
            result.message = path +
                             "\nこのﾌｧｲﾙが見つかりません。\n正しいﾃﾞｨﾚｸﾄﾘとﾌｧｲﾙ名を確認して"
                             "入力してください。";
        } else {
            result.error = FileError::kCannotRead;
            result.message = path + " を開けません。(" + SystemReason(err) + ")";
        }
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        result.error = FileError::kCannotRead;
        result.message = path + " を開けません。(" + SystemReason(err) + ")";
        return result;
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileBytes) {
        ::close(fd);
        result.error = FileError::kTooLarge;
        result.message = "ﾌｧｲﾙが大きすぎて開けません。";
        return result;
    }
    // Read to the end rather than trusting the size, and stop one byte past the limit in case
    // the file grows while it is read.
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            result.error = FileError::kCannotRead;
            result.message = path + " を読み込めません。(" + SystemReason(err) + ")";
            result.bytes.clear();
            return result;
        }
        if (got == 0) break;
        result.bytes.append(buffer, static_cast<size_t>(got));
        if (result.bytes.size() > kMaxFileBytes) {
            ::close(fd);
            result.error = FileError::kTooLarge;
            result.message = "ﾌｧｲﾙが大きすぎて開けません。";
            result.bytes.clear();
            return result;
        }
    }
    ::close(fd);
    result.decoded = DecodeWorksheet(result.bytes);
    return result;
}

SaveResult WriteFileAtomically(const std::string& path, std::string_view bytes) {
    SaveResult result;
    // Open refuses files over the limit, so writing one would lock the user out of it.
    if (bytes.size() > kMaxFileBytes) {
        result.error = FileError::kTooLarge;
        result.message = path + " は保存すると" + std::to_string(bytes.size()) +
                         "バイトになり、開ける大きさ（" + std::to_string(kMaxFileBytes) +
                         "バイトまで）を超えるため、保存しませんでした。\n"
                         "古いレポートを消すなどして小さくしてから保存して下さい。";
        return result;
    }
    const SafeWriteResult written = SafeWriteFile(path, bytes, LinkPolicy::kKeepFile);
    switch (written.refusal) {
        case WriteRefusal::kNone:
            break;
        case WriteRefusal::kReadOnly:
            result.error = FileError::kReadOnly;
            result.message = path + " は書き込み禁止のため、上書き保存できません。";
            break;
        case WriteRefusal::kNotRegular:
            result.error = FileError::kCannotWrite;
            result.message = path + " はﾌｧｲﾙではないため保存できません。";
            break;
        case WriteRefusal::kFailed:
            result.error = FileError::kCannotWrite;
            result.message = path + " に保存できませんでした。(" + SystemReason(written.err) + ")";
            if (!written.keptCopy.empty()) {
                result.message += "\n元の内容は " + written.keptCopy + " に残してあります。";
            }
            break;
    }
    return result;
}

std::string NotRepresentableMessage(const std::string& path) {
    return path +
           " にはShift_JIS(CP932)で保存できない文字が含まれています。\n"
           "UTF-8で保存すれば、すべての文字が保存されます。";
}

std::string InvalidBytesMessage(const std::string& path) {
    return path +
           " には読み込めないバイトがありました（画面では�と表示されています）。\n"
           "上書きすると、それらのバイトは元に戻せません。";
}

}  // namespace lumo
