#include "riff/riff.h"
#include "riff/riff_codes.h"

#include <cstring>

#include "platform/win32.h"
#include "streams/error_codes.h"

namespace {

using quor::riff::kData;
using quor::riff::kList;
using quor::riff::kRiff;
using quor::riff::Load32;
using quor::riff::Store32;

constexpr int64_t kSearchLimit = 11113246;  // no chunk at or past 11113234 is searched for
constexpr LONG kMaxDepth = 49;
constexpr int64_t kMaxOffset = INT32_MAX;

int Fail(DWORD code) {
    SetLastError(code);
    return 0;
}

int Succeed() {
    SetLastError(ERROR_SUCCESS);
    return 1;
}

// The offset just past a chunk of `size` at `offset`, or -1 when a corrupt size
// would lead backwards or past the 31-bit offsets of a stream.
int64_t ChunkEnd(int64_t offset, LONG size) {
    if (size < 0) return -1;
    const int64_t end = offset + 8 + size;
    return end > kMaxOffset ? -1 : end;
}

bool SeekTo(CRefObj& stream, int64_t offset) {
    return offset >= INT32_MIN && offset <= kMaxOffset && stream.Seek(static_cast<LONG>(offset), SEEK_SET) != 0;
}

}  // namespace

// Fields that only a successful Open or Create gives a meaning start at 0, so
// that no query of a new object reads an undefined value.
CRIFF::CRIFF()
    : m_depth(-1),
      m_levelStack{},
      m_riffHeader{},
      m_master{},
      m_levelStart(0),
      m_subId(0),
      m_subSize(0),
      m_subOffset(0),
      m_writing(0),
      m_streaming(0),
      m_streamDataCount(0),
      m_stream(nullptr) {}

CRIFF::CRIFF(const CRIFF& source)
    : m_depth(source.m_depth),
      m_levelStack{},
      m_riffHeader(source.m_riffHeader),
      m_master(source.m_master),
      m_levelStart(source.m_levelStart),
      m_subId(source.m_subId),
      m_subSize(source.m_subSize),
      m_subOffset(source.m_subOffset),
      m_writing(source.m_writing),
      m_streaming(source.m_streaming),
      m_streamDataCount(source.m_streamDataCount),
      m_stream(source.m_stream) {
    std::memcpy(m_levelStack, source.m_levelStack, sizeof m_levelStack);
    if (m_stream != nullptr) m_stream->AddReference();
}

CRIFF& CRIFF::operator=(const CRIFF& source) {
    // The new reference is taken before the old one goes: self-assignment
    // keeps the stream alive.
    CRefObj* stream = source.m_stream;
    if (stream != nullptr) stream->AddReference();
    ReleaseStream();
    m_depth = source.m_depth;
    std::memcpy(m_levelStack, source.m_levelStack, sizeof m_levelStack);
    m_riffHeader = source.m_riffHeader;
    m_master = source.m_master;
    m_levelStart = source.m_levelStart;
    m_subId = source.m_subId;
    m_subSize = source.m_subSize;
    m_subOffset = source.m_subOffset;
    m_writing = source.m_writing;
    m_streaming = source.m_streaming;
    m_streamDataCount = source.m_streamDataCount;
    m_stream = stream;
    return *this;
}

CRIFF::~CRIFF() { ReleaseStream(); }

void CRIFF::Close() { ReleaseStream(); }

void CRIFF::ReleaseStream() {
    CRefObj* stream = m_stream;
    m_stream = nullptr;
    DeleteRefObject(&stream);
}

bool CRIFF::ReadSubChunkHeader() {
    unsigned char bytes[8];
    Store32(bytes, m_subId);
    Store32(bytes + 4, static_cast<ULONG>(m_subSize));
    const LONG got = m_stream->Read(reinterpret_cast<char*>(bytes), 8);
    m_subId = Load32(bytes);
    m_subSize = static_cast<LONG>(Load32(bytes + 4));
    return got == 8;
}

