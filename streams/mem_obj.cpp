#include "streams/mem_obj.h"

#include <cstdint>
#include <cstring>

#include "platform/alloc.h"
#include "platform/win32.h"
#include "streams/block_list.h"
#include "streams/data_window.h"

namespace {

using quor::BlockList;

constexpr int64_t kMaxOffset = INT32_MAX;  // positions are signed 32-bit

LONG Clamp32(int64_t value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<LONG>(value);
}

// A read that runs on from block `index` (at `inside` bytes into it) across
// the blocks after it; kept apart so that the one-block read stays lean.
__attribute__((noinline)) LONG ReadAcrossBlocks(BlockList& blocks, size_t index, ULONG inside, char* buffer, LONG count,
                                                LONG& position) {
    LONG copied = 0;
    const _vupDataBlock* block = blocks.At(index);
    for (;;) {
        ULONG n = block->length - inside;
        if (n > ULONG(count - copied)) n = ULONG(count - copied);
        std::memcpy(buffer + copied, block->buffer + inside, n);
        copied += static_cast<LONG>(n);
        position += static_cast<LONG>(n);
        if (copied == count || ++index >= blocks.Count()) return copied;
        block = blocks.At(index);
        inside = 0;
    }
}

}  // namespace

CMemObj::CMemObj()
    : m_typeCode(0),
      m_name{},
      m_blocks(quor::NewObject<BlockList>()),
      m_allocated(0),
      m_position(0),
      m_size(0),
      m_dataStart(-1),
      m_dataEnd(-1),
      m_virtualStart(0) {}

CMemObj::CMemObj(CMemObj& source) : CMemObj() {
    CopyBytesFrom(source);
    m_typeCode = source.m_typeCode;
    std::memcpy(m_name, source.m_name, sizeof m_name);
    m_position = 0;
    m_size = source.m_size;
    m_dataStart = source.m_dataStart;
    m_dataEnd = source.m_dataEnd;
    m_virtualStart = source.m_virtualStart;
}

CMemObj& CMemObj::operator=(const CMemObj& source) {
    if (&source == this) return *this;
    Close();
    if (m_blocks == nullptr) m_blocks = quor::NewObject<BlockList>();
    CRefObj::operator=(source);
    CopyBytesFrom(source);
    m_typeCode = source.m_typeCode;
    std::memcpy(m_name, source.m_name, sizeof m_name);
    m_position = source.m_position;
    m_size = source.m_size;
    m_dataStart = source.m_dataStart;
    m_dataEnd = source.m_dataEnd;
    m_virtualStart = source.m_virtualStart;
    return *this;
}

CMemObj::~CMemObj() {
    Close();
    delete m_blocks;
    m_blocks = nullptr;
}

void CMemObj::CopyBytesFrom(const CMemObj& source) {
    if (source.m_allocated == 0 || source.m_blocks == nullptr || AddDataBlock(source.m_allocated) == 0) return;
    unsigned char* target = m_blocks->At(m_blocks->Count() - 1)->buffer;
    ULONG copied = 0;
    for (size_t i = 0; i < source.m_blocks->Count(); ++i) {
        const _vupDataBlock* block = source.m_blocks->At(i);
        std::memcpy(target + copied, block->buffer, block->length);
        copied += block->length;
    }
}

_vupDataBlock* CMemObj::MakeBlock(const void* data, ULONG length) {
    auto* block = quor::NewObject<_vupDataBlock>();
    if (block == nullptr) return nullptr;
    block->buffer = quor::NewArray<unsigned char>(length);
    if (block->buffer == nullptr) {
        delete block;
        return nullptr;
    }
    block->length = length;
    block->startOffset = 0;
    if (data != nullptr) std::memcpy(block->buffer, data, length);
    return block;
}

bool CMemObj::ReplaceBlocks(_vupDataBlock* block) {
    if (m_blocks == nullptr) {
        BlockList::FreeBlock(block);
        return false;
    }
    if (m_blocks->Count() == 0) {
        if (!m_blocks->Append(block)) {
            BlockList::FreeBlock(block);
            return false;
        }
    } else {
        // Clearing keeps the list's room, so the one entry can always be made.
        m_blocks->Clear();
        m_blocks->Append(block);
    }
    m_allocated = block->length;
    return true;
}

