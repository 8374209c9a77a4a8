#include "streams/file_obj.h"

#include <cstdint>
#include <cstring>

#include "platform/alloc.h"
#include "platform/runtime.h"
#include "platform/win32.h"
#include "streams/data_window.h"
#include "streams/download_link.h"
#include "streams/error_codes.h"

namespace {

constexpr int64_t kMaxPosition = INT32_MAX;  // positions are signed 32-bit
constexpr size_t kPathCapacity = 260;        // the path field: 259 characters and the terminator

// Paths that would not fit the path field are refused, not truncated: a
// truncated path would later reopen or delete another file.
bool FitsPathField(const char* path) { return path != nullptr && std::strlen(path) < kPathCapacity; }

int RefuseSeek() {
    SetLastError(ERR_STREAM_SEEK);
    return 0;
}

}  // namespace

CFileObj::CFileObj()
    : m_file(nullptr),
      m_path{},
      m_baseOffset(-1),
      m_position(-1),
      m_endPosition(-1),
      m_dataStart(-1),
      m_dataEnd(-1),
      m_virtualStart(0),
      m_download(nullptr) {}

CFileObj::CFileObj(CFileObj& source) : CFileObj() { Copy(&source); }

CFileObj& CFileObj::operator=(const CFileObj& source) {
    if (&source == this) return *this;
    Detach();
    CRefObj::operator=(source);
    Copy(const_cast<CFileObj*>(&source));
    return *this;
}

CFileObj::~CFileObj() {
    // The download's worker writes into this file: stop it before closing.
    Detach();
}

void CFileObj::Detach() {
    CInternetDownload* download = m_download;
    m_download = nullptr;
    quor::ReleaseAttachedDownload(download);
    if (m_file != nullptr) Close();
}

int CFileObj::Open(const char* path, LONG baseOffset, int writable) {
    if (!FitsPathField(path) || baseOffset < 0) return 0;
    Detach();
    m_file = quor::rt::Open(path, writable ? "r+b" : "rb");
    SetWriteMode(writable ? 1 : 0);
    if (m_file == nullptr) return 0;
    const int64_t end = quor::rt::Seek(m_file, 0, SEEK_END) == 0 ? quor::rt::Tell(m_file) : -1;
    if (end < 0 || end > kMaxPosition) {
        Close();
        return 0;
    }
    m_endPosition = static_cast<LONG>(end);
    quor::rt::Seek(m_file, baseOffset, SEEK_SET);
    m_baseOffset = baseOffset;
    m_position = baseOffset;
    std::memcpy(m_path, path, std::strlen(path) + 1);
    return 1;
}

int CFileObj::Create(const char* path) {
    if (!FitsPathField(path)) return 0;
    Detach();
    m_file = quor::rt::Open(path, "w+b");
    m_endPosition = 0;
    m_baseOffset = 0;
    m_position = 0;
    if (m_file == nullptr) return 0;
    SetWriteMode(1);
    std::memcpy(m_path, path, std::strlen(path) + 1);
    return 1;
}

void CFileObj::Close() {
    if (m_file != nullptr) quor::rt::Close(m_file);
    m_file = nullptr;
    m_endPosition = -1;
    m_baseOffset = -1;
    m_position = -1;
}

int CFileObj::IsOpen() { return m_file != nullptr ? 1 : 0; }

LONG CFileObj::Read(char* buffer, LONG count) {
    if (m_file == nullptr || count <= 0) return 0;
    if (int64_t(m_position) + count > m_endPosition) {
        const int64_t left = int64_t(m_endPosition) - m_position;
        if (left < 0) return 0;
        count = static_cast<LONG>(left);
    }
    const size_t got = quor::rt::Read(buffer, static_cast<size_t>(count), m_file);
    m_position += static_cast<LONG>(got);
    return static_cast<LONG>(got);
}

LONG CFileObj::Write(char* buffer, LONG count) {
    if (m_file == nullptr || count < 0) return 0;
    // A file opened read-only writes nothing, whether or not the runtime would
    // have buffered the bytes and reported them written.
    if (!quor::rt::IsWritable(m_file)) return 0;
    // The stream never grows past the largest 32-bit position: it writes what fits.
    if (int64_t(m_position) + count > kMaxPosition) count = static_cast<LONG>(kMaxPosition - m_position);
    if (count <= 0) return 0;
    const LONG startPosition = m_position;
    const LONG startEnd = m_endPosition;
    const LONG written = static_cast<LONG>(quor::rt::Write(buffer, static_cast<size_t>(count), m_file));
    m_position += written;
    if (m_position > m_endPosition) m_endPosition = m_position;
    if (!quor::rt::Flush(m_file)) {
        // The bytes did not reach the file: report none written, and put stream
        // and runtime file back where the write began.
        quor::rt::Discard(m_file);
        quor::rt::Seek(m_file, startPosition, SEEK_SET);
        m_position = startPosition;
        m_endPosition = startEnd;
        return 0;
    }
    return written;
}

