// Load-time initialisation: every open file stream holds one of the runtime's
// buffered files, so the library raises their limit when it is loaded.
#include "module/dll_main.h"

#include "platform/win32.h"

namespace quor {

void RaiseOpenFileLimit() noexcept { _setmaxstdio(kOpenFileLimit); }

}  // namespace quor

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) quor::RaiseOpenFileLimit();
    return TRUE;
}
