#include "streams/data_window.h"

#include <cstdio>

#include "streams/ref_obj.h"

namespace quor {

int DataWindow::SeekToStorage(int64_t position) {
    const int64_t offset = position - m_storageBase;
    if (offset < INT32_MIN || offset > INT32_MAX) {
        if (m_refusalCode != 0) SetLastError(m_refusalCode);
        return 0;
    }
    return m_stream.Seek(static_cast<LONG>(offset), SEEK_SET);
}

int DataWindow::SeekToData(LONG offset) {
    const int64_t size = int64_t(m_dataEnd) - m_dataStart;
    if (size == 0) {
        if (m_refusalCode != 0) SetLastError(m_refusalCode);
        return 0;
    }
    const int64_t remainder = (int64_t(m_virtualStart) + offset) % size;
    return SeekToStorage(int64_t(m_dataStart) + remainder);
}

LONG DataWindow::WriteData(char* buffer, LONG count, int append) {
    if (m_stream.WriteMode() == 0) return -1;
    if (append != 0) {
        if (SeekToStorage(m_dataEnd) == 0) return -1;
        const LONG written = m_stream.Write(buffer, count);
        m_dataEnd = static_cast<LONG>(uint32_t(m_dataEnd) + uint32_t(written));
        return written;
    }
    if (int64_t(m_position) + count > m_dataEnd) count = static_cast<LONG>(int64_t(m_dataEnd) - m_position);
    if (count <= 0) return 0;
    return m_stream.Write(buffer, count);
}

}  // namespace quor
