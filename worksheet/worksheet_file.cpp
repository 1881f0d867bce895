#include "worksheet/worksheet_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "worksheet/cp932.h"
#include "worksheet/file_messages.h"
#include "worksheet/safe_write.h"
#include "worksheet/system_error.h"

namespace lumo {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";

std::string SystemReason(int err) {
    return SystemErrorUtf8(err);
}

constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

std::string_view ByteOrderMark(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::kUtf8Bom:
            return kBom;
        case TextEncoding::kUtf16Le:
            return kUtf16LeBom;
        case TextEncoding::kUtf16Be:
            return kUtf16BeBom;
        case TextEncoding::kCp932:
        case TextEncoding::kUtf8:
            break;
    }
    return {};
}

// Bytes of the smallest piece of the encoding that a line break is made of.
size_t UnitSize(TextEncoding encoding) {
    return encoding == TextEncoding::kUtf16Le || encoding == TextEncoding::kUtf16Be ? 2 : 1;
}

std::string_view LineEndText(LineEnd lineEnd) {
    switch (lineEnd) {
        case LineEnd::kLf:
            return "\n";
        case LineEnd::kCr:
            return "\r";
        case LineEnd::kCrLf:
            break;
    }
    return "\r\n";
}

// Appends UTF-8 text, line breaks already in the file's form, in the encoding (no byte-order
// mark). Fails only when CP932 cannot hold a character.
bool EncodeText(std::string_view text, TextEncoding encoding, std::string& bytes) {
    std::string encoded;
    switch (encoding) {
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
            if (!Utf8ToCp932(replaced, encoded, false)) return false;
            break;
        }
        case TextEncoding::kUtf8Bom:
        case TextEncoding::kUtf8:
            bytes.append(text);
            return true;
        case TextEncoding::kUtf16Le:
        case TextEncoding::kUtf16Be:
            Utf8ToUtf16(text, encoding == TextEncoding::kUtf16Be, encoded);
            break;
    }
    bytes += encoded;
    return true;
}

// One line of a file as stored: its bytes and the bytes of the break that ends it (none for
// the last line).
struct RawLine {
    std::string_view content;
    std::string_view end;
};

// The characters that the worksheet's text control takes for line breaks although a file's
// lines do not end there: the line and paragraph separators, and the two noncharacters that
// the control uses to mark frames. Pasted from web pages and PDFs, they are kept in the file
// as they were and stand between two of the worksheet's lines.
constexpr std::string_view kInlineBreaks[] = {"\xE2\x80\xA8", "\xE2\x80\xA9", "\xEF\xB7\x90",
                                              "\xEF\xB7\x91"};

// Splits at CR LF, LF and CR, as DecodeWorksheet does, on whole units of the encoding, so the
// lines match those of the decoded text one for one; and also at `inlineBreaks` (the encoded
// kInlineBreaks), which then end their line as its break.
std::vector<RawLine> SplitRawLines(std::string_view bytes, std::string_view cr, std::string_view lf,
                                   const std::vector<std::string>& inlineBreaks) {
    std::vector<RawLine> lines;
    const size_t unit = cr.size();
    size_t start = 0;
    size_t i = 0;
    while (i + unit <= bytes.size()) {
        const std::string_view here = bytes.substr(i, unit);
        if (here != cr && here != lf) {
            size_t inlineSize = 0;
            for (const std::string& brk : inlineBreaks) {
                if (bytes.substr(i, brk.size()) == brk) inlineSize = brk.size();
            }
            if (inlineSize == 0) {
                i += unit;
                continue;
            }
            lines.push_back({bytes.substr(start, i - start), bytes.substr(i, inlineSize)});
            i += inlineSize;
            start = i;
            continue;
        }
        size_t endSize = unit;
        if (here == cr && bytes.substr(i + unit, unit) == lf) endSize += unit;
        lines.push_back({bytes.substr(start, i - start), bytes.substr(i, endSize)});
        i += endSize;
        start = i;
    }
    lines.push_back({bytes.substr(start), {}});
    return lines;
}

