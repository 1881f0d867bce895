#include "worksheet/safe_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <vector>

namespace lumo {
namespace {

// The signal that arrived while a write was under way, raised again once it is complete. A
// signal handler can reach nothing else, so this one flag has to live here.
volatile std::sig_atomic_t g_heldSignal = 0;

void HoldSignal(int signal) {
    g_heldSignal = signal;
}

// Holds the signals that would end the program while a file is half written or a temporary
// copy lies beside it; the first one is raised again, under its own disposition, afterwards.
// Signals the program ignores stay ignored.
class SignalHold {
  public:
    SignalHold() {
        if (s_depth++ > 0) return;
        g_heldSignal = 0;
        for (int i = 0; i < kCount; ++i) {
            m_installed[i] = false;
            if (::sigaction(kSignals[i], nullptr, &m_old[i]) != 0) continue;
            if (m_old[i].sa_handler == SIG_IGN) continue;
            struct sigaction hold {};
            hold.sa_handler = HoldSignal;
            hold.sa_flags = SA_RESTART;
            sigfillset(&hold.sa_mask);
            m_installed[i] = ::sigaction(kSignals[i], &hold, nullptr) == 0;
        }
    }
    ~SignalHold() {
        if (--s_depth > 0) return;
        for (int i = 0; i < kCount; ++i) {
            if (m_installed[i]) ::sigaction(kSignals[i], &m_old[i], nullptr);
        }
        const int held = g_heldSignal;
        g_heldSignal = 0;
        if (held != 0) std::raise(held);
    }
    SignalHold(const SignalHold&) = delete;
    SignalHold& operator=(const SignalHold&) = delete;

  private:
    static constexpr int kCount = 3;
    static constexpr int kSignals[kCount] = {SIGINT, SIGTERM, SIGHUP};
    static inline int s_depth = 0;
    struct sigaction m_old[kCount] {};
    bool m_installed[kCount] = {};
};

SafeWriteResult Failed(int err) {
    SafeWriteResult result;
    result.refusal = WriteRefusal::kFailed;
    result.err = err;
    return result;
}

SafeWriteResult Refused(WriteRefusal refusal) {
    SafeWriteResult result;
    result.refusal = refusal;
    return result;
}

// The file a write goes to, found without writing anything.
struct Target {
    std::string path;
    std::string folder;
    std::string name;
    bool exists = false;
    struct stat st {};
};

SafeWriteResult Resolve(const std::string& path, LinkPolicy policy, Target& target) {
    target.path = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) return Failed(errno);
    } else if (S_ISLNK(st.st_mode)) {
        // A link that points nowhere would make the write create its target: refused too.
        if (policy == LinkPolicy::kReplace) return Refused(WriteRefusal::kNotRegular);
        char* real = ::realpath(path.c_str(), nullptr);
        if (real == nullptr) {
            return errno == ENOENT ? Refused(WriteRefusal::kNotRegular) : Failed(errno);
        }
        target.path = real;
        std::free(real);
        if (::lstat(target.path.c_str(), &st) != 0) return Failed(errno);
        target.exists = true;
    } else {
        target.exists = true;
    }
    if (target.exists) {
        if (!S_ISREG(st.st_mode)) return Refused(WriteRefusal::kNotRegular);
        target.st = st;
        if (::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0) {
            if (errno == EACCES || errno == EPERM) return Refused(WriteRefusal::kReadOnly);
            return Failed(errno);
        }
    }
    const std::size_t slash = target.path.rfind('/');
    if (slash == std::string::npos) {
        target.folder = ".";
        target.name = target.path;
    } else {
        target.folder = slash == 0 ? "/" : target.path.substr(0, slash);
        target.name = target.path.substr(slash + 1);
    }
    if (target.name.empty() || target.name == "." || target.name == "..") {
        return Refused(WriteRefusal::kNotRegular);
    }
    return {};
}

// Syncs a file's data, or a folder's entries, to the disk. The fuzz build leaves it out:
// there the files lie in a scratch folder, and a sync per run would be all it measured.
int SyncToDisk(int fd) {
#ifdef LUMO_NO_DISK_SYNC
    (void)fd;
    return 0;
#else
    return ::fsync(fd);
#endif
}

// Makes a rename in `folder` survive a power cut: the new entry is on disk once this returns.
// A file system that cannot sync a folder has nothing more to give, so failure is not an error.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    SyncToDisk(fd);
    ::close(fd);
}

// The part of a temporary's name before its process number: "." + the name (as much as fits)
// + ".lumo-". Temporaries are named "<prefix><pid>.XXXXXX", so a save can tell its own stale
// ones (left by a process that was killed) from anything else in the folder.
constexpr std::string_view kPidTag = ".lumo-";
constexpr std::size_t kPidDigits = 10;

