#include "app/gui_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <system_error>

namespace lumo {
namespace {

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string exe(path, static_cast<size_t>(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

}  // namespace

void* LoadGuiEntry(const char* symbol, std::string* error) {
    // dlopen hands back the same handle for a module already loaded, so nothing is cached here.
    const std::string folder = ProgramFolder();
    void* handle = nullptr;
    std::string reasons;
    for (const std::string& candidate :
         {folder + "/liblumo_gui.so", folder + "/../lib/lumo/liblumo_gui.so"}) {
        // Lazy binding, as for any program linked against Qt: binding all of Qt's functions at
        // load would cost the first window several milliseconds for functions never called.
        handle = ::dlopen(candidate.c_str(), RTLD_LAZY | RTLD_LOCAL);
        if (handle != nullptr) break;
        reasons += std::string(reasons.empty() ? "" : "; ") + ::dlerror();
    }
    if (handle == nullptr) {
        if (error != nullptr) *error = "cannot load the desktop program: " + reasons;
        return nullptr;
    }
    void* entry = ::dlsym(handle, symbol);
    if (entry == nullptr && error != nullptr) *error = std::string("missing ") + symbol;
    return entry;
}

namespace {

// Qt's libraries load the same libraries by the same names and so share what is read here;
// they stay loaded for them.
void* LoadSharedLibrary(const char* name) {
    return ::dlopen(name, RTLD_LAZY | RTLD_LOCAL);
}

void ReadXLocale() {
    // Only a program that talks to an X display needs it.
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return;
    void* library = LoadSharedLibrary("libX11.so.6");
    if (library == nullptr) return;
    // Older Xlib wants XInitThreads before any other call in a program with threads; Qt calls
    // it too, and a second call does nothing.
    const auto initThreads = reinterpret_cast<int (*)()>(::dlsym(library, "XInitThreads"));
    const auto supportsLocale = reinterpret_cast<int (*)()>(::dlsym(library, "XSupportsLocale"));
    if (initThreads != nullptr && supportsLocale != nullptr && initThreads() != 0) {
        supportsLocale();
    }
}

void ReadFontConfig() {
    void* library = LoadSharedLibrary("libfontconfig.so.1");
    if (library == nullptr) return;
    if (const auto init = reinterpret_cast<int (*)()>(::dlsym(library, "FcInit"))) init();
}

}  // namespace

StartupWarmUp::StartupWarmUp() {
    try {
        m_thread = std::thread([this] {
            ReadXLocale();
            m_localeRead.count_down();
            ReadFontConfig();
        });
    } catch (const std::system_error&) {
        // Without a second thread Qt reads both itself, as it always can.
    }
}

StartupWarmUp::~StartupWarmUp() {
    if (m_thread.joinable()) m_thread.join();
}

void StartupWarmUp::WaitForLocale() {
    if (m_thread.joinable()) m_localeRead.wait();
}

}  // namespace lumo