// The lines of UTF-8 text, split at "\n" and at kInlineBreaks; `ends` gets what ended each
// line ("" for the last).
std::vector<std::string_view> SplitLines(std::string_view text,
                                         std::vector<std::string_view>* ends = nullptr) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        size_t size = text[i] == '\n' ? 1 : 0;
        for (const std::string_view brk : kInlineBreaks) {
            if (text.compare(i, brk.size(), brk) == 0) size = brk.size();
        }
        if (size == 0) continue;
        lines.push_back(text.substr(start, i - start));
        if (ends != nullptr) ends->push_back(text.substr(i, size));
        i += size - 1;
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    if (ends != nullptr) ends->push_back({});
    return lines;
}

// The text as the worksheet's control gives it back: kInlineBreaks become line breaks.
std::string AsWorksheetShowsIt(std::string_view text) {
    std::string out;
    const std::vector<std::string_view> lines = SplitLines(text);
    for (size_t j = 0; j < lines.size(); ++j) {
        out.append(lines[j]);
        if (j + 1 < lines.size()) out += '\n';
    }
    return out;
}

constexpr size_t kNotKept = static_cast<size_t>(-1);

// Beyond this many inserted and removed lines between the first and the last change, the lines
// between them are written anew rather than searched for longer.
constexpr size_t kMaxEdits = 2000;

// For every new line, the old line it is an unchanged copy of (kNotKept for new or edited
// lines): the longest common subsequence of the two, by the greedy algorithm of E. Myers
// ("An O(ND) difference algorithm and its variations", 1986), after the common first and
// last lines.
std::vector<size_t> KeptLines(const std::vector<std::string_view>& oldLines,
                              const std::vector<std::string_view>& newLines) {
    std::vector<size_t> kept(newLines.size(), kNotKept);
    size_t head = 0;
    while (head < oldLines.size() && head < newLines.size() && oldLines[head] == newLines[head]) {
        kept[head] = head;
        ++head;
    }
    size_t tail = 0;
    while (tail < oldLines.size() - head && tail < newLines.size() - head &&
           oldLines[oldLines.size() - 1 - tail] == newLines[newLines.size() - 1 - tail]) {
        kept[newLines.size() - 1 - tail] = oldLines.size() - 1 - tail;
        ++tail;
    }
    const auto n = static_cast<std::ptrdiff_t>(oldLines.size() - head - tail);
    const auto m = static_cast<std::ptrdiff_t>(newLines.size() - head - tail);
    if (n == 0 || m == 0) return kept;
    auto same = [&](std::ptrdiff_t x, std::ptrdiff_t y) {
        return oldLines[head + static_cast<size_t>(x)] == newLines[head + static_cast<size_t>(y)];
    };
    const std::ptrdiff_t maxD = std::min<std::ptrdiff_t>(n + m, kMaxEdits);
    // v[k + offset]: the furthest x on diagonal k; trace[d] keeps v for k = -d..d after step d.
    const std::ptrdiff_t offset = maxD + 1;
    std::vector<std::ptrdiff_t> v(static_cast<size_t>(2 * offset + 1), 0);
    auto at = [&](std::ptrdiff_t k) -> std::ptrdiff_t& {
        return v[static_cast<size_t>(k + offset)];
    };
    std::vector<std::vector<std::ptrdiff_t>> trace;
    std::ptrdiff_t found = -1;
    for (std::ptrdiff_t d = 0; d <= maxD && found < 0; ++d) {
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t x =
                (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            std::ptrdiff_t y = x - k;
            while (x < n && y < m && same(x, y)) ++x, ++y;
            at(k) = x;
            if (x >= n && y >= m) found = d;
        }
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
    }
    if (found < 0) return kept;  // too many changes: the middle is written anew
    std::ptrdiff_t x = n;
    std::ptrdiff_t y = m;
    for (std::ptrdiff_t d = found; d >= 0; --d) {
        std::ptrdiff_t prevX = 0;
        std::ptrdiff_t prevY = 0;
        if (d > 0) {
            const std::vector<std::ptrdiff_t>& prev = trace[static_cast<size_t>(d - 1)];
            auto before = [&](std::ptrdiff_t k) { return prev[static_cast<size_t>(k + d - 1)]; };
            const std::ptrdiff_t k = x - y;
            const bool down = k == -d || (k != d && before(k - 1) < before(k + 1));
            const std::ptrdiff_t prevK = down ? k + 1 : k - 1;
            prevX = before(prevK);
            prevY = prevX - prevK;
        }
        while (x > prevX && y > prevY) {
            --x, --y;
            kept[head + static_cast<size_t>(y)] = head + static_cast<size_t>(x);
        }
        x = prevX;
        y = prevY;
    }
    return kept;
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

// Decodes bytes of a known encoding, its byte-order mark included, into UTF-8 with the file's
// own line breaks; returns false when some bytes were replaced by U+FFFD.
bool DecodeAs(std::string_view bytes, TextEncoding encoding, std::string& text) {
    const std::string_view bom = ByteOrderMark(encoding);
    if (bytes.substr(0, bom.size()) == bom) bytes.remove_prefix(bom.size());
    switch (encoding) {
        case TextEncoding::kUtf16Le:
        case TextEncoding::kUtf16Be:
            return Utf16ToUtf8(bytes, encoding == TextEncoding::kUtf16Be, text);
        case TextEncoding::kUtf8Bom:
        case TextEncoding::kUtf8:
            return SanitizeUtf8(bytes, text);
        case TextEncoding::kCp932:
            break;
    }
    return Cp932ToUtf8(bytes, text);
}

FileStamp StampOf(const struct stat& st) {
    FileStamp stamp;
    stamp.known = true;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::int64_t>(st.st_size);
    stamp.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 +
                    static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return stamp;
}

}  // namespace

