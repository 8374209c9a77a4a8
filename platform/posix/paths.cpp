#include "platform/posix/paths.h"

namespace quor::posix {

bool NativePath(const char* path, std::string& out) noexcept {
    try {
        out.assign(path);
    } catch (...) {
        return false;
    }
    for (char& c : out) {
        if (c == '\\') c = '/';
    }
    return true;
}

}  // namespace quor::posix
