// CRIFF: reads, walks and writes RIFF files on any stream.
#pragma once

#include <cstdint>

#include "module/export.h"
#include "platform/host.h"
#include "streams/ref_obj.h"

// A chunk or level header. Four-character codes travel as 32-bit words whose
// little-endian bytes are the code's characters in file order.
struct _chunkInfo {
    ULONG id;        // "RIFF" or "LIST" for a level
    LONG size;       // the header's size field
    ULONG formType;  // form type of a RIFF, list type of a LIST
};

struct _subChunk {
    ULONG id;
    LONG size;
};

// Holds one reference on its stream from Open or Create until Close and works
// on it through the stream's virtual operations only. Its cursor is the
// current level (described by the master chunk) and the current sub-chunk in
// it; every step re-reads a header from the stream. Written files get no pad
// byte after odd sizes, and every append brings the sizes of the RIFF and of
// each entered LIST up to date in the stream.
class QUOR_API CRIFF {
public:
    CRIFF();
    CRIFF(const CRIFF& source);             // takes a reference of its own
    CRIFF& operator=(const CRIFF& source);  // keeps the stream alive on self-assignment
    virtual ~CRIFF();
    virtual void Close();

    // Reading and navigation.
    int Open(CRefObj* stream, _chunkInfo* info);
    void GetCurrentChunkInfo(_chunkInfo* master, _subChunk* sub);
    _chunkInfo* GetMasterChunk();
    CRefObj* GetRefObj();
    int LevelsDown();
    LONG Read(char* buffer, LONG count);
    LONG ReadCurrentSubChunk(char* buffer, LONG count);
    int SeekToChunk(ULONG id, int skipCurrent, int restoreOnFailure);
    int SeekToLevelBeginning();
    int SeekToNextChunk();
    int SeekToPreviousChunk();
    int SeekToChunkAtOffset(LONG offset);
    int Descend();
    int Ascend();

    // Writing.
    int Create(CRefObj* stream, ULONG formType);
    int WriteSubChunk(ULONG id, void* data, LONG length);
    int WriteListChunkHeader(ULONG listType);
    LONG Write(char* data, LONG length);
    int StartWriteStream(ULONG id);
    LONG WriteStreamData(void* data, LONG length);
    LONG CurrentStreamDataCount();
    int EndWriteStream();

private:
    int UpdateChunk(LONG offset, LONG delta);
    int UpdateAllMasterChunks(LONG delta);

    // Gives back the stream's reference and forgets the stream.
    void ReleaseStream();
    // Reads 8 bytes at the stream's position into the current sub-chunk's id
    // and size; a short read overwrites only the bytes it got.
    bool ReadSubChunkHeader();
    // Reads a header at the stream's position into `header`, the same way.
    bool ReadLevelHeader(_chunkInfo& header);
    // Reads an 8-byte header at `offset`; false when unreachable or short.
    bool PeekHeader(LONG offset, ULONG& id, LONG& size);
    // True when an append of `bytes` keeps the end of the RIFF, and so every
    // size field and position, within 31 bits.
    bool AppendFits(int64_t bytes) const;

    LONG m_depth;             // 0 at the RIFF level; -1 before the first Open or Create
    LONG m_levelStack[50];    // level starts of the enclosing levels
    _chunkInfo m_riffHeader;  // the RIFF header as read, or as written so far
    _chunkInfo m_master;      // header of the current level
    LONG m_levelStart;        // offset of the current level's header
    ULONG m_subId;            // current sub-chunk's id
    LONG m_subSize;           // current sub-chunk's size
    LONG m_subOffset;         // offset of the current sub-chunk's header
    LONG m_writing;           // 1 after Create: Descend reads no first sub-chunk
    LONG m_streaming;         // 1 between StartWriteStream and EndWriteStream
    LONG m_streamDataCount;   // bytes of WriteStreamData since StartWriteStream
    CRefObj* m_stream;        // holds one reference while set
};