std::string TemporaryPrefix(std::string_view name) {
    constexpr std::size_t kRoom = NAME_MAX - 1 - kPidTag.size() - kPidDigits - 7;
    std::string prefix = ".";
    prefix += name.substr(0, kRoom);
    prefix += kPidTag;
    return prefix;
}

// Removes the temporaries of `name` that a process which is gone left behind (a save killed
// half-way). Only regular files of this user's that match the pattern exactly are touched;
// the process number may have been given to another process since, and then the file stays.
void RemoveStaleTemporaries(const Target& target) {
    const std::string prefix = TemporaryPrefix(target.name);
    DIR* folder = ::opendir(target.folder.c_str());
    if (folder == nullptr) return;
    const pid_t self = ::getpid();
    while (const struct dirent* entry = ::readdir(folder)) {
        const std::string_view name(entry->d_name);
        if (!name.starts_with(prefix)) continue;
        const std::string_view rest = name.substr(prefix.size());
        const std::size_t dot = rest.find('.');
        if (dot == 0 || dot == std::string_view::npos || dot > kPidDigits ||
            rest.size() != dot + 7) {
            continue;
        }
        long long pid = 0;
        bool digits = true;
        for (const char c : rest.substr(0, dot)) {
            digits = digits && c >= '0' && c <= '9';
            pid = pid * 10 + (c - '0');
        }
        if (!digits || pid <= 0 || pid > INT_MAX || pid == self) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat st {};
        const int dirFd = ::dirfd(folder);
        const std::string entryName(name);
        if (::fstatat(dirFd, entryName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == ::geteuid()) {
            ::unlinkat(dirFd, entryName.c_str(), 0);
        }
    }
    ::closedir(folder);
}

int MakeTemporary(const Target& target, std::string& temp) {
    temp =
        target.folder + "/" + TemporaryPrefix(target.name) + std::to_string(::getpid()) + ".XXXXXX";
    return ::mkostemp(temp.data(), O_CLOEXEC);
}

// The copy of the old contents that an in-place write keeps while it writes: not removed by a
// later save, since after a crash it may be all that is left of the old file.
int MakeBackup(const Target& target, std::string& backup) {
    backup = target.folder + "/" + TemporaryName(target.name);
    return ::mkostemp(backup.data(), O_CLOEXEC);
}

bool WriteAllAt(int fd, std::string_view bytes, off_t offset) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                   offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, std::size_t limit, std::string& bytes) {
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (got == 0) return true;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > limit) {
            errno = EFBIG;
            return false;
        }
    }
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Carries the old file's access control list and its user.* attributes over to the new file
// `to`, so that the colleagues a shared file was opened to keep their access. The list lives in
// the system.posix_acl_access attribute. Returns 0, or the errno of the call that failed; a
// file system without attributes has nothing to carry.
int CopyAttributes(const std::string& from, int to) {
    std::vector<char> names;
    for (;;) {
        const ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
        if (size < 0) return errno == ENOTSUP ? 0 : errno;
        names.resize(static_cast<std::size_t>(size));
        const ssize_t got = ::listxattr(from.c_str(), names.data(), names.size());
        if (got >= 0) {
            names.resize(static_cast<std::size_t>(got));
            break;
        }
        if (errno != ERANGE) return errno;  // the list grew in between: ask again
    }
    std::vector<char> value;
    for (std::size_t at = 0; at < names.size();) {
        const std::string name(names.data() + at);
        at += name.size() + 1;
        if (!name.starts_with("user.") && name != "system.posix_acl_access") continue;
        ssize_t got = -1;
        for (;;) {
            const ssize_t size = ::getxattr(from.c_str(), name.c_str(), nullptr, 0);
            if (size < 0) break;
            value.resize(static_cast<std::size_t>(size));
            got = ::getxattr(from.c_str(), name.c_str(), value.data(), value.size());
            if (got >= 0 || errno != ERANGE) break;
        }
        if (got < 0) {
            if (errno == ENODATA) continue;  // removed in between
            return errno;
        }
        if (::fsetxattr(to, name.c_str(), value.data(), static_cast<std::size_t>(got), 0) != 0) {
            return errno;
        }
    }
    return 0;
}

