#include "streams/ref_obj.h"

#include "platform/alloc.h"

CRefObj::CRefObj() : m_references(1), m_writeMode(0), m_dataMode(0) {}

CRefObj::CRefObj(const CRefObj& other)
    : m_references(1), m_writeMode(other.m_writeMode), m_dataMode(other.m_dataMode) {}

CRefObj& CRefObj::operator=(const CRefObj& other) {
    m_references = other.m_references;
    m_writeMode = other.m_writeMode;
    m_dataMode = other.m_dataMode;
    return *this;
}

CRefObj::~CRefObj() = default;

int CRefObj::Copy(CRefObj*) { return 0; }

CRefObj* CRefObj::Copy() { return quor::NewObject<CRefObj>(*this); }

int CRefObj::IsOpen() { return 0; }
void CRefObj::Close() {}
LONG CRefObj::Read(char*, LONG) { return 0; }
LONG CRefObj::Write(char*, LONG) { return 0; }
int CRefObj::Seek(LONG, int) { return 0; }
LONG CRefObj::Tell() { return 0; }
LONG CRefObj::Size() { return 0; }
int CRefObj::Type() { return 0; }
int CRefObj::SetDataOffsets(ULONG, ULONG) { return 0; }
LONG CRefObj::GetDataStart() { return 0; }
LONG CRefObj::GetDataEnd() { return 0; }
LONG CRefObj::GetVirtualStart() { return 0; }
int CRefObj::SetVirtualStart(LONG) { return 0; }
LONG CRefObj::DataSize() { return 0; }
void CRefObj::SetDataMode(int mode) { m_dataMode = mode; }
int CRefObj::SeekToData(LONG) { return 0; }
LONG CRefObj::ReadData(char*, LONG) { return 0; }
LONG CRefObj::WriteData(char*, LONG, int) { return 0; }

void CRefObj::AddReference() { ++m_references; }

short CRefObj::DecReference() { return --m_references; }

short CRefObj::References() { return m_references; }
int CRefObj::WriteMode() { return m_writeMode; }
void CRefObj::SetWriteMode(int mode) { m_writeMode = mode; }
int CRefObj::DataMode() { return m_dataMode; }

void DeleteRefObject(CRefObj** holder) {
    if (holder == nullptr || *holder == nullptr) return;
    if ((*holder)->DecReference() != 0) return;
    delete *holder;
    *holder = nullptr;
}
