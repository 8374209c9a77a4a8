#pragma once

#include "platform/win32.h"

namespace quor {

// The number of runtime files the library asks for at load.
constexpr int kOpenFileLimit = 2048;

// Raises the runtime's open-file limit to kOpenFileLimit, or as far as the
// system allows.
void RaiseOpenFileLimit() noexcept;

}  // namespace quor

// The loader's entry into the library: raises the open-file limit at attach.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);
