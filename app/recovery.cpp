#include "app/recovery.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "app/frame_dialogs.h"
#include "worksheet/cp932.h"
#include "worksheet/lumo_doc.h"
#include "worksheet/worksheet.h"

namespace lumo {

const char kRestoreQuestion[] = "前回の編集内容を復元しますか？";
const char kFileChangedNote[] =
    "\n※ この記録の後にファイルが変更されています。復元すると、その変更の代わりに記録の内容に"
    "なります。";

namespace {

// The first line of every copy, with the version of its layout.
constexpr char kMagic[] = "Lumo recovery copy 1";
const QString kCopySuffix = QStringLiteral(".recovery");
const QString kLockSuffix = QStringLiteral(".lock");
// The name an untitled worksheet goes by, as in the window's caption.
constexpr char kUntitledName[] = "VARNEL";
constexpr char kBom[] = "\xEF\xBB\xBF";

const char* EncodingName(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::kCp932:
            return "cp932";
        case TextEncoding::kUtf8:
            return "utf-8";
        case TextEncoding::kUtf8Bom:
            return "utf-8-bom";
        case TextEncoding::kUtf16Le:
            return "utf-16le";
        case TextEncoding::kUtf16Be:
            return "utf-16be";
    }
    return "utf-8";
}

const char* LineEndName(LineEnd lineEnd) {
    switch (lineEnd) {
        case LineEnd::kCrLf:
            return "crlf";
        case LineEnd::kLf:
            return "lf";
        case LineEnd::kCr:
            return "cr";
    }
    return "lf";
}

bool ParseEncoding(const QByteArray& name, TextEncoding& encoding) {
    for (TextEncoding e : {TextEncoding::kCp932, TextEncoding::kUtf8, TextEncoding::kUtf8Bom,
                           TextEncoding::kUtf16Le, TextEncoding::kUtf16Be}) {
        if (name == EncodingName(e)) {
            encoding = e;
            return true;
        }
    }
    return false;
}

bool ParseLineEnd(const QByteArray& name, LineEnd& lineEnd) {
    for (LineEnd e : {LineEnd::kCrLf, LineEnd::kLf, LineEnd::kCr}) {
        if (name == LineEndName(e)) {
            lineEnd = e;
            return true;
        }
    }
    return false;
}

// The inverse of EncodeWorksheet for a known format, without guessing the encoding the way
// opening a file must: false when the bytes are not valid in it.
bool DecodeAs(std::string_view bytes, const FileFormat& format, std::string& text) {
    std::string decoded;
    switch (format.encoding) {
        case TextEncoding::kCp932:
            if (!Cp932ToUtf8(bytes, decoded)) return false;
            break;
        case TextEncoding::kUtf8Bom:
            if (bytes.substr(0, 3) != kBom) return false;
            bytes.remove_prefix(3);
            [[fallthrough]];
        case TextEncoding::kUtf8:
            if (!IsValidUtf8(bytes)) return false;
            decoded.assign(bytes);
            break;
        case TextEncoding::kUtf16Le:
        case TextEncoding::kUtf16Be: {
            const bool bigEndian = format.encoding == TextEncoding::kUtf16Be;
            if (bytes.substr(0, 2) != (bigEndian ? "\xFE\xFF" : "\xFF\xFE")) return false;
            if (!Utf16ToUtf8(bytes.substr(2), bigEndian, decoded)) return false;
            break;
        }
    }
    text.clear();
    text.reserve(decoded.size());
    for (size_t i = 0; i < decoded.size(); ++i) {
        const char c = decoded[i];
        if (format.lineEnd == LineEnd::kCrLf && c == '\r' && i + 1 < decoded.size() &&
            decoded[i + 1] == '\n') {
            continue;  // the LF that follows stands for the break
        }
        text += (format.lineEnd == LineEnd::kCr && c == '\r') ? '\n' : c;
    }
    return true;
}

// A name a person can recognise in the folder: the file's name, without anything that would
// trouble a file system or a terminal.
QString ReadableName(const std::string& pathName) {
    QString name =
        pathName.empty()
            ? QString::fromLatin1(kUntitledName)
            : QFileInfo(QFile::decodeName(QByteArray::fromStdString(pathName))).fileName();
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c == QLatin1Char('/') || c == QLatin1Char('\\') ||
            c == QChar(0x7F)) {
            c = QLatin1Char('_');
        }
    }
    return name.left(80);
}

