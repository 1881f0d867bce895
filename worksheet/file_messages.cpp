#include "worksheet/file_messages.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "worksheet/system_error.h"

namespace lumo {
namespace {

// 1048575 as "1,048,575", as sizes are written in the program's other messages.
std::string WithThousands(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
    return digits;
}

std::string FolderOf(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) folder = ".";
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
    return (ec ? folder : absolute.lexically_normal()).string();
}

bool RefusesWrites(int err) {
    return err == EACCES || err == EPERM || err == EROFS;
}

}  // namespace

std::string TooLargeMessage(const std::string& path, std::uint64_t size, std::uint64_t limit) {
    std::string message = "ﾌｧｲﾙが大きすぎて開けません。\n" + path + "（";
    if (size > 0) message += WithThousands(size) + " バイト、";
    message += "開けるのは " + WithThousands(limit) + " バイトまで）";
    return message;
}

std::string CannotOpenMessage(const std::string& path, int err) {
    return path + " を開けません。(" + SystemErrorUtf8(err) + ")";
}

std::string CannotReadMessage(const std::string& path, int err) {
    return path + " を読み込めません。(" + SystemErrorUtf8(err) + ")";
}

std::string CannotSaveMessage(const std::string& path, int err) {
    std::string message = path + " に保存できませんでした。(" + SystemErrorUtf8(err) + ")";
    if (RefusesWrites(err) && ::access(FolderOf(path).c_str(), W_OK) != 0) {
        message += "\nフォルダ「" + FolderOf(path) +
                   "」にファイルを作れません。保存はこのフォルダに新しいファイルを作って"
                   "置き換えるため、フォルダへの書き込みの許可が要ります。別のフォルダに"
                   "保存して下さい。";
    }
    return message;
}

std::string WriteRefusalReason(const SafeWriteResult& result) {
    switch (result.refusal) {
        case WriteRefusal::kNotRegular:
            return "通常のファイルではない（リンク、FIFO、装置などの）ため書き込みません。"
                   "その名前のものを別の場所に移すか、別の名前にして下さい";
        case WriteRefusal::kReadOnly:
            return "書き込み禁止です";
        case WriteRefusal::kFailed:
            return SystemErrorUtf8(result.err);
        case WriteRefusal::kNone:
            break;
    }
    return {};
}

}  // namespace lumo
