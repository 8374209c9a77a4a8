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
    // A RIFF written into a memory stream and walked back.
    CMemObj* memory = new CMemObj;
    memory->Create();
    CRIFF riff;
    const ULONG wave = 0x45564157, data = 0x61746164;
    char samples[6] = {1, 2, 3, 4, 5, 6};
    if (!riff.Create(memory, wave) || !riff.WriteSubChunk(data, samples, 6)) return 9;
    CRIFF reader;
    _chunkInfo info{};
    memory->Seek(0, SEEK_SET);
    if (!reader.Open(memory, &info) || info.size != 18 || !reader.SeekToChunk(data, 0, 1)) return 10;
    char line[16];
    memory->Seek(0, SEEK_SET);
    if (memory->ReadNextString(line, 15) < 0) return 11;
    riff.Close();
    reader.Close();
    CRefObj* memoryHolder = memory;
    DeleteRefObject(&memoryHolder);
    if (memoryHolder != nullptr) return 12;
    std::puts("host ok");
    return 0;
}
