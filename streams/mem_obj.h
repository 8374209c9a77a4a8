// CMemObj: a stream over private memory, held in a list of blocks.
#pragma once

#include "module/export.h"
#include "platform/host.h"
#include "streams/ref_obj.h"

// One block of a memory stream: its own buffer of exactly `length` bytes,
// holding the stream's bytes from `startOffset` on.
struct _vupDataBlock {
    unsigned char* buffer;  // allocated with exactly `length` bytes
    ULONG length;           // bytes in the buffer
    ULONG startOffset;      // stream offset of the buffer's first byte
};

namespace quor {
class BlockList;
class MemObjInspector;
}  // namespace quor

// A memory stream is filled from a caller's buffer (Open), from a WAVE resource
// of a loaded module (OpenResource), or by writing (Create, then Write). It
// grows by appending blocks; a block, once made, is never moved, resized or
// merged. It sets no last-error value.
class QUOR_API CMemObj : public CRefObj {
public:
    CMemObj();
    CMemObj(CMemObj& source);  // the source's bytes gathered into one block
    // Takes the source's field values and its own copy of the source's bytes;
    // the target's earlier blocks are freed. No two streams share a block.
    CMemObj& operator=(const CMemObj& source);
    ~CMemObj() override;

    // Copies `length` bytes into one new block that replaces any earlier ones.
    // 0, and no change, for a length of 0 or a block that cannot be made.
    int Open(unsigned char* data, ULONG length);
    // Copies the module's resource of type "WAVE" called `name` (a string, or
    // an integer identifier in the platform's form). 0, and no change, when
    // there is no such resource, it is empty, or its copy cannot be made.
    int OpenResource(void* module, char* name);
    // Makes the stream writable; blocks already held stay.
    int Create();

    using CRefObj::Copy;  // Copy(CRefObj*) is the base's: it copies nothing
    CRefObj* Copy() override;
    int IsOpen() override;
    // Frees every block. Type, position, size and window stay; bytes written
    // afterwards start again from offset 0.
    void Close() override;
    LONG Read(char* buffer, LONG count) override;
    // Overwrites in place and appends one block for what runs past the end. A
    // position below 0 or past the content stores nothing.
    LONG Write(char* buffer, LONG count) override;
    int Seek(LONG offset, int whence) override;
    LONG Tell() override;
    LONG Size() override;
    int Type() override;
    int SetDataOffsets(ULONG start, ULONG end) override;
    LONG GetDataStart() override;
    LONG GetDataEnd() override;
    LONG GetVirtualStart() override;
    int SetVirtualStart(LONG start) override;
    LONG DataSize() override;
    int SeekToData(LONG offset) override;
    LONG ReadData(char* buffer, LONG count) override;
    LONG WriteData(char* buffer, LONG count, int append) override;

private:
    friend class quor::MemObjInspector;

    int AddDataBlock(ULONG length);
    _vupDataBlock* GetDataBlockFromOffset(ULONG offset);
    // A new block holding a copy of `data`, not yet in the list; null when it
    // cannot be made.
    static _vupDataBlock* MakeBlock(const void* data, ULONG length);
    // Replaces every block by `block` (which now belongs to the list); false,
    // with the stream unchanged and `block` freed, when that cannot be done.
    bool ReplaceBlocks(_vupDataBlock* block);
    // Gathers `source`'s bytes into one block of its allocated length.
    void CopyBytesFrom(const CMemObj& source);

    LONG m_typeCode;            // 0 never opened; 2 memory or writable; 3 resource
    char m_name[256];           // carried by copies; not otherwise used
    quor::BlockList* m_blocks;  // owned; null only when it could not be made
    ULONG m_allocated;          // sum of all block lengths: the next block's start
    LONG m_position;            // offset of the next byte read or written
    LONG m_size;                // bytes of content
    LONG m_dataStart;           // first offset of the data window
    LONG m_dataEnd;             // offset just past the data window
    LONG m_virtualStart;        // SeekToData counts from here in the window
};