bool CRIFF::ReadLevelHeader(_chunkInfo& header) {
    unsigned char bytes[12];
    Store32(bytes, header.id);
    Store32(bytes + 4, static_cast<ULONG>(header.size));
    Store32(bytes + 8, header.formType);
    const LONG got = m_stream->Read(reinterpret_cast<char*>(bytes), 12);
    header.id = Load32(bytes);
    header.size = static_cast<LONG>(Load32(bytes + 4));
    header.formType = Load32(bytes + 8);
    return got == 12;
}

bool CRIFF::PeekHeader(LONG offset, ULONG& id, LONG& size) {
    unsigned char bytes[8];
    if (!SeekTo(*m_stream, offset) || m_stream->Read(reinterpret_cast<char*>(bytes), 8) != 8) return false;
    id = Load32(bytes);
    size = static_cast<LONG>(Load32(bytes + 4));
    return true;
}

bool CRIFF::AppendFits(int64_t bytes) const {
    return bytes >= 0 && int64_t(m_riffHeader.size) + 8 + bytes <= kMaxOffset;
}

int CRIFF::Open(CRefObj* stream, _chunkInfo* info) {
    ReleaseStream();
    if (stream == nullptr || stream->IsOpen() == 0) return Fail(ERR_STREAM_NOT_READY);
    m_streamDataCount = 0;
    m_writing = 0;
    m_levelStart = stream->Tell();
    // Read through the stream before it is held: nothing is kept on failure.
    m_stream = stream;
    const bool whole = ReadLevelHeader(m_riffHeader);
    m_stream = nullptr;
    if (!whole) return 0;
    if (m_riffHeader.id != kRiff) return Fail(ERR_RIFF_NOT_RIFF);
    if (info != nullptr) *info = m_riffHeader;
    m_master = m_riffHeader;
    if (m_riffHeader.size == 0) {
        // A header its writer never completed: the RIFF runs to the stream's end.
        m_riffHeader.size = stream->Size() - m_levelStart - 8;
        m_master.size = m_riffHeader.size;
    }
    m_subOffset = stream->Tell();
    m_stream = stream;
    const bool first = ReadSubChunkHeader();
    m_stream = nullptr;
    if (!first) return Fail(ERR_RIFF_CHUNK_READ);
    SetLastError(ERROR_SUCCESS);
    m_depth = 0;
    stream->AddReference();
    m_stream = stream;
    m_stream->Seek(m_levelStart, SEEK_SET);
    return 1;
}

void CRIFF::GetCurrentChunkInfo(_chunkInfo* master, _subChunk* sub) {
    if (master != nullptr) *master = m_master;
    if (sub != nullptr) *sub = {m_subId, m_subSize};
}

_chunkInfo* CRIFF::GetMasterChunk() { return &m_master; }

CRefObj* CRIFF::GetRefObj() { return m_stream; }

int CRIFF::LevelsDown() { return m_depth; }

LONG CRIFF::Read(char* buffer, LONG count) {
    if (m_stream == nullptr) return Fail(ERR_STREAM_NOT_READY);
    const LONG got = m_stream->Read(buffer, count);
    if (got != count) SetLastError(ERR_RIFF_CHUNK_READ);
    return got;
}

LONG CRIFF::ReadCurrentSubChunk(char* buffer, LONG count) {
    if (m_stream == nullptr) {
        SetLastError(ERR_STREAM_NOT_READY);
        return -1;
    }
    if (!SeekTo(*m_stream, int64_t(m_subOffset) + 8)) return -1;
    const LONG got = m_stream->Read(buffer, count);
    if (got != m_subSize) SetLastError(ERR_RIFF_CHUNK_READ);
    return got;
}

