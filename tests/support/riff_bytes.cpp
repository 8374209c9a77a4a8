#include "tests/support/riff_bytes.h"

#include <stdexcept>

namespace quor::test {

std::string Word(ULONG value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

ULONG Code(const std::string& id) {
    if (id.size() != 4) throw std::invalid_argument("a code has 4 characters: " + id);
    ULONG value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(id[static_cast<size_t>(i)]);
    return value;
}

std::string ChunkWithSize(const std::string& id, ULONG size, const std::string& data) {
    return Word(Code(id)) + Word(size) + data;
}

std::string Chunk(const std::string& id, const std::string& data) {
    return ChunkWithSize(id, static_cast<ULONG>(data.size()), data);
}

namespace {

std::string Level(const std::string& id, const std::string& type, const std::vector<std::string>& children) {
    std::string body = Word(Code(type));
    for (const std::string& child : children) body += child;
    return Word(Code(id)) + Word(static_cast<ULONG>(body.size())) + body;
}

}  // namespace

std::string List(const std::string& type, const std::vector<std::string>& children) {
    return Level("LIST", type, children);
}

std::string Riff(const std::string& form, const std::vector<std::string>& chunks) {
    return Level("RIFF", form, chunks);
}

}  // namespace quor::test
