#include "tests/test_support.h"

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "worksheet/cp932.h"

namespace lumo::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumo-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    m_path = pattern;
}

namespace {

// Sets or clears the immutable attribute, which binds root too. False where the file system
// has no such attribute or this process may not change it.
bool SetImmutable(const std::string& path, bool immutable) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok && ((flags & FS_IMMUTABLE_FL) != 0) != immutable) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

}  // namespace

TempDir::~TempDir() {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Tests may have made entries immutable or taken write permission away, and may have
    // stopped half-way through: give everything back so that it can all go. The attribute
    // comes first, since an immutable entry refuses chmod too.
    SetImmutable(m_path, false);
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(m_path, ec);
         it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::file_status status = it->symlink_status(ec);
        if (fs::is_regular_file(status) || fs::is_directory(status)) {
            SetImmutable(it->path().string(), false);
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::remove_all(m_path, ec);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
    return std::filesystem::exists(path);
}

bool LockFolder(const std::string& path, bool locked) {
    // Unlocking clears the attribute before chmod, which an immutable folder refuses.
    if (!locked && ::geteuid() == 0 && !SetImmutable(path, false)) return false;
    if (::chmod(path.c_str(), locked ? 0555 : 0755) != 0) return false;
    if (locked && ::geteuid() == 0) return SetImmutable(path, true);
    return true;
}

bool LockFile(const std::string& path, bool locked) {
    if (!locked && ::geteuid() == 0 && !SetImmutable(path, false)) return false;
    if (::chmod(path.c_str(), locked ? 0444 : 0644) != 0) return false;
    if (locked && ::geteuid() == 0) return SetImmutable(path, true);
    return true;
}

ScopedLocale::ScopedLocale(const std::string& name) {
    m_previous = std::setlocale(LC_ALL, nullptr);
    m_ok = std::setlocale(LC_ALL, name.c_str()) != nullptr;
    if (m_ok) return;
    // "ja_JP.UTF-8" is made from the locale source "ja_JP" and the character map "UTF-8".
    const size_t dot = name.find('.');
    if (dot == std::string::npos) return;
    static const TempDir generated;
    std::string charmap = name.substr(dot + 1);
    if (charmap == "eucJP") charmap = "EUC-JP";
    const std::string command = "localedef -i " + name.substr(0, dot) + " -f " + charmap + " " +
                                generated.path() + "/" + name + " >/dev/null 2>&1";
    // localedef may warn and still write the locale; setlocale below says whether it did.
    if (std::system(command.c_str()) == -1) return;
    ::setenv("LOCPATH", generated.path().c_str(), 1);
    m_ok = std::setlocale(LC_ALL, name.c_str()) != nullptr;
}

ScopedLocale::~ScopedLocale() {
    ::unsetenv("LOCPATH");
    std::setlocale(LC_ALL, m_previous.c_str());
}

AnalysisRun AnalysisFixture::Run(bool (*handler)(AnalysisContext&), std::string_view worksheetText,
                                 std::string_view reportName, bool modifiedBefore) {
    sheet.SetText(worksheetText);
    doc.SetModifiedFlag(modifiedBefore);
    messages.messages.clear();
    const std::string reportPath = dir.File(reportName);
    std::filesystem::remove(reportPath);

    AnalysisContext ctx(sheet, doc, messages);
    ctx.SetReportDirectory(dir.path());
    ctx.SetDetails(details);
    AnalysisRun run;
    run.reported = handler(ctx);
    run.appended = sheet.Appended();
    run.reportExists = FileExists(reportPath);
    run.reportBytes = ReadFile(reportPath);
    run.modified = doc.IsModified();
    run.messages = messages.messages;
    run.record = ctx.Record();
    return run;
}

std::string ReportBytes(std::string_view utf8WithLf) {
    std::string crlf;
    for (const char c : utf8WithLf) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return ToCp932(crlf);
}

namespace {

// Runs `program` with its output collected; `asUser` (when not null) drops to that user first.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& cwd, StdoutTo stdoutTo, const UnprivilegedUser* asUser,
                         const std::vector<std::string>& env) {
    ProcessResult result;
    TempDir io;
    const std::string outPath = io.File("out");
    const std::string errPath = io.File("err");
    int pipeEnds[2] = {-1, -1};
    if (stdoutTo == StdoutTo::kClosedPipe) {
        if (::pipe(pipeEnds) != 0) return result;
        ::close(pipeEnds[0]);  // nobody reads: every write fails with EPIPE or SIGPIPE
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(cwd.c_str()) != 0) ::_exit(127);
        int out = -1;
        if (stdoutTo == StdoutTo::kClosedPipe) {
            out = pipeEnds[1];
        } else {
            out = ::open(stdoutTo == StdoutTo::kFullDevice ? "/dev/full" : outPath.c_str(),
                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        }
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(out, 1);
        ::dup2(err, 2);
        ::dup2(in, 0);
        std::vector<char*> argv;
        std::string binary = program;
        argv.push_back(binary.data());
        std::vector<std::string> copies(args);
        for (std::string& a : copies) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        for (const std::string& e : env) {
            const size_t eq = e.find('=');
            ::setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
        }
        if (asUser != nullptr) {
            ::setenv("HOME", cwd.c_str(), 1);
            if (::setgroups(0, nullptr) != 0 || ::setgid(asUser->gid()) != 0 ||
                ::setuid(asUser->uid()) != 0) {
                ::_exit(126);
            }
        }
        ::execv(binary.c_str(), argv.data());
        ::_exit(127);
    }
    if (pipeEnds[1] >= 0) ::close(pipeEnds[1]);
    // A run that hangs is ended after a generous while and counts as killed, so that a test
    // of a hang fails instead of never finishing.
    int status = 0;
    for (int waited = 0; ::waitpid(pid, &status, WNOHANG) == 0; ++waited) {
        if (waited == 120 * 100) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            break;
        }
        ::usleep(10000);
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = ReadFile(outPath);
    result.err = ReadFile(errPath);
    return result;
}

// Runs a system tool quietly; true when it exits with 0.
bool RunTool(const std::vector<std::string>& args) {
    TempDir cwd;
    return RunProcess(args.front(), {args.begin() + 1, args.end()}, cwd.path(), StdoutTo::kFile,
                      nullptr, {})
               .exitCode == 0;
}

}  // namespace