int CRIFF::SeekToChunk(ULONG id, int skipCurrent, int restoreOnFailure) {
    if (m_stream == nullptr) return Fail(ERR_STREAM_NOT_READY);
    const LONG entry = m_stream->Tell();
    if (skipCurrent == 0 && m_subId == id) return Succeed();
    int64_t candidate = ChunkEnd(m_subOffset, m_subSize);
    if (candidate < 0) return Fail(ERR_RIFF_CHUNK_READ);
    if (candidate + 12 >= kSearchLimit) return 0;
    if (!SeekTo(*m_stream, candidate)) return Fail(ERR_RIFF_CHUNK_READ);
    for (;;) {
        unsigned char bytes[8];
        if (m_stream->Read(reinterpret_cast<char*>(bytes), 8) != 8) break;
        const ULONG chunkId = Load32(bytes);
        const LONG chunkSize = static_cast<LONG>(Load32(bytes + 4));
        if (restoreOnFailure == 0) {
            m_subId = chunkId;
            m_subSize = chunkSize;
            m_subOffset = static_cast<LONG>(candidate);
        }
        if (chunkId == id) {
            m_subId = chunkId;
            m_subSize = chunkSize;
            m_subOffset = static_cast<LONG>(candidate);
            // A streamed "data" chunk whose size was never patched runs to the stream's end.
            if (chunkSize == 0 && chunkId == kData) m_subSize = static_cast<LONG>(m_stream->Size() - candidate - 8);
            return Succeed();
        }
        const int64_t next = ChunkEnd(candidate, chunkSize);
        if (next < 0 || m_stream->Seek(chunkSize, SEEK_CUR) == 0) break;
        candidate = next;
        if (candidate + 12 >= kSearchLimit) {
            if (restoreOnFailure != 0) m_stream->Seek(entry, SEEK_SET);
            return Fail(ERR_RIFF_OUT_OF_BOUNDS);
        }
    }
    if (restoreOnFailure != 0) m_stream->Seek(entry, SEEK_SET);
    return Fail(ERR_RIFF_CHUNK_READ);
}

int CRIFF::SeekToLevelBeginning() {
    if (m_stream == nullptr) return Fail(ERR_STREAM_NOT_READY);
    const int64_t first = int64_t(m_levelStart) + 12;
    if (!SeekTo(*m_stream, first)) return 0;
    unsigned char bytes[8];
    if (m_stream->Read(reinterpret_cast<char*>(bytes), 8) != 8) return Fail(ERR_RIFF_HEADER_READ);
    m_subId = Load32(bytes);
    m_subSize = static_cast<LONG>(Load32(bytes + 4));
    m_subOffset = static_cast<LONG>(first);
    return Succeed();
}

int CRIFF::SeekToNextChunk() {
    if (m_stream == nullptr) return Fail(ERR_STREAM_NOT_READY);
    const int64_t end = int64_t(m_levelStart) + 8 + m_master.size;
    const int64_t next = ChunkEnd(m_subOffset, m_subSize);
    if (next < 0) return Fail(ERR_RIFF_CHUNK_READ);
    if (next == end) return 0;
    if (next + 8 >= end) return Fail(ERR_RIFF_OUT_OF_BOUNDS);
    ULONG id;
    LONG size;
    if (!PeekHeader(static_cast<LONG>(next), id, size)) return Fail(ERR_RIFF_CHUNK_READ);
    m_subId = id;
    m_subSize = size;
    m_subOffset = static_cast<LONG>(next);
    return Succeed();
}

