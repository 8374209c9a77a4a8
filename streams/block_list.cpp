#include "streams/block_list.h"

#include <algorithm>

#include "platform/fault.h"

namespace quor {

BlockList::~BlockList() { Clear(); }

bool BlockList::Append(_vupDataBlock* block) noexcept {
    if (m_blocks.size() == m_blocks.capacity() && fault::Hit(fault::Site::Alloc)) return false;
    try {
        m_blocks.push_back(block);
    } catch (...) {
        return false;
    }
    return true;
}

size_t BlockList::Search(uint32_t offset) noexcept {
    const size_t count = m_blocks.size();
    if (count == 0) return kNone;
    // The last block whose start is not above the offset.
    auto it = std::upper_bound(m_blocks.begin(), m_blocks.end(), offset,
                               [](uint32_t value, const _vupDataBlock* block) { return value < block->startOffset; });
    if (it == m_blocks.begin()) return kNone;
    const size_t index = static_cast<size_t>(it - m_blocks.begin()) - 1;
    if (!Holds(m_blocks[index], offset)) return kNone;
    m_cursor = index;
    return index;
}

void BlockList::Clear() noexcept {
    for (_vupDataBlock* block : m_blocks) FreeBlock(block);
    m_blocks.clear();
    m_cursor = 0;
}

void BlockList::FreeBlock(_vupDataBlock* block) noexcept {
    if (block == nullptr) return;
    delete[] block->buffer;
    delete block;
}

}  // namespace quor
