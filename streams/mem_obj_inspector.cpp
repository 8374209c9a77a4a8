#include "streams/mem_obj_inspector.h"

#include "streams/block_list.h"

namespace quor {

std::vector<BlockShape> MemObjInspector::Blocks(const CMemObj& stream) {
    std::vector<BlockShape> shapes;
    if (stream.m_blocks == nullptr) return shapes;
    for (size_t i = 0; i < stream.m_blocks->Count(); ++i) {
        const _vupDataBlock* block = stream.m_blocks->At(i);
        shapes.push_back({block->length, block->startOffset});
    }
    return shapes;
}

}  // namespace quor