ProcessResult RunLumo(const std::vector<std::string>& args, const std::string& cwd,
                      StdoutTo stdoutTo) {
    return RunProcess(LUMO_BINARY, args, cwd, stdoutTo, nullptr, {});
}

UnprivilegedUser::UnprivilegedUser() {
    if (::geteuid() != 0) {
        m_why = "not run as root, so no second user can be made to plant files";
        return;
    }
    const char* tools[] = {"/usr/sbin/useradd", "/usr/sbin/userdel"};
    for (const char* tool : tools) {
        if (::access(tool, X_OK) != 0) {
            m_why = std::string(tool) + " is missing";
            return;
        }
    }
    m_name = "lumot" + std::to_string(::getpid());
    if (!RunTool({tools[0], "--no-create-home", "--user-group", "--shell", "/usr/sbin/nologin",
                  m_name})) {
        m_why = "useradd " + m_name + " failed";
        return;
    }
    const struct passwd* pw = ::getpwnam(m_name.c_str());
    if (pw == nullptr) {
        m_why = "the new user " + m_name + " cannot be found";
        return;
    }
    m_uid = pw->pw_uid;
    m_gid = pw->pw_gid;
    m_ok = true;
}

UnprivilegedUser::~UnprivilegedUser() {
    if (!m_name.empty() && (m_ok || ::getpwnam(m_name.c_str()) != nullptr)) {
        RunTool({"/usr/sbin/userdel", m_name});
    }
}

ProcessResult UnprivilegedUser::Run(const std::string& program,
                                    const std::vector<std::string>& args, const std::string& cwd,
                                    const std::vector<std::string>& env) const {
    return RunProcess(program, args, cwd, StdoutTo::kFile, this, env);
}

std::string ExamplePath(std::string_view name) {
    return std::string(LUMO_SOURCE_DIR) + "/examples/" + std::string(name);
}

}  // namespace lumo::test