int CMemObj::AddDataBlock(ULONG length) {
    // The stream's offsets are signed 32-bit: no block may reach past them.
    if (m_blocks == nullptr || int64_t(m_allocated) + length > kMaxOffset) return 0;
    _vupDataBlock* block = MakeBlock(nullptr, length);
    if (block == nullptr) return 0;
    block->startOffset = m_allocated;
    if (!m_blocks->Append(block)) {
        BlockList::FreeBlock(block);
        return 0;
    }
    m_allocated += length;
    return 1;
}

_vupDataBlock* CMemObj::GetDataBlockFromOffset(ULONG offset) {
    if (m_blocks == nullptr) return nullptr;
    const size_t index = m_blocks->Find(offset);
    return index == BlockList::kNone ? nullptr : m_blocks->At(index);
}

int CMemObj::Open(unsigned char* data, ULONG length) {
    if (data == nullptr || length == 0 || length > ULONG(kMaxOffset)) return 0;
    _vupDataBlock* block = MakeBlock(data, length);
    if (block == nullptr || !ReplaceBlocks(block)) return 0;
    m_typeCode = 2;
    m_size = static_cast<LONG>(length);
    m_dataStart = 0;
    return 1;
}

int CMemObj::OpenResource(void* module, char* name) {
    HRSRC resource = FindResourceA(static_cast<HMODULE>(module), name, "WAVE");
    if (resource == nullptr) return 0;
    const DWORD size = SizeofResource(static_cast<HMODULE>(module), resource);
    if (size == 0 || size > DWORD(kMaxOffset)) return 0;
    HGLOBAL loaded = LoadResource(static_cast<HMODULE>(module), resource);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return 0;
    _vupDataBlock* block = MakeBlock(bytes, size);
    if (block == nullptr || !ReplaceBlocks(block)) return 0;
    m_typeCode = 3;
    m_size = static_cast<LONG>(size);
    m_dataStart = 0;
    return 1;
}

int CMemObj::Create() {
    m_typeCode = 2;
    SetWriteMode(1);
    return 1;
}

CRefObj* CMemObj::Copy() {
    CMemObj* copy = quor::NewObject<CMemObj>(*this);
    if (copy == nullptr) return nullptr;
    // A copy that could not take the bytes is a failed copy, not an empty one.
    if (copy->m_blocks == nullptr || copy->m_allocated != m_allocated) {
        delete copy;
        return nullptr;
    }
    return copy;
}

int CMemObj::IsOpen() { return m_typeCode != 0 ? 1 : 0; }

void CMemObj::Close() {
    if (m_blocks != nullptr) m_blocks->Clear();
    // Blocks made after this begin at offset 0 again, where their bytes belong.
    m_allocated = 0;
}

LONG CMemObj::Read(char* buffer, LONG count) {
    if (count <= 0 || m_blocks == nullptr || m_position < 0) return 0;
    size_t index = m_blocks->Find(static_cast<ULONG>(m_position));
    if (index == BlockList::kNone) return 0;
    const _vupDataBlock* block = m_blocks->At(index);
    ULONG inside = static_cast<ULONG>(m_position) - block->startOffset;
    if (block->length - inside >= ULONG(count)) {
        // The common case: the whole read lies in one block. Chunk headers
        // and other reads of 8 to 16 bytes take two fixed-size moves.
        const unsigned char* from = block->buffer + inside;
        if (count >= 8 && count <= 16) {
            std::memcpy(buffer, from, 8);
            std::memcpy(buffer + count - 8, from + count - 8, 8);
        } else {
            std::memcpy(buffer, from, static_cast<size_t>(count));
        }
        m_position += count;
        return count;
    }
    return ReadAcrossBlocks(*m_blocks, index, inside, buffer, count, m_position);
}