int CFileObj::Seek(LONG offset, int whence) {
    if (m_file == nullptr) return RefuseSeek();
    int64_t target;
    int origin = whence;
    if (whence == SEEK_SET) {
        target = int64_t(m_baseOffset) + offset;
    } else if (whence == SEEK_END) {
        if (m_baseOffset != 0) return 0;
        target = offset;
    } else {
        target = offset;
    }
    // Past the end: a relative step in looping mode lands at the absolute
    // position by which it exceeds the end; every other such seek is refused.
    if (target > m_endPosition) {
        if (DataMode() != 1 || origin != SEEK_CUR) return RefuseSeek();
        target -= m_endPosition;
        origin = SEEK_SET;
    }
    // Before the start: in looping mode a step back past the first byte counts
    // back from the file's end.
    if (target < 0 && int64_t(m_position) + target < 0) {
        if (DataMode() == 1 && origin == SEEK_CUR) {
            target += m_position;
            origin = SEEK_END;
        } else if (origin != SEEK_END) {
            return RefuseSeek();
        }
    }
    const int failed = quor::rt::Seek(m_file, target, origin);
    // A failed seek leaves the file where it was: the Windows runtime drops its
    // buffer first and would otherwise report the operating system's offset.
    if (failed != 0) quor::rt::Seek(m_file, m_position, SEEK_SET);
    const int64_t now = quor::rt::Tell(m_file);
    if (now > kMaxPosition) {
        // Positions stay within 32 bits: go back to where the seek began.
        quor::rt::Seek(m_file, m_position, SEEK_SET);
        return RefuseSeek();
    }
    m_position = static_cast<LONG>(now);
    if (failed != 0) return RefuseSeek();
    SetLastError(ERROR_SUCCESS);
    return 1;
}

LONG CFileObj::Tell() { return m_position - m_baseOffset; }

LONG CFileObj::Size() { return m_endPosition - m_baseOffset; }

int CFileObj::Type() { return 1; }

int CFileObj::Copy(CRefObj* source) {
    auto* file = dynamic_cast<CFileObj*>(source);
    if (file == nullptr) {
        SetLastError(ERR_COPY_OPEN_FAILED);
        return 0;
    }
    // Taken before this stream lets go of its own file, which may be the source's.
    char path[kPathCapacity];
    std::memcpy(path, file->m_path, sizeof path);
    const LONG base = file->m_baseOffset;
    const LONG position = file->m_position;
    const LONG end = file->m_endPosition;
    const LONG dataStart = file->m_dataStart;
    const LONG dataEnd = file->m_dataEnd;
    const LONG virtualStart = file->m_virtualStart;
    const LONG tell = file->Tell();

    Detach();
    const int opened = Open(path, base, 0);
    if (opened == 0) SetLastError(ERR_COPY_OPEN_FAILED);
    m_baseOffset = base;
    m_position = position;
    m_endPosition = end;
    m_dataStart = dataStart;
    m_dataEnd = dataEnd;
    m_virtualStart = virtualStart;
    if (opened != 0) Seek(tell, SEEK_SET);
    return opened;
}

CRefObj* CFileObj::Copy() {
    CRefObj* copy = quor::NewObject<CFileObj>(*this);
    if (copy == nullptr) return nullptr;
    if (copy->IsOpen() == 0) {
        DeleteRefObject(&copy);
        return nullptr;
    }
    return copy;
}

int CFileObj::SetDataOffsets(ULONG start, ULONG end) {
    if (m_file == nullptr || start == end) return 0;
    m_dataStart = static_cast<LONG>(uint32_t(m_baseOffset) + start);
    m_dataEnd = static_cast<LONG>(uint32_t(m_baseOffset) + end);
    m_virtualStart = 0;
    SetLastError(ERROR_SUCCESS);
    return 1;
}

LONG CFileObj::GetDataStart() { return m_dataStart; }

LONG CFileObj::GetDataEnd() { return m_dataEnd; }

LONG CFileObj::GetVirtualStart() { return m_virtualStart; }

int CFileObj::SetVirtualStart(LONG start) {
    if (m_file == nullptr) return 0;
    if (start < 0 || start > DataSize()) return 0;
    m_virtualStart = start;
    return 1;
}

LONG CFileObj::DataSize() { return m_dataStart == -1 ? -1 : m_dataEnd - m_dataStart; }

int CFileObj::SeekToData(LONG offset) {
    if (m_file == nullptr) return RefuseSeek();
    quor::DataWindow window(*this, m_dataStart, m_dataEnd, m_virtualStart, m_position, m_baseOffset, ERR_STREAM_SEEK);
    return window.SeekToData(offset);
}

LONG CFileObj::ReadData(char* buffer, LONG count) {
    if (m_file == nullptr || count <= 0) return 0;
    if (DataMode() != 1) {
        if (int64_t(m_position) + count > m_dataEnd) count = static_cast<LONG>(int64_t(m_dataEnd) - m_position);
        if (count <= 0) return 0;
        return Read(buffer, count);
    }
    quor::DataWindow window(*this, m_dataStart, m_dataEnd, m_virtualStart, m_position, m_baseOffset, ERR_STREAM_SEEK);
    LONG done = 0;
    // Each pass reads at least one byte or ends the loop, so it always ends.
    while (done < count) {
        if (m_position >= m_dataEnd) window.SeekToStorage(m_dataStart);
        int64_t step = count - done;
        if (int64_t(m_position) + step > m_dataEnd) step = int64_t(m_dataEnd) - m_position;
        const LONG got = Read(buffer + done, static_cast<LONG>(step));
        if (got == 0) break;
        done += got;
    }
    return done;
}

LONG CFileObj::WriteData(char* buffer, LONG count, int append) {
    if (m_file == nullptr) return -1;
    quor::DataWindow window(*this, m_dataStart, m_dataEnd, m_virtualStart, m_position, m_baseOffset, ERR_STREAM_SEEK);
    return window.WriteData(buffer, count, append);
}

char* CFileObj::FilePath() { return m_path; }

void CFileObj::GetFilePath(char* out) {
    if (out != nullptr) lstrcpyA(out, m_path);
}
