#include "tests/support/pe_writer.h"

#include <fstream>
#include <map>
#include <stdexcept>

namespace quor::test {
namespace {

constexpr uint32_t kFileAlignment = 0x200;
constexpr uint32_t kSectionAlignment = 0x1000;
constexpr uint16_t kRtVersion = 16;

uint32_t AlignUp(uint32_t value, uint32_t alignment) { return (value + alignment - 1) / alignment * alignment; }

// Little-endian stores into a buffer that has already been sized.
void Put16(std::string& out, size_t at, uint32_t value) {
    out[at] = static_cast<char>(value & 0xFF);
    out[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}
void Put32(std::string& out, size_t at, uint32_t value) {
    Put16(out, at, value & 0xFFFF);
    Put16(out, at + 2, value >> 16);
}
void Put64(std::string& out, size_t at, uint64_t value) {
    Put32(out, at, static_cast<uint32_t>(value));
    Put32(out, at + 4, static_cast<uint32_t>(value >> 32));
}

ResourceKey Upper(ResourceKey key) {
    if (auto* name = std::get_if<std::string>(&key)) {
        for (char& c : *name) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return key;
}

using Languages = std::map<uint16_t, std::string>;
using Names = std::map<ResourceKey, Languages>;
using Types = std::map<ResourceKey, Names>;  // strings order before ids, as the directory wants

// The `.rsrc` section's bytes for a section at RVA kResourceRva.
std::string ResourceSection(const Types& types) {
    // Sizes first: the directories, the data entries and the strings.
    uint32_t directories = 16 + 8 * static_cast<uint32_t>(types.size());
    uint32_t leaves = 0;
    uint32_t strings = 0;
    auto countString = [&](const ResourceKey& key) {
        if (auto* name = std::get_if<std::string>(&key)) strings += 2 + 2 * static_cast<uint32_t>(name->size());
    };
    for (const auto& [type, names] : types) {
        countString(type);
        directories += 16 + 8 * static_cast<uint32_t>(names.size());
        for (const auto& [name, languages] : names) {
            countString(name);
            directories += 16 + 8 * static_cast<uint32_t>(languages.size());
            leaves += static_cast<uint32_t>(languages.size());
        }
    }
    const uint32_t entriesAt = directories;
    const uint32_t stringsAt = entriesAt + 16 * leaves;
    uint32_t dataAt = AlignUp(stringsAt + strings, 8);
    uint32_t total = dataAt;
    for (const auto& [type, names] : types) {
        for (const auto& [name, languages] : names) {
            for (const auto& [language, bytes] : languages)
                total = AlignUp(total + static_cast<uint32_t>(bytes.size()), 8);
        }
    }
    std::string out(total, '\0');

    uint32_t nextDirectory = 0, nextEntry = entriesAt, nextString = stringsAt, nextData = dataAt;
    auto putString = [&](const std::string& name) {
        const uint32_t at = nextString;
        Put16(out, at, static_cast<uint32_t>(name.size()));
        for (size_t i = 0; i < name.size(); ++i) Put16(out, at + 2 + 2 * i, static_cast<unsigned char>(name[i]));
        nextString += 2 + 2 * static_cast<uint32_t>(name.size());
        return 0x80000000u | at;
    };
    // A directory header followed by room for its entries; returns its offset.
    auto putDirectory = [&](uint32_t named, uint32_t ids) {
        const uint32_t at = nextDirectory;
        Put16(out, at + 12, named);
        Put16(out, at + 14, ids);
        nextDirectory += 16 + 8 * (named + ids);
        return at;
    };
    auto keyField = [&](const ResourceKey& key) {
        if (auto* name = std::get_if<std::string>(&key)) return putString(*name);
        return static_cast<uint32_t>(std::get<uint16_t>(key));
    };
    auto countNamed = [](const auto& map) {
        uint32_t named = 0;
        for (const auto& entry : map) named += std::holds_alternative<std::string>(entry.first) ? 1 : 0;
        return named;
    };

    // Breadth first: the root, then every name directory, then every language
    // directory, so that the layout reads as the header comment says.
    const uint32_t root = putDirectory(countNamed(types), static_cast<uint32_t>(types.size()) - countNamed(types));
    std::vector<std::pair<uint32_t, const Names*>> nameDirectories;
    uint32_t slot = root + 16;
    for (const auto& [type, names] : types) {
        const uint32_t named = countNamed(names);
        const uint32_t directory = putDirectory(named, static_cast<uint32_t>(names.size()) - named);
        Put32(out, slot, keyField(type));
        Put32(out, slot + 4, 0x80000000u | directory);
        slot += 8;
        nameDirectories.emplace_back(directory, &names);
    }
    std::vector<std::pair<uint32_t, const Languages*>> languageDirectories;
    for (const auto& [directory, names] : nameDirectories) {
        slot = directory + 16;
        for (const auto& [name, languages] : *names) {
            const uint32_t child = putDirectory(0, static_cast<uint32_t>(languages.size()));
            Put32(out, slot, keyField(name));
            Put32(out, slot + 4, 0x80000000u | child);
            slot += 8;
            languageDirectories.emplace_back(child, &languages);
        }
    }
    for (const auto& [directory, languages] : languageDirectories) {
        slot = directory + 16;
        for (const auto& [language, bytes] : *languages) {
            const uint32_t entry = nextEntry;
            nextEntry += 16;
            Put32(out, slot, language);
            Put32(out, slot + 4, entry);
            slot += 8;
            Put32(out, entry, kResourceRva + nextData);                  // OffsetToData, an RVA
            Put32(out, entry + 4, static_cast<uint32_t>(bytes.size()));  // Size
            out.replace(nextData, bytes.size(), bytes);
            nextData = AlignUp(nextData + static_cast<uint32_t>(bytes.size()), 8);
        }
    }
    return out;
}

}  // namespace

// The header, the "VS_VERSION_INFO" key, padding to a 32-bit boundary, then
// VS_FIXEDFILEINFO; no children.
std::string VersionBlock(const PeVersion& version) {
    const std::string key = "VS_VERSION_INFO";
    const size_t valueAt = AlignUp(static_cast<uint32_t>(6 + 2 * (key.size() + 1)), 4);
    const size_t fixedSize = 13 * 4;
    std::string block(valueAt + fixedSize, '\0');
    Put16(block, 0, static_cast<uint32_t>(block.size()));  // wLength
    Put16(block, 2, fixedSize);                            // wValueLength
    Put16(block, 4, 0);                                    // wType: binary
    for (size_t i = 0; i < key.size(); ++i) Put16(block, 6 + 2 * i, static_cast<unsigned char>(key[i]));
    uint32_t fixed[13] = {};             // the date and subtype stay 0
    fixed[0] = 0xFEEF04BD;               // dwSignature
    fixed[1] = 0x00010000;               // dwStrucVersion
    fixed[2] = fixed[4] = version.Ms();  // file and product version
    fixed[3] = fixed[5] = version.Ls();
    fixed[6] = 0x3F;        // dwFileFlagsMask
    fixed[8] = 0x00040004;  // dwFileOS: VOS_NT_WINDOWS32
    fixed[9] = 2;           // dwFileType: VFT_DLL
    for (size_t i = 0; i < 13; ++i) Put32(block, valueAt + 4 * i, fixed[i]);
    return block;
}

std::string BuildPe(const PeContents& contents) {
    Types types;
    auto add = [&](const ResourceKey& type, const ResourceKey& name, uint16_t language, const std::string& bytes) {
        auto [it, fresh] = types[Upper(type)][Upper(name)].emplace(language, bytes);
        if (!fresh) throw std::invalid_argument("two resources with the same type, name and language");
    };
    for (const PeResource& resource : contents.resources)
        add(resource.type, resource.name, resource.language, resource.bytes);
    if (contents.fileVersion) add(kRtVersion, uint16_t(1), 0x0409, VersionBlock(*contents.fileVersion));

    const std::string section = types.empty() ? std::string() : ResourceSection(types);
    const uint32_t sections = types.empty() ? 0 : 1;
    const uint32_t optionalSize = contents.pe32Plus ? 240 : 224;
    const uint32_t coffAt = kPeHeaderOffset + 4;
    const uint32_t optionalAt = coffAt + 20;
    const uint32_t sectionTableAt = optionalAt + optionalSize;
    const uint32_t headersSize = AlignUp(sectionTableAt + 40 * sections, kFileAlignment);
    const uint32_t rawSize = AlignUp(static_cast<uint32_t>(section.size()), kFileAlignment);
    const uint32_t imageSize = kSectionAlignment + AlignUp(static_cast<uint32_t>(section.size()), kSectionAlignment);
    std::string image(headersSize + rawSize, '\0');

    // DOS header and a stub that prints a line and exits when run under DOS.
    image[0] = 'M';
    image[1] = 'Z';
    Put16(image, 0x02, kPeHeaderOffset % 512);  // e_cblp: bytes on the last page
    Put16(image, 0x04, 1);                      // e_cp: pages
    Put16(image, 0x08, 4);                      // e_cparhdr: header paragraphs
    Put16(image, 0x0C, 0xFFFF);                 // e_maxalloc
    Put16(image, 0x10, 0xB8);                   // e_sp
    Put16(image, 0x18, 0x40);                   // e_lfarlc
    Put32(image, 0x3C, kPeHeaderOffset);        // e_lfanew
    const unsigned char stub[] = {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09,
                                  0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};  // print DS:000E, exit 1
    for (size_t i = 0; i < sizeof stub; ++i) image[0x40 + i] = static_cast<char>(stub[i]);
    const std::string message = "A Windows DLL; not a DOS program.\r\n$";
    image.replace(0x40 + sizeof stub, message.size(), message);

    image.replace(kPeHeaderOffset, 4, std::string("PE\0\0", 4));
    Put16(image, coffAt, contents.pe32Plus ? 0x8664 : 0x014C);  // Machine: x86-64 or i386
    Put16(image, coffAt + 2, sections);
    Put16(image, coffAt + 16, optionalSize);
    // IMAGE_FILE_EXECUTABLE_IMAGE | IMAGE_FILE_DLL, and 32BIT_MACHINE or LARGE_ADDRESS_AWARE.
    Put16(image, coffAt + 18, 0x0002 | 0x2000 | (contents.pe32Plus ? 0x0020 : 0x0100));

    const uint32_t o = optionalAt;
    Put16(image, o, contents.pe32Plus ? 0x20B : 0x10B);
    image[o + 2] = 14;                                                // linker version
    Put32(image, o + 8, rawSize);                                     // SizeOfInitializedData
    Put32(image, o + 20, kSectionAlignment);                          // BaseOfCode
    if (!contents.pe32Plus) Put32(image, o + 24, kSectionAlignment);  // BaseOfData
    if (contents.pe32Plus)
        Put64(image, o + 24, 0x180000000ull);  // ImageBase
    else
        Put32(image, o + 28, 0x10000000);
    Put32(image, o + 32, kSectionAlignment);
    Put32(image, o + 36, kFileAlignment);
    Put16(image, o + 40, contents.pe32Plus ? 6 : 4);  // operating system version
    Put16(image, o + 48, contents.pe32Plus ? 6 : 4);  // subsystem version
    Put32(image, o + 56, imageSize);
    Put32(image, o + 60, headersSize);
    Put16(image, o + 68, 2);          // Subsystem: Windows GUI
    const uint32_t sizesAt = o + 72;  // stack and heap reserve and commit
    if (contents.pe32Plus) {
        Put64(image, sizesAt, 0x100000);
        Put64(image, sizesAt + 8, 0x1000);
        Put64(image, sizesAt + 16, 0x100000);
        Put64(image, sizesAt + 24, 0x1000);
    } else {
        Put32(image, sizesAt, 0x100000);
        Put32(image, sizesAt + 4, 0x1000);
        Put32(image, sizesAt + 8, 0x100000);
        Put32(image, sizesAt + 12, 0x1000);
    }
    const uint32_t directoriesAt = o + (contents.pe32Plus ? 112 : 96);
    Put32(image, directoriesAt - 4, 16);  // NumberOfRvaAndSizes
    if (sections != 0) {
        Put32(image, directoriesAt + 2 * 8, kResourceRva);
        Put32(image, directoriesAt + 2 * 8 + 4, static_cast<uint32_t>(section.size()));

        image.replace(sectionTableAt, 5, ".rsrc");
        Put32(image, sectionTableAt + 8, static_cast<uint32_t>(section.size()));  // VirtualSize
        Put32(image, sectionTableAt + 12, kResourceRva);                          // VirtualAddress
        Put32(image, sectionTableAt + 16, rawSize);                               // SizeOfRawData
        Put32(image, sectionTableAt + 20, headersSize);                           // PointerToRawData
        Put32(image, sectionTableAt + 36, 0x40000040);                            // initialized data, readable
        image.replace(headersSize, section.size(), section);
    }
    return image;
}

void WritePe(const std::string& path, const PeContents& contents) {
    const std::string image = BuildPe(contents);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(image.data(), static_cast<std::streamsize>(image.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace quor::test
