// The two stream kinds behind one factory, so that behaviour both must share
// runs as one table over a file stream and a memory stream.
#pragma once

#include <memory>
#include <string>

#include "module/quor.h"
#include "tests/support/temp_dir.h"

namespace quor::test {

struct StreamKind {
    const char* name;
    // A stream whose content is `bytes`, positioned at 0, writable or not.
    std::unique_ptr<CRefObj> (*make)(const TempDir& dir, const std::string& bytes, bool writable);
};

std::unique_ptr<CRefObj> MakeFileStream(const TempDir& dir, const std::string& bytes, bool writable);
std::unique_ptr<CRefObj> MakeMemoryStream(const TempDir& dir, const std::string& bytes, bool writable);

inline const StreamKind kFileKind{"File", MakeFileStream};
inline const StreamKind kMemoryKind{"Memory", MakeMemoryStream};

// The content of a stream from position 0 to its end; the position is kept.
std::string ContentOf(CRefObj& stream);

}  // namespace quor::test
