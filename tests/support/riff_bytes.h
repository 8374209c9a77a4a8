// RIFF files as bytes, built by hand for tests: chunks with their data and
// lists with their children, laid out with no pad bytes.
#pragma once

#include <string>
#include <vector>

#include "platform/host.h"

namespace quor::test {

// A little-endian 32-bit word as 4 bytes.
std::string Word(ULONG value);

// A chunk: the 4-character id, the size field, then the data.
std::string Chunk(const std::string& id, const std::string& data);
// The same with a size field that need not match the data.
std::string ChunkWithSize(const std::string& id, ULONG size, const std::string& data);
// "LIST", size, type, then the children one after the other.
std::string List(const std::string& type, const std::vector<std::string>& children);
// "RIFF", size, form type, then the chunks.
std::string Riff(const std::string& form, const std::vector<std::string>& chunks);

// The code of a 4-character id, as the engine passes it.
ULONG Code(const std::string& id);

}  // namespace quor::test
