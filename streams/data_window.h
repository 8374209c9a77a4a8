// The window operations that the file stream and the memory stream share:
// SeekToData and WriteData work the same on both, through the stream's own
// virtual Seek and Write, on positions of the stream's storage.
#pragma once

#include <cstdint>

#include "platform/host.h"

class CRefObj;

namespace quor {

class DataWindow {
public:
    // `storageBase` is the storage position of the stream's position 0 (a file
    // stream's base offset; 0 for memory). `refusalCode` is set when SeekToData
    // finds no window to seek in (0: set nothing).
    DataWindow(CRefObj& stream, LONG dataStart, LONG& dataEnd, LONG virtualStart, LONG position, LONG storageBase,
               DWORD refusalCode)
        : m_stream(stream),
          m_dataStart(dataStart),
          m_dataEnd(dataEnd),
          m_virtualStart(virtualStart),
          m_position(position),
          m_storageBase(storageBase),
          m_refusalCode(refusalCode) {}

    // Moves to data start + ((virtual start + offset) mod window size), the
    // remainder taking the sign of the dividend. A window of size 0 (or none)
    // is refused with 0 rather than divided by.
    int SeekToData(LONG offset);

    // -1 unless the stream is in write mode; appends at the data end (moving it
    // by the bytes written) or writes at the position without passing the end.
    LONG WriteData(char* buffer, LONG count, int append);

    // Seeks the stream to an absolute storage position; 0 when it does not fit
    // the stream's 32-bit offsets.
    int SeekToStorage(int64_t position);

private:
    CRefObj& m_stream;
    LONG m_dataStart;
    LONG& m_dataEnd;
    LONG m_virtualStart;
    LONG m_position;
    LONG m_storageBase;
    DWORD m_refusalCode;
};

}  // namespace quor
