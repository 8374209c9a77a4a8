// Small PE DLL images for tests and fuzz seeds, built in memory: headers, one
// `.rsrc` section and a resource directory laid out as the resource compiler
// lays it out. The images load as data files on Windows and under Wine, so the
// same fixtures check the POSIX layer's reader against a real loader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quor::test {

// A resource type or name: a string (stored uppercase, as the resource
// compiler stores it) or an integer id.
using ResourceKey = std::variant<std::string, uint16_t>;

struct PeResource {
    ResourceKey type;
    ResourceKey name;
    std::string bytes;
    uint16_t language = 0x0409;
};

// A file version a.b.c.d, as VS_FIXEDFILEINFO carries it.
struct PeVersion {
    uint16_t major = 0, minor = 0, build = 0, revision = 0;
    uint32_t Ms() const { return uint32_t(major) << 16 | minor; }
    uint32_t Ls() const { return uint32_t(build) << 16 | revision; }
};

struct PeContents {
    std::vector<PeResource> resources;
    std::optional<PeVersion> fileVersion;  // adds RT_VERSION id 1, language 0x0409
    bool pe32Plus = false;                 // an x86-64 PE32+ image instead of an i386 PE32 one
};

// Where the writer puts things, for tests that damage an image on purpose.
// With resources, the `.rsrc` section starts at kResourceFileOffset (RVA
// kResourceRva) with the root directory of types; one directory of names per
// type follows, then one directory of languages per name, the data entries,
// the strings of the named entries and last the data, each resource's bytes
// 8-aligned. Without resources the image has no section at all.
constexpr uint32_t kPeHeaderOffset = 0x80;  // e_lfanew: the "PE\0\0" signature
constexpr uint32_t kResourceFileOffset = 0x200;
constexpr uint32_t kResourceRva = 0x1000;

// A VS_VERSIONINFO block holding only VS_FIXEDFILEINFO with `version` as both
// file and product version: the bytes of the version resource BuildPe adds.
std::string VersionBlock(const PeVersion& version);

// The image's bytes. Throws std::invalid_argument for two resources with the
// same type, name and language.
std::string BuildPe(const PeContents& contents);

// Writes BuildPe(contents) to `path`.
void WritePe(const std::string& path, const PeContents& contents);

}  // namespace quor::test