FileStamp StampOfFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return StampOf(st);
}

bool ChangedOnDisk(const std::string& path, const FileStamp& stamp, std::string_view bytes) {
    if (!stamp.known) return false;
    const FileStamp now = StampOfFile(path);
    if (!now.known) return errno != ENOENT;
    if (now.device == stamp.device && now.inode == stamp.inode && now.size == stamp.size &&
        now.mtimeNs == stamp.mtimeNs) {
        return false;
    }
    if (static_cast<std::uint64_t>(now.size) != bytes.size()) return true;
    std::string onDisk;
    return !ReadRegularFile(path, true, kMaxFileBytes, onDisk) || onDisk != bytes;
}

DecodedText DecodeWorksheet(std::string_view bytes) {
    DecodedText result;
    if (bytes.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
        result.format.encoding = TextEncoding::kUtf16Le;
    } else if (bytes.substr(0, kUtf16BeBom.size()) == kUtf16BeBom) {
        result.format.encoding = TextEncoding::kUtf16Be;
    } else if (bytes.substr(0, kBom.size()) == kBom) {
        result.format.encoding = TextEncoding::kUtf8Bom;
    } else if (!IsAscii(bytes) && IsValidUtf8(bytes)) {
        result.format.encoding = TextEncoding::kUtf8;
    } else {
        result.format.encoding = TextEncoding::kCp932;
    }
    std::string text;
    result.format.hadInvalidBytes = !DecodeAs(bytes, result.format.encoding, text);
    result.format.lineEnd = DetectLineEnd(text, result.format.encoding);
    result.text = NormalizeLineBreaks(text);
    return result;
}

bool HasUndecodableBytes(std::string_view bytes, TextEncoding encoding) {
    std::string text;
    return !DecodeAs(bytes, encoding, text);
}

bool EncodeWorksheet(std::string_view utf8Text, const FileFormat& format, std::string& bytes) {
    const std::string_view lineEnd = LineEndText(format.lineEnd);
    std::string text;
    text.reserve(utf8Text.size() + utf8Text.size() / 16);
    for (const char c : utf8Text) {
        if (c == '\n') {
            text += lineEnd;
        } else {
            text += c;
        }
    }
    bytes.assign(ByteOrderMark(format.encoding));
    return EncodeText(text, format.encoding, bytes);
}

