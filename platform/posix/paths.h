// Path arguments of the layer's calls: '\' is accepted as a separator.
#pragma once

#include <string>

namespace quor::posix {

// The path with every '\' turned into '/'; false when the copy cannot be made.
bool NativePath(const char* path, std::string& out) noexcept;

}  // namespace quor::posix
