// The block records of a memory stream, in stream order. Blocks cover the
// stream without gaps from offset 0, so the block holding an offset is found
// by binary search on start offsets; a cursor remembers the last block found,
// so that sequential access costs no search at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "streams/mem_obj.h"

namespace quor {

class BlockList {
public:
    static constexpr size_t kNone = SIZE_MAX;

    BlockList() = default;
    ~BlockList();
    BlockList(const BlockList&) = delete;
    BlockList& operator=(const BlockList&) = delete;

    // Appends a block whose start offset is the end of the last one. False, with
    // the list unchanged and the block still the caller's, when no entry can be
    // made for it.
    bool Append(_vupDataBlock* block) noexcept;
    // Index of the block holding `offset`, or kNone past the last block.
    size_t Find(uint32_t offset) noexcept {
        const size_t count = m_blocks.size();
        if (m_cursor < count && Holds(m_blocks[m_cursor], offset)) return m_cursor;
        if (m_cursor + 1 < count && Holds(m_blocks[m_cursor + 1], offset)) return ++m_cursor;
        return Search(offset);
    }
    _vupDataBlock* At(size_t index) const noexcept { return m_blocks[index]; }
    size_t Count() const noexcept { return m_blocks.size(); }
    // Frees every block, its buffer and its record.
    void Clear() noexcept;

    static void FreeBlock(_vupDataBlock* block) noexcept;

private:
    static bool Holds(const _vupDataBlock* block, uint32_t offset) noexcept {
        return offset >= block->startOffset && offset - block->startOffset < block->length;
    }
    // Find away from the cursor: a binary search.
    size_t Search(uint32_t offset) noexcept;

    std::vector<_vupDataBlock*> m_blocks;
    size_t m_cursor = 0;  // the block found last
};

}  // namespace quor
