// A view of a memory stream's block layout for the library's own tests; it is
// not part of the library's interface and is not exported.
#pragma once

#include <vector>

#include "streams/mem_obj.h"

namespace quor {

struct BlockShape {
    ULONG length;
    ULONG startOffset;
    bool operator==(const BlockShape&) const = default;
};

class MemObjInspector {
public:
    static std::vector<BlockShape> Blocks(const CMemObj& stream);
    static ULONG Allocated(const CMemObj& stream) { return stream.m_allocated; }
    static const char* Name(const CMemObj& stream) { return stream.m_name; }
    static char* MutableName(CMemObj& stream) { return stream.m_name; }
};

}  // namespace quor
