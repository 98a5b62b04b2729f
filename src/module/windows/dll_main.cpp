// On Windows the system loader calls DllMain (through the C runtime's start-up code);
// every call goes on to the module's entry point unchanged.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "module/module_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    static_assert(DLL_PROCESS_ATTACH == vantrel::ProcessAttach &&
                      DLL_PROCESS_DETACH == vantrel::ProcessDetach &&
                      DLL_THREAD_ATTACH == vantrel::ThreadAttach &&
                      DLL_THREAD_DETACH == vantrel::ThreadDetach,
                  "the loader's reason codes pass through as they are");
    return vantrel::ModuleEntry(instance, reason, reserved) != vantrel::ModuleFalse ? TRUE : FALSE;
}
