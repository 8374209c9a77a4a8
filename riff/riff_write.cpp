// Writing RIFF files: every append goes to the end of the RIFF, and the sizes
// of the RIFF and of every entered LIST are then brought up to date in the
// stream, so that outside an open streamed chunk the stream always holds a
// complete RIFF file.
#include <cstring>

#include "platform/win32.h"
#include "riff/riff.h"
#include "riff/riff_codes.h"
#include "streams/error_codes.h"

namespace {

using quor::riff::kList;
using quor::riff::kRiff;
using quor::riff::Load32;
using quor::riff::Store32;

// Writes `count` header bytes; true when all of them went out.
bool WriteAll(CRefObj& stream, unsigned char* bytes, LONG count) {
    return stream.Write(reinterpret_cast<char*>(bytes), count) == count;
}

}  // namespace

int CRIFF::Create(CRefObj* stream, ULONG formType) {
    ReleaseStream();
    if (stream == nullptr || stream->IsOpen() == 0 || stream->WriteMode() == 0) {
        SetLastError(ERR_STREAM_NOT_READY);
        return 0;
    }
    m_streamDataCount = 0;
    m_writing = 1;
    stream->AddReference();
    m_stream = stream;
    m_riffHeader = {kRiff, 4, formType};
    m_master = m_riffHeader;
    if (m_stream->Seek(0, SEEK_SET) == 0) return 0;
    unsigned char header[12];
    Store32(header, kRiff);
    Store32(header + 4, 4);
    Store32(header + 8, formType);
    if (!WriteAll(*m_stream, header, 12)) return 0;
    m_levelStart = 0;
    m_subOffset = 12;
    m_subId = 0;
    m_subSize = 0;
    SetLastError(ERROR_SUCCESS);
    m_depth = 0;
    return 1;
}

int CRIFF::WriteSubChunk(ULONG id, void* data, LONG length) {
    if (m_stream == nullptr || length < 0 || (data == nullptr && length > 0) || !AppendFits(int64_t(length) + 8))
        return 0;
    if (m_stream->Seek(m_riffHeader.size + 8, SEEK_SET) == 0) return 0;
    unsigned char header[8];
    Store32(header, id);
    Store32(header + 4, static_cast<ULONG>(length));
    if (!WriteAll(*m_stream, header, 8)) return 0;
    if (length > 0 && m_stream->Write(static_cast<char*>(data), length) != length) return 0;
    m_subOffset += length + 8;
    return UpdateAllMasterChunks(length + 8);
}

int CRIFF::WriteListChunkHeader(ULONG listType) {
    if (m_stream == nullptr || !AppendFits(12)) return 0;
    const LONG offset = m_riffHeader.size + 8;
    if (m_stream->Seek(offset, SEEK_SET) == 0) return 0;
    unsigned char header[12];
    Store32(header, kList);
    Store32(header + 4, 4);
    Store32(header + 8, listType);
    if (!WriteAll(*m_stream, header, 12)) return 0;
    m_subId = kList;
    m_subSize = 4;
    m_subOffset = offset;
    return UpdateAllMasterChunks(12);
}

LONG CRIFF::Write(char* data, LONG length) {
    if (m_stream == nullptr || !AppendFits(length)) return 0;
    const LONG written = m_stream->Write(data, length);
    m_subOffset += written;
    UpdateAllMasterChunks(written);
    return written;
}

int CRIFF::StartWriteStream(ULONG id) {
    m_streamDataCount = 0;
    // The header's 8 bytes are counted when the chunk ends; they must fit then.
    if (m_stream == nullptr || !AppendFits(8)) return 0;
    const LONG offset = m_riffHeader.size + 8;
    if (m_stream->Seek(offset, SEEK_SET) == 0) return 0;
    unsigned char header[8];
    Store32(header, id);
    Store32(header + 4, 0);
    if (!WriteAll(*m_stream, header, 8)) return 0;
    m_subOffset = offset;
    m_streaming = 1;
    return 1;
}

LONG CRIFF::WriteStreamData(void* data, LONG length) {
    // Nothing is written that would carry the RIFF, once the chunk ends, past
    // the stream's 31-bit offsets.
    if (m_stream == nullptr || !AppendFits(int64_t(m_streamDataCount) + 8 + length)) return 0;
    const LONG written = m_stream->Write(static_cast<char*>(data), length);
    m_streamDataCount += written;
    return written;
}

LONG CRIFF::CurrentStreamDataCount() { return m_streamDataCount; }

int CRIFF::EndWriteStream() {
    m_streaming = 0;
    int result = 0;
    if (m_stream != nullptr) {
        UpdateChunk(m_subOffset, m_streamDataCount);
        result = UpdateAllMasterChunks(m_streamDataCount + 8);
    }
    m_subOffset += m_streamDataCount + 8;
    m_streamDataCount = 0;
    return result;
}

int CRIFF::UpdateChunk(LONG offset, LONG delta) {
    if (m_stream == nullptr || m_stream->Seek(offset, SEEK_SET) == 0) return 0;
    unsigned char header[8];
    if (m_stream->Read(reinterpret_cast<char*>(header), 8) != 8) return 0;
    if (m_stream->Seek(offset, SEEK_SET) == 0) return 0;
    Store32(header + 4, Load32(header + 4) + static_cast<ULONG>(delta));
    return WriteAll(*m_stream, header, 8) ? 1 : 0;
}

int CRIFF::UpdateAllMasterChunks(LONG delta) {
    // Enclosing lists first, from the innermost; stack entry 0 is the RIFF
    // header, which is updated last.
    for (LONG i = m_depth - 1; i >= 1; --i) {
        if (UpdateChunk(m_levelStack[i], delta) == 0) return 0;
    }
    m_riffHeader.size = static_cast<LONG>(static_cast<ULONG>(m_riffHeader.size) + static_cast<ULONG>(delta));
    m_master.size = static_cast<LONG>(static_cast<ULONG>(m_master.size) + static_cast<ULONG>(delta));
    if (m_levelStart != 0) UpdateChunk(m_levelStart, delta);
    return UpdateChunk(0, delta);
}
