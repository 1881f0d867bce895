#include "app/gui_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

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
        handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
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

}  // namespace lumo