int CRIFF::SeekToPreviousChunk() {
    if (m_stream == nullptr) return Fail(ERR_STREAM_NOT_READY);
    const int64_t first = int64_t(m_levelStart) + 12;
    if (m_subOffset <= first) return Fail(ERR_RIFF_OUT_OF_BOUNDS);
    // Walks the level's chain from its first chunk; each step moves forward by
    // at least 8 bytes, so the walk ends.
    int64_t position = first;
    int64_t previous = first;
    ULONG id = 0;
    LONG size = 0;
    bool walked = true;
    while (position < m_subOffset) {
        previous = position;
        if (!PeekHeader(static_cast<LONG>(position), id, size) || (position = ChunkEnd(position, size)) < 0) {
            walked = false;
            break;
        }
    }
    if (!walked || !PeekHeader(static_cast<LONG>(previous), id, size)) {
        m_stream->Seek(m_subOffset, SEEK_SET);
        return Fail(ERR_RIFF_CHUNK_READ);
    }
    m_subId = id;
    m_subSize = size;
    m_subOffset = static_cast<LONG>(previous);
    return Succeed();
}

int CRIFF::SeekToChunkAtOffset(LONG offset) {
    if (m_stream == nullptr) return Fail(ERR_STREAM_NOT_READY);
    if (offset < m_levelStart || int64_t(offset) >= int64_t(m_levelStart) + 8 + m_master.size)
        return Fail(ERR_RIFF_OUT_OF_BOUNDS);
    const LONG entry = m_stream->Tell();
    if (m_stream->Seek(offset, SEEK_SET) == 0) return Fail(ERR_RIFF_OUT_OF_BOUNDS);
    unsigned char bytes[8];
    if (m_stream->Read(reinterpret_cast<char*>(bytes), 8) != 8) {
        // The seek back may set its own code: the failure reported is this one.
        m_stream->Seek(entry, SEEK_SET);
        return Fail(ERR_RIFF_OUT_OF_BOUNDS);
    }
    m_subId = Load32(bytes);
    m_subSize = static_cast<LONG>(Load32(bytes + 4));
    m_subOffset = offset;
    return 1;
}

int CRIFF::Descend() {
    if (m_stream == nullptr) return Fail(ERR_STREAM_NOT_READY);
    if (m_subId != kList) return 0;
    if (m_depth >= kMaxDepth || m_depth < 0) return Fail(ERR_RIFF_TOO_DEEP);
    if (m_stream->Seek(m_subOffset, SEEK_SET) == 0) return 0;
    // A failure from here on leaves the object as it was before the call.
    const LONG savedEntry = m_levelStack[m_depth];
    const LONG savedLevelStart = m_levelStart;
    const _chunkInfo savedMaster = m_master;
    const ULONG savedId = m_subId;
    const LONG savedSize = m_subSize;
    const LONG savedOffset = m_subOffset;
    auto restore = [&](DWORD code) {
        m_levelStack[m_depth] = savedEntry;
        m_levelStart = savedLevelStart;
        m_master = savedMaster;
        m_subId = savedId;
        m_subSize = savedSize;
        m_subOffset = savedOffset;
        return Fail(code);
    };
    m_levelStack[m_depth] = m_levelStart;
    m_levelStart = m_subOffset;
    // A list's size counts at least its 4-byte type, and the list must end
    // within the stream's 31-bit offsets.
    if (!ReadLevelHeader(m_master) || m_master.size < 4 || ChunkEnd(m_levelStart, m_master.size) < 0)
        return restore(ERR_RIFF_HEADER_READ);
    m_subOffset = m_stream->Tell();
    if (m_writing == 0 && !ReadSubChunkHeader()) return restore(ERR_RIFF_CHUNK_READ);
    ++m_depth;
    return Succeed();
}

int CRIFF::Ascend() {
    if (m_stream == nullptr) return Fail(ERR_STREAM_NOT_READY);
    if (m_depth <= 0) return 0;
    if (m_stream->Seek(m_levelStack[m_depth - 1], SEEK_SET) == 0) return 0;
    _chunkInfo enclosing = m_master;
    if (!ReadLevelHeader(enclosing)) return Fail(ERR_RIFF_HEADER_READ);
    m_subId = m_master.id;
    m_subSize = m_master.size;
    m_subOffset = m_levelStart;
    --m_depth;
    m_levelStart = m_levelStack[m_depth];
    m_master = enclosing;
    return Succeed();
}
