// A tiny host: writes a file through a file stream, reads it back through a
// copy, and reports the library's error codes through the last-error value.
#include <quor.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    CFileObj* stream = new CFileObj;
    if (!stream->Create(argv[1])) return 3;
    char text[] = "hello from the host";
    if (stream->Write(text, static_cast<LONG>(std::strlen(text))) != static_cast<LONG>(std::strlen(text))) return 4;
    CRefObj* copy = stream->Copy();
    if (copy == nullptr || copy->Seek(6, SEEK_SET) != 1) return 5;
    char back[32] = {};
    if (copy->Read(back, 4) != 4 || std::strcmp(back, "from") != 0) return 6;
    if (copy->Seek(1000, SEEK_SET) != 0 || GetLastError() != ERR_STREAM_SEEK) return 7;
    DeleteRefObject(&copy);
    CRefObj* holder = stream;
    DeleteRefObject(&holder);
    if (holder != nullptr) return 8;
    std::puts("host ok");
    return 0;
}