// Writes the file's own inode: its other names, its owner and its mode stay. The old contents
// are copied beside it first, and put back when the new ones cannot be written.
SafeWriteResult WriteInPlace(const Target& target, std::string_view bytes) {
    const int fd =
        ::open(target.path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Failed(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_ino != target.st.st_ino ||
        st.st_dev != target.st.st_dev) {
        ::close(fd);
        return Refused(WriteRefusal::kNotRegular);
    }
    std::string old;
    if (!ReadAll(fd, static_cast<std::size_t>(-1), old)) {
        const int err = errno;
        ::close(fd);
        return Failed(err);
    }
    std::string backup;
    const int copy = MakeBackup(target, backup);
    if (copy < 0) {
        const int err = errno;
        ::close(fd);
        return Failed(err);
    }
    if (!WriteAllAt(copy, old, 0) || SyncToDisk(copy) != 0) {
        const int err = errno;
        ::close(copy);
        ::unlink(backup.c_str());
        ::close(fd);
        return Failed(err);
    }
    ::close(copy);
    if (WriteAllAt(fd, bytes, 0) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
        SyncToDisk(fd) == 0) {
        ::close(fd);
        ::unlink(backup.c_str());
        return {};
    }
    SafeWriteResult result = Failed(errno);
    const bool restored = WriteAllAt(fd, old, 0) &&
                          ::ftruncate(fd, static_cast<off_t>(old.size())) == 0 &&
                          SyncToDisk(fd) == 0;
    ::close(fd);
    if (restored) {
        ::unlink(backup.c_str());
    } else {
        result.keptCopy = backup;
    }
    return result;
}

}  // namespace

std::string TemporaryName(std::string_view name) {
    constexpr std::string_view kSuffix = ".XXXXXX";
    constexpr std::size_t kRoom = NAME_MAX - 1 - kSuffix.size();
    std::string temp = ".";
    temp += name.substr(0, kRoom);
    temp += kSuffix;
    return temp;
}

SafeWriteResult CheckWritable(const std::string& path, LinkPolicy policy) {
    Target target;
    SafeWriteResult result = Resolve(path, policy, target);
    if (!result.ok()) return result;
    // Only a file actually made there shows that the folder takes new files (a read-only
    // mount, an immutable folder, a folder of someone else's).
    SignalHold hold;
    std::string temp;
    const int fd = MakeTemporary(target, temp);
    if (fd < 0) return Failed(errno);
    ::close(fd);
    ::unlink(temp.c_str());
    return result;
}

SafeWriteResult SafeWriteFile(const std::string& path, std::string_view bytes, LinkPolicy policy) {
    Target target;
    SafeWriteResult result = Resolve(path, policy, target);
    if (!result.ok()) return result;
    SignalHold hold;
    RemoveStaleTemporaries(target);
    if (policy == LinkPolicy::kKeepFile && target.exists && target.st.st_nlink > 1) {
        return WriteInPlace(target, bytes);
    }
    std::string temp;
    const int fd = MakeTemporary(target, temp);
    if (fd < 0) return Failed(errno);
    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        return Failed(err);
    };
    const mode_t mode = target.exists ? (target.st.st_mode & 07777) : NewFileMode();
    if (policy == LinkPolicy::kKeepFile && target.exists) {
        struct stat made {};
        if (::fstat(fd, &made) != 0) return fail(errno);
        if ((made.st_uid != target.st.st_uid || made.st_gid != target.st.st_gid) &&
            ::fchown(fd, target.st.st_uid, target.st.st_gid) != 0) {
            // A new file would change the owner: write the user's file itself instead.
            ::close(fd);
            ::unlink(temp.c_str());
            return WriteInPlace(target, bytes);
        }
    }
    if (!WriteAllAt(fd, bytes, 0)) return fail(errno);
    if (::fchmod(fd, mode) != 0) return fail(errno);
    // After the mode, which would otherwise change the list's mask again.
    if (target.exists) {
        if (const int err = CopyAttributes(target.path, fd); err != 0) {
            if (policy == LinkPolicy::kKeepFile) {
                // The file itself keeps them all: written in place, nothing is lost.
                ::close(fd);
                ::unlink(temp.c_str());
                return WriteInPlace(target, bytes);
            }
            result.attributesErr = err;
        }
    }
    if (SyncToDisk(fd) != 0) return fail(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return Failed(err);
    }
    if (::rename(temp.c_str(), target.path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        return Failed(err);
    }
    SyncFolder(target.folder);
    return result;
}

int OpenRegularFile(const std::string& path, bool followLink, WriteRefusal& refusal) {
    refusal = WriteRefusal::kNone;
    // The type is looked at before opening, since merely opening a device can act on it.
    struct stat st {};
    const int looked = followLink ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    if (looked == 0 && !S_ISREG(st.st_mode)) {
        refusal = WriteRefusal::kNotRegular;
        return -1;
    }
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        refusal =
            (!followLink && errno == ELOOP) ? WriteRefusal::kNotRegular : WriteRefusal::kFailed;
        return -1;
    }
    // The name may have been changed in between: the open file itself decides.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        refusal = WriteRefusal::kNotRegular;
        return -1;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

bool ReadRegularFile(const std::string& path, bool followLink, std::size_t limit,
                     std::string& bytes) {
    WriteRefusal refusal = WriteRefusal::kNone;
    const int fd = OpenRegularFile(path, followLink, refusal);
    if (fd < 0) return false;
    const bool ok = ReadAll(fd, limit, bytes);
    ::close(fd);
    if (!ok) bytes.clear();
    return ok;
}

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace lumo
