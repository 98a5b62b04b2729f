// On Linux the dynamic loader runs these when the shared library is loaded and
// unloaded; they play the part of the system loader's calls to the entry point.
#include <dlfcn.h>

#include "module/module_entry.h"

namespace {

vantrel::framework::ModuleHandle ThisModule() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ThisModule), &info) == 0) return nullptr;
    return info.dli_fbase;
}

__attribute__((constructor)) void AttachModule() {
    // Nothing here can refuse the load; the framework layer never refuses on Linux.
    vantrel::ModuleEntry(ThisModule(), vantrel::ProcessAttach, nullptr);
}

__attribute__((destructor)) void DetachModule() {
    vantrel::ModuleEntry(ThisModule(), vantrel::ProcessDetach, nullptr);
}

}  // namespace
