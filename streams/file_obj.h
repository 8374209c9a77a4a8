// CFileObj: a stream over a file on disk, through the runtime's buffered files.
#pragma once

#include <cstdio>

#include "module/export.h"
#include "platform/host.h"
#include "streams/ref_obj.h"

class CInternetDownload;

// A file stream counts positions from a base offset in its file, flushes every
// write, and may carry a download that fills the file. Positions, sizes and
// counts are signed 32-bit: files of 2^31 bytes or more are refused.
class QUOR_API CFileObj : public CRefObj {
public:
    CFileObj();
    CFileObj(CFileObj& source);  // an independent, read-only copy (see Copy)
    // Closes this stream's file, takes the base part as CRefObj does, then
    // reopens the source's file read-only at the source's position: no file or
    // download is ever shared by two streams.
    CFileObj& operator=(const CFileObj& source);

    ~CFileObj() override;
    int Copy(CRefObj* source) override;
    CRefObj* Copy() override;
    int IsOpen() override;
    void Close() override;
    LONG Read(char* buffer, LONG count) override;
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
    virtual int Open(const char* path, LONG baseOffset, int writable);
    virtual int Create(const char* path);

    char* FilePath();
    void GetFilePath(char* out);  // `out` must hold 260 characters

private:
    // Closes the file and drops any attached download before the stream is
    // pointed at another file.
    void Detach();

    FILE* m_file;                   // null while closed
    char m_path[260];               // path last given to Open or Create
    LONG m_baseOffset;              // file position of stream position 0
    LONG m_position;                // file position of the next byte
    LONG m_endPosition;             // file position just past the last byte
    LONG m_dataStart;               // file position of the window's first byte
    LONG m_dataEnd;                 // file position just past the window
    LONG m_virtualStart;            // SeekToData counts from here in the window
    CInternetDownload* m_download;  // owned; fills the file, destroyed with it
};
