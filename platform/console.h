// Standard streams of a program: byte mode on every platform, so that no
// newline is translated on the way out.
#pragma once

#include <cstdio>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace quor::console {

inline void BinaryStdout() {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

}  // namespace quor::console