QString DisplayName(const std::string& pathName) {
    if (pathName.empty()) return QString::fromLatin1(kUntitledName);
    return QDir::toNativeSeparators(QFile::decodeName(QByteArray::fromStdString(pathName)));
}

// True when the file was written after the copy: restoring would put the copy's older text
// over that change, so the question says so.
bool IsOlderThanItsFile(const RecoveryCopy& copy) {
    if (copy.pathName.empty()) return false;
    const QFileInfo file(QFile::decodeName(QByteArray::fromStdString(copy.pathName)));
    return file.exists() && file.lastModified().toMSecsSinceEpoch() > copy.writtenMs;
}

// The copies hold the user's unsaved text: a folder that someone else owns, or that others
// may write in, would let them read it or plant copies that the next start offers. Made
// 0700 when missing; one of the user's own that only others can read is closed up.
bool PrepareFolder(const QString& folder, QString& problem) {
    const QByteArray native = QFile::encodeName(folder);
    if (!QDir().mkpath(QFileInfo(folder).absolutePath())) {
        problem = QStringLiteral("it cannot be created");
        return false;
    }
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        problem = QStringLiteral("it cannot be created");
        return false;
    }
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        problem = QStringLiteral("it is not a folder");
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        problem = QStringLiteral("it belongs to another user");
        return false;
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        problem = QStringLiteral("other users may write in it");
        return false;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0) {
        problem = QStringLiteral("it cannot be made private (chmod 700)");
        return false;
    }
    return true;
}

// A copy offered at start must be the user's own regular file, not one that someone with
// access to the folder put there, nor a link to another file.
bool IsOwnCopy(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode) &&
           st.st_uid == ::geteuid();
}

std::unique_ptr<QLockFile> MakeLock(const QString& folder, const QString& id) {
    auto lock = std::make_unique<QLockFile>(folder + QLatin1Char('/') + id + kLockSuffix);
    // A lock is given up only when its process is gone, however long that process has run.
    lock->setStaleLockTime(0);
    return lock;
}

}  // namespace

std::optional<RecoveryCopy> ReadRecoveryCopy(const QString& copyPath) {
    QFile file(copyPath);
    // Typing and reports can take a worksheet well past the size a file may have to be
    // opened, so only what is surely no copy of a worksheet is refused unread.
    constexpr qint64 kMaxCopyBytes = qint64(256) << 20;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCopyBytes) {
        return std::nullopt;
    }
    const QByteArray data = file.readAll();
    RecoveryCopy copy;
    copy.copyPath = copyPath;
    copy.id = QFileInfo(copyPath).fileName().section(QLatin1Char('.'), 0, 0);

    qsizetype pos = 0;
    auto nextLine = [&](QByteArray& line) {
        const qsizetype end = data.indexOf('\n', pos);
        if (end < 0) return false;
        line = data.mid(pos, end - pos);
        pos = end + 1;
        return true;
    };
    QByteArray line;
    if (!nextLine(line) || line != kMagic) return std::nullopt;
    bool haveFile = false, haveFormat = false, haveStored = false, haveWritten = false;
    qint64 size = -1;
    FileFormat stored;
    while (nextLine(line) && !line.isEmpty()) {
        const QList<QByteArray> fields = line.split(' ');
        const QByteArray& key = fields.front();
        if (key == "file" && fields.size() == 2) {
            copy.pathName = fields[1] == "-"
                                ? std::string()
                                : QByteArray::fromPercentEncoding(fields[1]).toStdString();
            haveFile = true;
        } else if (key == "format" && fields.size() == 4) {
            haveFormat = ParseEncoding(fields[1], copy.format.encoding) &&
                         ParseLineEnd(fields[2], copy.format.lineEnd);
            copy.format.hadInvalidBytes = fields[3] == "1";
        } else if (key == "stored" && fields.size() == 3) {
            haveStored = ParseEncoding(fields[1], stored.encoding) &&
                         ParseLineEnd(fields[2], stored.lineEnd);
        } else if (key == "written" && fields.size() == 2) {
            copy.writtenMs = fields[1].toLongLong(&haveWritten);
        } else if (key == "size" && fields.size() == 2) {
            bool ok = false;
            size = fields[1].toLongLong(&ok);
            if (!ok) size = -1;
        }
    }
    if (!haveFile || !haveFormat || !haveStored || !haveWritten || size < 0 ||
        data.size() - pos != size) {
        return std::nullopt;
    }
    const std::string_view body(data.constData() + pos, static_cast<size_t>(size));
    if (!DecodeAs(body, stored, copy.text)) return std::nullopt;
    return copy;
}

