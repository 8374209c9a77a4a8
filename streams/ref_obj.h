// CRefObj: the common, reference-counted interface of every stream.
#pragma once

#include "module/export.h"
#include "platform/host.h"

// A stream that holds nothing: every operation has a defined base behaviour
// (almost all return 0), so a plain CRefObj can stand wherever a stream is
// expected. The slot order of the virtual operations is part of the interface.
class QUOR_API CRefObj {
public:
    CRefObj();
    CRefObj(const CRefObj& other);             // count 1; both modes copied
    CRefObj& operator=(const CRefObj& other);  // copies the count too

    virtual ~CRefObj();
    virtual int Copy(CRefObj* source);
    virtual CRefObj* Copy();
    virtual int IsOpen();
    virtual void Close();
    virtual LONG Read(char* buffer, LONG count);
    virtual LONG Write(char* buffer, LONG count);
    virtual int Seek(LONG offset, int whence);
    virtual LONG Tell();
    virtual LONG Size();
    virtual int Type();
    virtual int SetDataOffsets(ULONG start, ULONG end);
    virtual LONG GetDataStart();
    virtual LONG GetDataEnd();
    virtual LONG GetVirtualStart();
    virtual int SetVirtualStart(LONG start);
    virtual LONG DataSize();
    virtual void SetDataMode(int mode);
    virtual int SeekToData(LONG offset);
    virtual LONG ReadData(char* buffer, LONG count);
    virtual LONG WriteData(char* buffer, LONG count, int append);

    void AddReference();
    short DecReference();  // never destroys the object
    short References();
    int WriteMode();
    void SetWriteMode(int mode);
    int DataMode();
    // Reads the next text line into `buffer` (maxLength characters and a
    // terminator); returns the characters stored, 0 when nothing is left.
    LONG ReadNextString(char* buffer, LONG maxLength);

private:
    short m_references;  // holders; a plain counter, not atomic
    LONG m_writeMode;    // 1: the stream may be written
    LONG m_dataMode;     // 1: ReadData loops over the data window
};

// Gives one reference back. Destroys the object and nulls *holder only when
// the count reaches exactly 0; a null holder or pointer is ignored.
QUOR_API void DeleteRefObject(CRefObj** holder);
