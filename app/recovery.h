// Recovery copies of the worksheet: while it holds unsaved changes, its text is written now and
// then to the user's data folder, so that a crash or a power cut costs at most the last half
// minute of typing. The next start offers what such a copy holds.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "worksheet/worksheet_file.h"

namespace lumo {

class CLumoDoc;
class IFrameDialogs;

// The longest stretch of typing a crash may cost.
constexpr int kRecoveryIntervalMs = 30000;

// The question at start, when a copy is left from a run that did not end.
extern const char kRestoreQuestion[];
// Added to it when the file was changed after the copy was made.
extern const char kFileChangedNote[];

// What a recovery copy holds.
struct RecoveryCopy {
    QString copyPath;      // the copy itself
    QString id;            // the instance that wrote it
    std::string pathName;  // the file the worksheet belongs to, native; "" for a new worksheet
    FileFormat format;     // that file's format, for saving the restored text
    qint64 writtenMs = 0;  // when the copy was written, milliseconds since the epoch
    std::string text;      // the worksheet's text, UTF-8 with "\n" line breaks
};

// Reads a recovery copy; nothing when it is damaged or is no recovery copy.
std::optional<RecoveryCopy> ReadRecoveryCopy(const QString& copyPath);

// The recovery copy of one window. Each instance has a name of its own and, from its first
// frame or its first copy on, holds a lock on it for as long as it runs, so two windows never
// write the same copy and a running instance's copy is never offered to another.
class CRecovery : public QObject {
    Q_OBJECT

  public:
    explicit CRecovery(CLumoDoc& doc, QObject* parent = nullptr);
    ~CRecovery() override;

    // Where the copies lie, under the user's data folder.
    static QString Folder();
    // How often the copy is brought up to date: 30 s, or LUMO_RECOVERY_INTERVAL_MS.
    static int IntervalMs();

    // Takes this instance's lock, without which it keeps no copy. The window takes it once its
    // first frame is up, since the lock is synced to disk and the start need not wait for
    // that; anything that writes a copy takes it first. False when no copy can be kept.
    bool TakeLock();
    // Brings the copy up to date when the worksheet holds unsaved changes that it does not have
    // yet. False when it could not be written.
    bool Update();
    // The copy is no longer needed: the worksheet was saved or replaced.
    void Discard();
    // The window closes after the user's answer: the copy goes and no other is written.
    void Finish();
    // The copy as it now stands on disk; empty while there is none.
    QString CopyPath() const { return m_copyPath; }

    // Offers, newest first, the copies that instances no longer running left behind: only
    // those of `openedPathName` when the program was started with a file, all of them
    // otherwise. A copy older than its file is offered too, saying so. Only the user's own
    // copies in a folder of the user's own are offered. On the user's yes,
    // `restore` puts the copy's text into the worksheet, this window's own copy takes it over
    // and no further copy is offered; on no, that copy goes.
    void OfferLeftCopies(const std::string& openedPathName, IFrameDialogs& dialogs,
                         const std::function<void(const RecoveryCopy&)>& restore);

  private:
    bool Write(const std::string& text);

    CLumoDoc& m_doc;
    QString m_folder;
    QString m_id;
    std::unique_ptr<QLockFile> m_pLock;
    bool m_bLockTried = false;
    QTimer m_timer;
    QString m_copyPath;
    std::string m_writtenText;
    std::string m_writtenPathName;
    bool m_bWarned = false;
};

}  // namespace lumo