LONG CMemObj::Write(char* buffer, LONG count) {
    // Only a position inside the content or right at its end can be written:
    // a block appended elsewhere would not hold the offsets it is written at.
    if (count <= 0 || m_position < 0 || ULONG(m_position) > m_allocated) return 0;
    if (int64_t(m_position) + count > kMaxOffset) count = static_cast<LONG>(kMaxOffset - m_position);
    LONG stored = 0;
    while (stored < count) {
        // At the end of the content no block can hold the position: append at once.
        _vupDataBlock* block =
            ULONG(m_position) == m_allocated ? nullptr : GetDataBlockFromOffset(static_cast<ULONG>(m_position));
        if (block == nullptr) {
            if (AddDataBlock(static_cast<ULONG>(count - stored)) == 0) break;
            block = GetDataBlockFromOffset(static_cast<ULONG>(m_position));
        }
        const ULONG inside = static_cast<ULONG>(m_position) - block->startOffset;
        ULONG n = block->length - inside;
        if (n > ULONG(count - stored)) n = ULONG(count - stored);
        std::memcpy(block->buffer + inside, buffer + stored, n);
        stored += static_cast<LONG>(n);
        m_position += static_cast<LONG>(n);
        if (m_position > m_size) m_size = m_position;
    }
    return stored;
}

int CMemObj::Seek(LONG offset, int whence) {
    if (whence == SEEK_CUR) {
        m_position = Clamp32(int64_t(m_position) + offset);
    } else if (whence == SEEK_SET) {
        m_position = offset;
    } else if (whence == SEEK_END) {
        m_position = Clamp32(int64_t(m_size) + offset);
    }
    return (m_position >= 0 && m_position <= m_size) ? 1 : 0;
}

LONG CMemObj::Tell() { return m_position; }

LONG CMemObj::Size() { return m_size; }

int CMemObj::Type() { return m_typeCode; }

int CMemObj::SetDataOffsets(ULONG start, ULONG end) {
    if (start == end) {
        m_virtualStart = 0;
        return 0;
    }
    int result = 0;
    if (start < ULONG(m_size)) {
        m_dataStart = static_cast<LONG>(start);
        result = 1;
    }
    if (end == 0 || end > ULONG(m_size)) {
        m_virtualStart = 0;
        return 0;
    }
    m_dataEnd = static_cast<LONG>(end);
    m_virtualStart = 0;
    return result;
}

LONG CMemObj::GetDataStart() { return m_dataStart; }

LONG CMemObj::GetDataEnd() { return m_dataEnd; }

LONG CMemObj::GetVirtualStart() { return m_virtualStart; }

int CMemObj::SetVirtualStart(LONG start) {
    if (start < 0 || ULONG(start) > ULONG(DataSize())) return 0;
    m_virtualStart = start;
    return 1;
}

LONG CMemObj::DataSize() { return static_cast<LONG>(uint32_t(m_dataEnd) - uint32_t(m_dataStart)); }

int CMemObj::SeekToData(LONG offset) {
    quor::DataWindow window(*this, m_dataStart, m_dataEnd, m_virtualStart, m_position, 0, 0);
    return window.SeekToData(offset);
}

LONG CMemObj::ReadData(char* buffer, LONG count) {
    if (count <= 0) return 0;
    if (DataMode() != 1) {
        if (int64_t(m_position) + count > m_dataEnd) count = static_cast<LONG>(int64_t(m_dataEnd) - m_position);
        if (count <= 0) return 0;
        return Read(buffer, count);
    }
    LONG copied = 0;
    // Each pass reads at least one byte or ends the loop, so it always ends.
    while (copied < count) {
        if (m_position == m_dataEnd) Seek(m_dataStart, SEEK_SET);
        int64_t step = count - copied;
        if (int64_t(m_position) + step > m_dataEnd) step = int64_t(m_dataEnd) - m_position;
        if (step <= 0) break;
        const LONG got = Read(buffer + copied, static_cast<LONG>(step));
        if (got == 0) break;
        copied += got;
    }
    return copied;
}

LONG CMemObj::WriteData(char* buffer, LONG count, int append) {
    quor::DataWindow window(*this, m_dataStart, m_dataEnd, m_virtualStart, m_position, 0, 0);
    return window.WriteData(buffer, count, append);
}
