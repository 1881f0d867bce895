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
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
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
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        result.error = FileError::kCannotRead;
        result.message = path + " はﾌｧｲﾙではないため開けません。";
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
    namespace fs = std::filesystem;
    std::error_code ec;
    // Save through a link into the file it points to, and keep that file's permissions.
    fs::path target = fs::exists(path, ec) ? fs::canonical(path, ec) : fs::path(path);
    if (ec) target = path;
    mode_t mode = 0;
    struct stat st {};
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string tempName = ".";
    tempName += target.filename().string();
    tempName += ".XXXXXX";
    std::string temp = (dir / tempName).string();

    auto fail = [&](int err, int fd) {
        if (fd >= 0) ::close(fd);
        ::unlink(temp.c_str());
        result.error = FileError::kCannotWrite;
        result.message = path + " に保存できませんでした。(" + SystemReason(err) + ")";
        return result;
    };

    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        const int err = errno;
        result.error = FileError::kCannotWrite;
        result.message = path + " に保存できませんでした。(" + SystemReason(err) + ")";
        return result;
    }
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(errno, fd);
        }
        written += static_cast<size_t>(n);
    }
    if (::fchmod(fd, mode) != 0) return fail(errno, fd);
    if (::fsync(fd) != 0) return fail(errno, fd);
    if (::close(fd) != 0) return fail(errno, -1);
    if (::rename(temp.c_str(), target.c_str()) != 0) return fail(errno, -1);
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
