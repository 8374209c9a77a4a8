#include "tests/support/stream_kinds.h"

#include <stdexcept>

#include "tests/support/files.h"

namespace quor::test {

std::unique_ptr<CRefObj> MakeFileStream(const TempDir& dir, const std::string& bytes, bool writable) {
    const std::string path = dir.Path("stream.bin");
    WriteFile(path, bytes);
    auto stream = std::make_unique<CFileObj>();
    if (!stream->Open(path.c_str(), 0, writable ? 1 : 0)) throw std::runtime_error("cannot open " + path);
    return stream;
}

std::unique_ptr<CRefObj> MakeMemoryStream(const TempDir&, const std::string& bytes, bool writable) {
    auto stream = std::make_unique<CMemObj>();
    if (bytes.empty()) {
        stream->Create();
    } else if (!stream->Open(reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data())),
                             static_cast<ULONG>(bytes.size()))) {
        throw std::runtime_error("cannot fill a memory stream");
    }
    stream->SetWriteMode(writable ? 1 : 0);
    return stream;
}

std::string ContentOf(CRefObj& stream) {
    const LONG position = stream.Tell();
    stream.Seek(0, SEEK_SET);
    std::string bytes(static_cast<size_t>(stream.Size() > 0 ? stream.Size() : 0), '\0');
    const LONG got = stream.Read(bytes.data(), static_cast<LONG>(bytes.size()));
    bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    stream.Seek(position, SEEK_SET);
    return bytes;
}

}  // namespace quor::test