CRecovery::CRecovery(CLumoDoc& doc, QObject* parent)
    : QObject(parent), m_doc(doc), m_folder(Folder()) {
    m_id = QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, u'0');
    m_timer.setInterval(IntervalMs());
    connect(&m_timer, &QTimer::timeout, this, &CRecovery::Update);
    m_timer.start();
}

bool CRecovery::TakeLock() {
    if (m_bLockTried) return m_pLock != nullptr;
    m_bLockTried = true;
    QString problem;
    if (PrepareFolder(m_folder, problem)) {
        m_pLock = MakeLock(m_folder, m_id);
        if (!m_pLock->tryLock(0)) {
            m_pLock.reset();
            problem = QStringLiteral("its lock cannot be taken");
        }
    }
    if (!m_pLock) {
        m_timer.stop();
        std::fprintf(stderr,
                     "lumo: warning: no recovery copies are kept, since the folder %s is not "
                     "safe to use: %s. Remove it, or make it a folder of your own that only you "
                     "can write in (chmod 700).\n",
                     qPrintable(QDir::toNativeSeparators(m_folder)), qPrintable(problem));
    }
    return m_pLock != nullptr;
}

CRecovery::~CRecovery() {
    // Going away with changes nobody saved or gave up (the program ended without closing its
    // window) keeps the copy for the next start.
    if (!m_doc.IsModified()) Discard();
}

QString CRecovery::Folder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/recovery");
}

int CRecovery::IntervalMs() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("LUMO_RECOVERY_INTERVAL_MS", &ok);
    return ok && ms > 0 ? ms : kRecoveryIntervalMs;
}

bool CRecovery::Update() {
    if (!m_doc.IsModified() || m_doc.Worksheet() == nullptr || !TakeLock()) return true;
    const std::string text = m_doc.Worksheet()->GetText();
    if (!m_copyPath.isEmpty() && text == m_writtenText && m_doc.PathName() == m_writtenPathName) {
        return true;
    }
    return Write(text);
}

bool CRecovery::Write(const std::string& text) {
    // The copy is stored as the worksheet's file would be, so it reads as that file does; a
    // text that this encoding would not give back exactly (a wave dash that CP932 turns into a
    // full-width tilde, a character it lacks) is stored as UTF-8 instead.
    FileFormat stored = m_doc.Format();
    stored.hadInvalidBytes = false;
    std::string body;
    std::string check;
    if (!EncodeWorksheet(text, stored, body) || !DecodeAs(body, stored, check) || check != text) {
        stored = FileFormat{TextEncoding::kUtf8, LineEnd::kLf, false};
        body = text;
    }
    const std::string& pathName = m_doc.PathName();
    QByteArray header = kMagic;
    header += "\nfile ";
    header += pathName.empty() ? QByteArray("-")
                               : QByteArray::fromStdString(pathName).toPercentEncoding();
    header += "\nformat ";
    header += EncodingName(m_doc.Format().encoding);
    header += ' ';
    header += LineEndName(m_doc.Format().lineEnd);
    header += m_doc.Format().hadInvalidBytes ? " 1" : " 0";
    header += "\nstored ";
    header += EncodingName(stored.encoding);
    header += ' ';
    header += LineEndName(stored.lineEnd);
    header += "\nwritten " + QByteArray::number(QDateTime::currentMSecsSinceEpoch());
    header += "\nsize " + QByteArray::number(qint64(body.size())) + "\n\n";

    const QString path = m_folder + QLatin1Char('/') + m_id + QLatin1Char('.') +
                         ReadableName(pathName) + kCopySuffix;
    // Written beside and renamed over the old one, so a crash while writing leaves the last
    // complete copy.
    QSaveFile file(path);
    // For the user's eyes only, whatever the umask says.
    const bool ok = file.open(QIODevice::WriteOnly) &&
                    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                    file.write(header) == header.size() &&
                    file.write(body.data(), qint64(body.size())) == qint64(body.size()) &&
                    file.commit();
    if (!ok) {
        if (!m_bWarned) {
            std::fprintf(stderr, "lumo: the recovery copy %s could not be written: %s\n",
                         qPrintable(QDir::toNativeSeparators(path)),
                         qPrintable(file.errorString()));
        }
        m_bWarned = true;
        return false;
    }
    m_bWarned = false;
    if (!m_copyPath.isEmpty() && m_copyPath != path) QFile::remove(m_copyPath);
    m_copyPath = path;
    m_writtenText = text;
    m_writtenPathName = pathName;
    return true;
}