bool EncodeWorksheetOver(std::string_view loadedBytes, std::string_view loadedText,
                         std::string_view utf8Text, const FileFormat& format, std::string& bytes) {
    const TextEncoding encoding = format.encoding;
    const std::string_view bom = ByteOrderMark(encoding);
    const size_t unit = UnitSize(encoding);
    if (loadedBytes.substr(0, bom.size()) != bom || (loadedBytes.size() - bom.size()) % unit != 0) {
        return EncodeWorksheet(utf8Text, format, bytes);
    }
    std::string cr, lf, lineEnd;
    EncodeText("\r", encoding, cr);
    EncodeText("\n", encoding, lf);
    EncodeText(LineEndText(format.lineEnd), encoding, lineEnd);
    std::vector<std::string> inlineBreaks;
    if (encoding != TextEncoding::kCp932) {
        for (const std::string_view brk : kInlineBreaks) {
            std::string encoded;
            if (EncodeText(brk, encoding, encoded)) inlineBreaks.push_back(encoded);
        }
    }
    const std::vector<RawLine> raw =
        SplitRawLines(loadedBytes.substr(bom.size()), cr, lf, inlineBreaks);
    const std::vector<std::string_view> oldLines = SplitLines(loadedText);
    if (raw.size() != oldLines.size()) return EncodeWorksheet(utf8Text, format, bytes);

    bytes.assign(loadedBytes.substr(0, bom.size()));
    auto endsWith = [&](std::string_view tail) {
        return bytes.size() >= bom.size() + tail.size() &&
               std::string_view(bytes).substr(bytes.size() - tail.size()) == tail;
    };
    // Text that starts with an LF right after a lone CR would read back as a single CR LF
    // break; written as CR LF it stays a break of its own.
    auto appendBreak = [&](std::string_view lineBreak) {
        if (lineBreak.substr(0, lf.size()) == lf && endsWith(cr)) bytes += cr;
        bytes.append(lineBreak);
    };

    // Text appended behind the loaded text (as it was read, or as the worksheet shows it): the
    // loaded bytes stay as they were. Not when the last line held undecodable bytes and the
    // appendix continues that line, since a lone lead byte would then join the appended
    // character.
    const std::string shown = AsWorksheetShowsIt(loadedText);
    for (const std::string_view loaded : {loadedText, std::string_view(shown)}) {
        if (utf8Text.substr(0, loaded.size()) != loaded) continue;
        const std::string_view appendix = utf8Text.substr(loaded.size());
        const bool continuesLastLine = !appendix.empty() && appendix.front() != '\n';
        if (!continuesLastLine || oldLines.back().find(kReplacementChar) == std::string::npos) {
            std::string encoded;
            FileFormat body = format;
            if (!EncodeWorksheet(appendix, body, encoded)) return false;
            bytes.assign(loadedBytes);
            appendBreak(std::string_view(encoded).substr(bom.size()));
            return true;
        }
    }

    // Otherwise every line that did not change keeps its bytes and its line end; new and edited
    // lines are encoded and end as the format says, or with the character that ended them.
    std::vector<std::string_view> newEnds;
    const std::vector<std::string_view> newLines = SplitLines(utf8Text, &newEnds);
    const std::vector<size_t> kept = KeptLines(oldLines, newLines);
    for (size_t j = 0; j < newLines.size(); ++j) {
        const bool last = j + 1 == newLines.size();
        if (kept[j] != kNotKept) {
            bytes.append(raw[kept[j]].content);
        } else if (!EncodeText(newLines[j], encoding, bytes)) {
            return false;
        }
        if (last) break;
        if (newEnds[j] != "\n") {
            if (!EncodeText(newEnds[j], encoding, bytes)) return false;
        } else if (kept[j] != kNotKept && !raw[kept[j]].end.empty()) {
            appendBreak(raw[kept[j]].end);
        } else {
            appendBreak(lineEnd);
        }
    }
    return true;
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
            result.message = CannotOpenMessage(path, err);
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
        result.message =
            TooLargeMessage(path, static_cast<std::uint64_t>(st.st_size), kMaxFileBytes);
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
            result.message = CannotReadMessage(path, err);
            result.bytes.clear();
            return result;
        }
        if (got == 0) break;
        result.bytes.append(buffer, static_cast<size_t>(got));
        if (result.bytes.size() > kMaxFileBytes) {
            ::close(fd);
            result.error = FileError::kTooLarge;
            result.message = TooLargeMessage(path, 0, kMaxFileBytes);
            result.bytes.clear();
            return result;
        }
    }
    ::close(fd);
    result.stamp = StampOf(st);
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
            result.message = CannotSaveMessage(path, written.err);
            if (!written.keptCopy.empty()) {
                result.message += "\n元の内容は " + written.keptCopy + " に残してあります。";
            }
            break;
    }
    return result;
}

const char kChangedOnDiskQuestion[] = "ディスク上のファイルが変更されています。上書きしますか？";

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
