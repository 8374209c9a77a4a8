// The part of the Windows loader that the library relies on: its DllMain runs
// when the shared object is loaded and again when it is unloaded.
#include "platform/posix/kernel.h"

namespace {

__attribute__((constructor)) void OnLoad() { DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr); }

__attribute__((destructor)) void OnUnload() { DllMain(nullptr, DLL_PROCESS_DETACH, nullptr); }

}  // namespace