void CRecovery::Discard() {
    if (!m_copyPath.isEmpty()) QFile::remove(m_copyPath);
    m_copyPath.clear();
    m_writtenText.clear();
    m_writtenPathName.clear();
}

void CRecovery::Finish() {
    m_timer.stop();
    m_bLockTried = true;
    m_pLock.reset();
    Discard();
}

void CRecovery::OfferLeftCopies(const std::string& openedPathName, IFrameDialogs& dialogs,
                                const std::function<void(const RecoveryCopy&)>& restore) {
    struct LeftCopy {
        RecoveryCopy copy;
        std::unique_ptr<QLockFile> lock;
        bool fileChanged = false;
    };
    std::vector<LeftCopy> offers;
    // Nothing is offered from a folder others could have put copies in; the warning comes
    // when the lock is taken.
    QString problem;
    if (!PrepareFolder(m_folder, problem)) return;
    const QDir folder(m_folder);
    QStringList ownersWithCopies;
    for (const QFileInfo& entry :
         folder.entryInfoList({QLatin1Char('*') + kCopySuffix}, QDir::Files, QDir::Name)) {
        const QString id = entry.fileName().section(QLatin1Char('.'), 0, 0);
        ownersWithCopies << id;
        if (id == m_id || !IsOwnCopy(entry.filePath())) continue;
        std::unique_ptr<QLockFile> lock = MakeLock(m_folder, id);
        // Held by a running instance: that copy is still in use.
        if (!lock->tryLock(0)) continue;
        std::optional<RecoveryCopy> copy = ReadRecoveryCopy(entry.filePath());
        // A damaged copy is left where it is, for whoever wants to look at it.
        if (!copy) continue;
        if (!openedPathName.empty() && copy->pathName != openedPathName) continue;
        const bool fileChanged = IsOlderThanItsFile(*copy);
        offers.push_back({std::move(*copy), std::move(lock), fileChanged});
    }
    // Locks of instances that ended before they wrote any copy.
    for (const QFileInfo& entry :
         folder.entryInfoList({QLatin1Char('*') + kLockSuffix}, QDir::Files, QDir::Name)) {
        const QString id = entry.completeBaseName();
        if (id == m_id || ownersWithCopies.contains(id)) continue;
        MakeLock(m_folder, id)->tryLock(0);  // taken from a gone instance, and given up again
    }

    std::stable_sort(offers.begin(), offers.end(), [](const LeftCopy& a, const LeftCopy& b) {
        return a.copy.writtenMs > b.copy.writtenMs;
    });
    for (const LeftCopy& offer : offers) {
        const QString when = QDateTime::fromMSecsSinceEpoch(offer.copy.writtenMs)
                                 .toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        const QString question =
            QString::fromUtf8(kRestoreQuestion) + QStringLiteral("\nファイル：") +
            DisplayName(offer.copy.pathName) + QStringLiteral("\n記録時刻：") + when +
            (offer.fileChanged ? QString::fromUtf8(kFileChangedNote) : QString());
        if (!dialogs.AskYesNo(question)) {
            QFile::remove(offer.copy.copyPath);
            continue;
        }
        restore(offer.copy);
        // This window's copy takes over before the old one goes, so the text is never only on
        // screen.
        if (TakeLock() &&
            Write(m_doc.Worksheet() != nullptr ? m_doc.Worksheet()->GetText() : offer.copy.text)) {
            QFile::remove(offer.copy.copyPath);
        }
        break;
    }
}

}  // namespace lumo
