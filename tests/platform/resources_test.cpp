// Module resources read from PE data files made by the fixture writer. On
// Windows the system's loader reads them, so the same tests check the writer
// and the POSIX layer's reader against a real implementation.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/alloc.h"
#include "platform/fault.h"
#include "platform/win32.h"
#include "tests/support/fault_guard.h"
#include "tests/support/files.h"
#include "tests/support/pe_writer.h"
#include "tests/support/temp_dir.h"

namespace {

using quor::test::BuildPe;
using quor::test::Pattern;
using quor::test::PeContents;
using quor::test::PeVersion;
using quor::test::TempDir;
using quor::test::WriteFile;
using quor::test::WritePe;

constexpr DWORD kDataFile = LOAD_LIBRARY_AS_DATAFILE;
constexpr PeVersion kVersion{1, 2, 3, 4};

// A module loaded as a data file, freed with the guard.
class Loaded {
public:
    explicit Loaded(const std::string& path, DWORD flags = kDataFile)
        : m_module(LoadLibraryExA(path.c_str(), nullptr, flags)), m_error(GetLastError()) {}
    ~Loaded() {
        if (m_module != nullptr) FreeLibrary(m_module);
    }
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;

    HMODULE Get() const { return m_module; }
    DWORD Error() const { return m_error; }  // the last error right after loading

private:
    HMODULE m_module;
    DWORD m_error;
};

// The bytes of a found resource, read through the whole chain of calls.
std::optional<std::string> ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC resource = FindResourceA(module, name, type);
    if (resource == nullptr) return std::nullopt;
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    if (loaded == nullptr) return std::nullopt;
    const char* data = static_cast<const char*>(LockResource(loaded));
    if (data == nullptr) return std::nullopt;
    return std::string(data, size);
}

// The error FindResourceA reports, 0 when it finds the resource.
DWORD FindError(HMODULE module, LPCSTR name, LPCSTR type) {
    SetLastError(0);
    return FindResourceA(module, name, type) == nullptr ? GetLastError() : 0;
}

// Resources of every kind of key: named and numbered WAVE sounds, an empty
// one, and a named resource of an integer type; with a version resource.
PeContents SampleContents(bool pe32Plus = false) {
    PeContents contents;
    contents.resources = {
        {std::string("WAVE"), std::string("Intro"), Pattern(300)},
        {std::string("WAVE"), std::string("Loop"), Pattern(4096)},
        {std::string("WAVE"), uint16_t(7), "seven bytes"},
        {std::string("WAVE"), std::string("Empty"), ""},
        {uint16_t(10), std::string("Data"), "ten"},
    };
    contents.fileVersion = kVersion;
    contents.pe32Plus = pe32Plus;
    return contents;
}

TEST(Resources, FoundByStringIdAndHashIdWithTheirBytes) {
    struct Case {
        LPCSTR name;
        LPCSTR type;
        std::string bytes;
    };
    const Case cases[] = {
        {"Intro", "WAVE", Pattern(300)},
        {"intro", "wave", Pattern(300)},  // names compare without case
        {"INTRO", "Wave", Pattern(300)},
        {"Loop", "WAVE", Pattern(4096)},
        {"Empty", "WAVE", ""},
        {MAKEINTRESOURCEA(7), "WAVE", "seven bytes"},
        {"#7", "WAVE", "seven bytes"},
        {"#007", "wave", "seven bytes"},
        {"Data", MAKEINTRESOURCEA(10), "ten"},
        {"DATA", "#10", "ten"},
    };
    for (bool pe32Plus : {false, true}) {
        SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
        TempDir dir;
        WritePe(dir.Path("sounds.dll"), SampleContents(pe32Plus));
        Loaded module(dir.Path("sounds.dll"));
        ASSERT_NE(module.Get(), nullptr) << module.Error();
        for (const Case& c : cases) {
            SCOPED_TRACE(IS_INTRESOURCE(c.name) ? "#id" : c.name);
            EXPECT_EQ(ResourceBytes(module.Get(), c.name, c.type), c.bytes);
        }
    }
}

TEST(Resources, FindingTwiceGivesTheSameHandle) {
    TempDir dir;
    WritePe(dir.Path("sounds.dll"), SampleContents());
    Loaded module(dir.Path("sounds.dll"));
    ASSERT_NE(module.Get(), nullptr);
    HRSRC first = FindResourceA(module.Get(), "Intro", "WAVE");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(FindResourceA(module.Get(), "INTRO", "wave"), first);
    EXPECT_NE(FindResourceA(module.Get(), "Loop", "WAVE"), first);
}

TEST(Resources, MissingTypesAndNamesReportWhichLevelFailed) {
    struct Case {
        LPCSTR name;
        LPCSTR type;
        DWORD error;
    };
    const Case cases[] = {
        {"Outro", "WAVE", ERROR_RESOURCE_NAME_NOT_FOUND},
        {MAKEINTRESOURCEA(8), "WAVE", ERROR_RESOURCE_NAME_NOT_FOUND},
        {"7", "WAVE", ERROR_RESOURCE_NAME_NOT_FOUND},  // a string, not an id
        {"", "WAVE", ERROR_RESOURCE_NAME_NOT_FOUND},
        {"#abc", "WAVE", ERROR_RESOURCE_NAME_NOT_FOUND},  // no digits: id 0
        {"Intro", "MIDI", ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"Intro", MAKEINTRESOURCEA(11), ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"Data", "#11", ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"#65543", "WAVE", ERROR_INVALID_PARAMETER},  // an id beyond 16 bits
        {"Intro", "#70000", ERROR_INVALID_PARAMETER},
    };
    TempDir dir;
    WritePe(dir.Path("sounds.dll"), SampleContents());
    Loaded module(dir.Path("sounds.dll"));
    ASSERT_NE(module.Get(), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(IS_INTRESOURCE(c.name) ? "#id" : c.name);
        EXPECT_EQ(FindError(module.Get(), c.name, c.type), c.error);
    }
}

TEST(Resources, FileWithoutResourcesLoadsAndFindsNothing) {
    TempDir dir;
    WritePe(dir.Path("plain.dll"), PeContents{});
    Loaded module(dir.Path("plain.dll"));
    ASSERT_NE(module.Get(), nullptr) << module.Error();
    EXPECT_EQ(FindError(module.Get(), "Intro", "WAVE"), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
    EXPECT_EQ(FindError(module.Get(), MAKEINTRESOURCEA(1), RT_VERSION), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST(Resources, DataFileFlagsAllLoad) {
    const DWORD flags[] = {
        LOAD_LIBRARY_AS_DATAFILE,
        LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE,
        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE,
        LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE | LOAD_LIBRARY_AS_IMAGE_RESOURCE,
    };
    TempDir dir;
    WritePe(dir.Path("sounds.dll"), SampleContents());
    for (DWORD flag : flags) {
        SCOPED_TRACE(flag);
        Loaded module(dir.Path("sounds.dll"), flag);
        ASSERT_NE(module.Get(), nullptr) << module.Error();
        EXPECT_EQ(ResourceBytes(module.Get(), "#7", "WAVE"), "seven bytes");
    }
}

TEST(Resources, PathsMayUseBackslashes) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path("sub"));
    WritePe(dir.Path("sub/sounds.dll"), SampleContents());
    const std::string path = dir.Root().string() + "\\sub\\sounds.dll";
    Loaded module(path);
    ASSERT_NE(module.Get(), nullptr) << module.Error();
    EXPECT_EQ(ResourceBytes(module.Get(), "Intro", "WAVE"), Pattern(300));
    DWORD handle = 1;
    EXPECT_NE(GetFileVersionInfoSizeA(path.c_str(), &handle), 0u);
}

// Files that are not PE images, or not there. `layerOnly` marks what Windows
// treats differently: it maps a file cut inside its headers a whole page at a
// time and reads the missing bytes as zeros, and refuses a directory without
// an error code.
struct RefusedFile {
    const char* what;
    std::optional<std::string> bytes;  // none: `name` is left as it is
    const char* name;
    DWORD error;
    bool layerOnly = false;
};

TEST(Resources, FilesThatAreNotImagesAreRefused) {
    const std::string image = BuildPe(SampleContents());
    const RefusedFile cases[] = {
        {"text", std::string("plain text, long enough to hold a DOS header but nothing like one"), "a.txt",
         ERROR_BAD_EXE_FORMAT},
        {"MZ alone", std::string("MZ"), "mz.dll", ERROR_BAD_EXE_FORMAT},
        {"DOS header only", image.substr(0, 64), "dos.dll", ERROR_BAD_EXE_FORMAT},
        {"headers cut in the optional header", image.substr(0, 0xA0), "cut.dll", ERROR_BAD_EXE_FORMAT, true},
        {"empty file", std::string(), "empty.dll", ERROR_FILE_INVALID},
        {"missing file", std::nullopt, "missing.dll", ERROR_FILE_NOT_FOUND},
        {"missing directory", std::nullopt, "missing/x.dll", ERROR_FILE_NOT_FOUND},
        {"directory", std::nullopt, "", ERROR_ACCESS_DENIED, true},
    };
    for (const RefusedFile& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.layerOnly && !quor::platform::kPosixLayer) continue;
        TempDir dir;
        const std::string path = dir.Path(c.name);
        if (c.bytes) WriteFile(path, *c.bytes);
        Loaded module(path);
        EXPECT_EQ(module.Get(), nullptr);
        EXPECT_EQ(module.Error(), c.error);
    }
    SetLastError(0);
    EXPECT_EQ(LoadLibraryExA("", nullptr, kDataFile), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(VersionInfo, RootBlockCarriesTheFileVersion) {
    for (bool pe32Plus : {false, true}) {
        SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
        TempDir dir;
        const std::string path = dir.Path("versioned.dll");
        WritePe(path, SampleContents(pe32Plus));
        DWORD handle = 99;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
        ASSERT_GT(size, 0u) << GetLastError();
        EXPECT_EQ(handle, 0u);
        std::vector<char> block(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), handle, size, block.data()));

        LPVOID value = nullptr;
        UINT length = 0;
        for (LPCSTR root : {"\\", ""}) {
            ASSERT_TRUE(VerQueryValueA(block.data(), root, &value, &length));
            ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
            ASSERT_GE(static_cast<char*>(value), block.data());
            ASSERT_LE(static_cast<char*>(value) + length, block.data() + size);
            VS_FIXEDFILEINFO fixed;
            std::memcpy(&fixed, value, sizeof fixed);
            EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
            EXPECT_EQ(fixed.dwFileVersionMS, kVersion.Ms());
            EXPECT_EQ(fixed.dwFileVersionLS, kVersion.Ls());
        }
        // The fixture holds no string or translation tables.
        EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\FileVersion", &value, &length));
        EXPECT_FALSE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    }
}

TEST(VersionInfo, FilesWithoutOneReportWhy) {
    PeContents unversioned = SampleContents();
    unversioned.fileVersion.reset();
    PeContents otherId = unversioned;  // a version resource, but not id 1
    otherId.resources.push_back({uint16_t(16), uint16_t(2), quor::test::VersionBlock(kVersion)});
    const RefusedFile cases[] = {
        {"resources but no version", BuildPe(unversioned), "a.dll", ERROR_RESOURCE_DATA_NOT_FOUND},
        {"version under another id", BuildPe(otherId), "b.dll", ERROR_RESOURCE_DATA_NOT_FOUND},
        {"no resources", BuildPe(PeContents{}), "c.dll", ERROR_RESOURCE_DATA_NOT_FOUND},
        {"not an image", std::string("plain text, long enough to hold a DOS header but nothing like one"), "d.txt",
         ERROR_RESOURCE_DATA_NOT_FOUND},
        {"missing file", std::nullopt, "missing.dll", ERROR_FILE_NOT_FOUND},
        {"missing directory", std::nullopt, "missing/x.dll", ERROR_PATH_NOT_FOUND},
    };
    for (const RefusedFile& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.Path(c.name);
        if (c.bytes) WriteFile(path, *c.bytes);
        DWORD handle = 99;
        SetLastError(0);
        EXPECT_EQ(GetFileVersionInfoSizeA(path.c_str(), &handle), 0u);
        EXPECT_EQ(GetLastError(), c.error);
        char block[256];
        SetLastError(0);
        EXPECT_FALSE(GetFileVersionInfoA(path.c_str(), 0, sizeof block, block));
        EXPECT_EQ(GetLastError(), c.error);
    }
}

// What only this library's layer promises from here on.

TEST(ResourcesLayer, FreedModulesAndForeignResourceHandlesAreRefused) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "the system does not check resource handles";
    TempDir dir;
    WritePe(dir.Path("a.dll"), SampleContents());
    HMODULE a = LoadLibraryExA(dir.Path("a.dll").c_str(), nullptr, kDataFile);
    Loaded b(dir.Path("a.dll"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b.Get(), nullptr);
    EXPECT_NE(a, b.Get());
    HRSRC resource = FindResourceA(a, "Intro", "WAVE");
    ASSERT_NE(resource, nullptr);
    HRSRC fake = reinterpret_cast<HRSRC>(reinterpret_cast<uintptr_t>(resource) + 8);
    const HRSRC refused[] = {nullptr, fake};
    for (HRSRC bad : refused) {
        SetLastError(0);
        EXPECT_EQ(SizeofResource(a, bad), 0u);
        EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
        EXPECT_EQ(LoadResource(a, bad), nullptr);
    }
    // The same resource found through another module is that module's handle.
    SetLastError(0);
    EXPECT_EQ(SizeofResource(b.Get(), resource), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(LoadResource(b.Get(), resource), nullptr);

    ASSERT_TRUE(FreeLibrary(a));
    SetLastError(0);
    EXPECT_EQ(SizeofResource(a, resource), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(LoadResource(a, resource), nullptr);
    EXPECT_EQ(FindError(a, "Intro", "WAVE"), DWORD(ERROR_INVALID_HANDLE));
    SetLastError(0);
    EXPECT_FALSE(FreeLibrary(a));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    // A freed value is never handed out again.
    Loaded again(dir.Path("a.dll"));
    EXPECT_NE(again.Get(), a);
    // The program itself has no resources here.
    EXPECT_EQ(FindError(nullptr, "Intro", "WAVE"), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST(ResourcesLayer, OnlyDataFileLoadsAreSupported) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "the system loads images too";
    TempDir dir;
    WritePe(dir.Path("a.dll"), SampleContents());
    const DWORD flags[] = {0, 0x1 /* DONT_RESOLVE_DLL_REFERENCES */, 0x8 /* WITH_ALTERED_SEARCH_PATH */,
                           LOAD_LIBRARY_AS_IMAGE_RESOURCE, LOAD_LIBRARY_AS_DATAFILE | 0x8};
    for (DWORD flag : flags) {
        SCOPED_TRACE(flag);
        Loaded module(dir.Path("a.dll"), flag);
        EXPECT_EQ(module.Get(), nullptr);
        EXPECT_EQ(module.Error(), DWORD(ERROR_NOT_SUPPORTED));
    }
    int file = 0;
    SetLastError(0);
    EXPECT_EQ(LoadLibraryExA(dir.Path("a.dll").c_str(), &file, kDataFile), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(ResourcesLayer, AllocationFailureIsReported) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "allocation is the system's";
    quor::test::FaultGuard guard;
    TempDir dir;
    WritePe(dir.Path("a.dll"), SampleContents());
    quor::fault::FailNth(quor::fault::Site::Alloc, 1);
    Loaded failed(dir.Path("a.dll"));
    EXPECT_TRUE(quor::fault::Fired(quor::fault::Site::Alloc));
    EXPECT_EQ(failed.Get(), nullptr);
    EXPECT_EQ(failed.Error(), DWORD(ERROR_NOT_ENOUGH_MEMORY));
    Loaded loaded(dir.Path("a.dll"));
    EXPECT_NE(loaded.Get(), nullptr);
}

// Every way a lookup can end on a damaged file.
bool IsLookupFailure(DWORD error) {
    return error == ERROR_RESOURCE_DATA_NOT_FOUND || error == ERROR_RESOURCE_TYPE_NOT_FOUND ||
           error == ERROR_RESOURCE_NAME_NOT_FOUND || error == ERROR_RESOURCE_LANG_NOT_FOUND;
}

PeContents SmallContents();

// Loads a damaged copy of SmallContents(): it is refused as a whole, or each
// lookup either fails as a lookup fails or finds bytes inside the file. Where
// the damage cannot have changed what is found (`exact`), found bytes and the
// version are the true ones.
void ExpectRefusedOrSound(const std::string& path, bool exact) {
    Loaded module(path);
    if (module.Get() == nullptr) {
        EXPECT_EQ(module.Error(), DWORD(ERROR_BAD_EXE_FORMAT));
        return;
    }
    struct Lookup {
        LPCSTR name;
        std::string bytes;
    };
    const Lookup lookups[] = {{"Intro", Pattern(40)}, {"Loop", Pattern(64)}, {"#7", "seven bytes"}};
    for (const Lookup& lookup : lookups) {
        SetLastError(0);
        const auto bytes = ResourceBytes(module.Get(), lookup.name, "WAVE");
        if (!bytes) {
            EXPECT_TRUE(IsLookupFailure(GetLastError())) << lookup.name << ": " << GetLastError();
        } else if (exact) {
            EXPECT_EQ(*bytes, lookup.bytes) << lookup.name;
        }
    }
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    if (size == 0) {
        EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
        return;
    }
    std::vector<char> block(size);
    LPVOID value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
    if (!VerQueryValueA(block.data(), "\\", &value, &length)) return;
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    ASSERT_GE(static_cast<char*>(value), block.data());
    ASSERT_LE(static_cast<char*>(value) + length, block.data() + size);
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, value, sizeof fixed);
    if (exact) {
        EXPECT_EQ(fixed.dwFileVersionLS, kVersion.Ls());
    }
}

// Small enough to damage at every byte: WAVE "Intro", "Loop" and #7, and the version.
PeContents SmallContents() {
    PeContents contents;
    contents.resources = {
        {std::string("WAVE"), std::string("Intro"), Pattern(40)},
        {std::string("WAVE"), std::string("Loop"), Pattern(64)},
        {std::string("WAVE"), uint16_t(7), "seven bytes"},
    };
    contents.fileVersion = kVersion;
    return contents;
}

TEST(ResourcesLayer, EveryTruncationIsRefusedOrReadsTrueBytes) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "the system maps short files as it likes";
    const std::string image = BuildPe(SmallContents());
    TempDir dir;
    const std::string path = dir.Path("cut.dll");
    for (size_t length = 1; length < image.size(); ++length) {
        SCOPED_TRACE(length);
        WriteFile(path, image.substr(0, length));
        ExpectRefusedOrSound(path, true);
    }
}

uint32_t Read32(const std::string& image, size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(image[at + i]);
    return value;
}

void Write32(std::string& image, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) image[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

TEST(ResourcesLayer, DamagedFieldsAreRefusedOrFindNothing) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "the system's loader decides for itself";
    // One resource, WAVE "INTRO", so that every field sits at a known place:
    // headers from kPeHeaderOffset (optional header at +24, data directories
    // at +120, the section header at +248), the root directory at 0x200, the
    // name directory at 0x218, the language directory at 0x230, the data
    // entry at 0x248 and the strings at 0x258. `was` pins that layout down.
    PeContents contents;
    contents.resources = {{std::string("WAVE"), std::string("Intro"), Pattern(16)}};
    const std::string image = BuildPe(contents);
    constexpr uint32_t pe = quor::test::kPeHeaderOffset;
    struct Case {
        const char* what;
        uint32_t at;
        uint32_t was;
        uint32_t value;
        DWORD loadError;  // 0: loads
        DWORD findError;  // 0: finds the true bytes
    };
    const Case cases[] = {
        {"e_lfanew past the end", 0x3C, pe, 0xFFFFFFF0, ERROR_BAD_EXE_FORMAT, 0},
        {"e_lfanew at the last bytes", 0x3C, pe, uint32_t(image.size() - 2), ERROR_BAD_EXE_FORMAT, 0},
        {"signature", pe, 0x4550, 0x4551, ERROR_BAD_EXE_FORMAT, 0},
        {"sections past the end", pe + 4, 0x0001014C, 0xFFFF014C, ERROR_BAD_EXE_FORMAT, 0},
        {"optional header past the end", pe + 20, 0x210200E0, 0x2102FFFF, ERROR_BAD_EXE_FORMAT, 0},
        {"optional header too short", pe + 20, 0x210200E0, 0x21020040, ERROR_BAD_EXE_FORMAT, 0},
        {"optional header magic", pe + 24, 0x0E010B, 0x0E0107, ERROR_BAD_EXE_FORMAT, 0},
        {"two data directories", pe + 116, 16, 2, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"resource RVA in no section", pe + 136, 0x1000, 0x5000, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"resource RVA at the top", pe + 136, 0x1000, 0xFFFFFFFF, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"section data past the end", pe + 268, 0x200, 0xFFFFFF00, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"section data larger than the file", pe + 264, 0x200, 0xFFFFFFFF, 0, 0},
        {"root entries past the end", 0x20C, 0x1, 0xFFFF, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"type name past the end", 0x210, 0x80000058, 0xFFFFFFFF, 0, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"type name length past the end", 0x258, 0x00570004, 0x0057FFFF, 0, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"type is a leaf", 0x214, 0x80000018, 0x48, 0, ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"type directory is the root", 0x214, 0x80000018, 0x80000000, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"type directory past the end", 0x214, 0x80000018, 0xFFFFFFFF, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"name entries past the end", 0x224, 0x1, 0xFFFF0001, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
        {"name directory is itself", 0x22C, 0x80000030, 0x80000018, 0, ERROR_RESOURCE_LANG_NOT_FOUND},
        {"no languages", 0x23C, 0x10000, 0, 0, ERROR_RESOURCE_LANG_NOT_FOUND},
        {"language is a directory", 0x244, 0x48, 0x80000000, 0, ERROR_RESOURCE_LANG_NOT_FOUND},
        {"data entry past the end", 0x244, 0x48, 0x7FFFFFF0, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"data RVA past the section", 0x248, 0x1070, 0xFFFFFFF0, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"data RVA zero", 0x248, 0x1070, 0, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"data size past the end", 0x24C, 16, 0xFFFFFFFF, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
        {"data size past the section", 0x24C, 16, 0x200 - 0x70 + 1, 0, ERROR_RESOURCE_DATA_NOT_FOUND},
    };
    TempDir dir;
    const std::string path = dir.Path("damaged.dll");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Read32(image, c.at), c.was);
        std::string damaged = image;
        Write32(damaged, c.at, c.value);
        WriteFile(path, damaged);
        Loaded module(path);
        if (c.loadError != 0) {
            EXPECT_EQ(module.Get(), nullptr);
            EXPECT_EQ(module.Error(), c.loadError);
            continue;
        }
        ASSERT_NE(module.Get(), nullptr) << module.Error();
        if (c.findError == 0) {
            EXPECT_EQ(ResourceBytes(module.Get(), "Intro", "WAVE"), Pattern(16));
        } else {
            EXPECT_EQ(FindError(module.Get(), "Intro", "WAVE"), c.findError);
        }
    }
}

TEST(ResourcesLayer, DirectoriesAreScannedNotBisected) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "the system may bisect";
    // Two named types, swapped out of order: both are still found.
    PeContents contents;
    contents.resources = {{std::string("AAAA"), uint16_t(1), "a"}, {std::string("ZZZZ"), uint16_t(1), "z"}};
    std::string image = BuildPe(contents);
    const uint32_t first = 0x200 + 16;
    for (uint32_t i = 0; i < 8; ++i) std::swap(image[first + i], image[first + 8 + i]);
    TempDir dir;
    WriteFile(dir.Path("unsorted.dll"), image);
    Loaded module(dir.Path("unsorted.dll"));
    ASSERT_NE(module.Get(), nullptr);
    EXPECT_EQ(ResourceBytes(module.Get(), "#1", "AAAA"), "a");
    EXPECT_EQ(ResourceBytes(module.Get(), "#1", "ZZZZ"), "z");
}

TEST(ResourcesLayer, TheFirstLanguageIsTaken) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "the system prefers the user's language";
    PeContents contents;
    contents.resources = {{std::string("WAVE"), std::string("Intro"), "english", 0x0409},
                          {std::string("WAVE"), std::string("Intro"), "deutsch", 0x0407}};
    TempDir dir;
    WritePe(dir.Path("languages.dll"), contents);
    Loaded module(dir.Path("languages.dll"));
    ASSERT_NE(module.Get(), nullptr);
    EXPECT_EQ(ResourceBytes(module.Get(), "Intro", "WAVE"), "deutsch");  // 0x0407 sorts first
}

TEST(VersionInfoLayer, ShortBufferIsRefusedRatherThanCut) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "the system cuts the block";
    TempDir dir;
    const std::string path = dir.Path("versioned.dll");
    WritePe(path, SampleContents());
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size, 'x');
    SetLastError(0);
    EXPECT_FALSE(GetFileVersionInfoA(path.c_str(), 0, size - 1, block.data()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(block, std::vector<char>(size, 'x'));
    EXPECT_FALSE(GetFileVersionInfoA(path.c_str(), 0, size, nullptr));
}

TEST(VersionInfoLayer, DamagedBlocksAreRefused) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "the system reads what it is given";
    const std::string good = quor::test::VersionBlock(kVersion);
    auto with16 = [&](size_t at, uint16_t value) {
        std::string block = good;
        block[at] = static_cast<char>(value & 0xFF);
        block[at + 1] = static_cast<char>(value >> 8);
        return block;
    };
    std::string badSignature = good;
    badSignature[40] ^= 1;
    struct Case {
        const char* what;
        std::string block;
        bool sized;  // GetFileVersionInfoSizeA accepts it
    };
    const Case cases[] = {
        {"cut short of its length", good.substr(0, 60), false},
        {"length past the resource", with16(0, 0xFFFF), false},
        {"length short of the key", with16(0, 20), false},
        {"four bytes", good.substr(0, 4), false},
        {"wrong key", with16(8, 'X'), false},
        {"no fixed part", with16(2, 0), true},
        {"fixed part longer than the block", with16(0, 80), true},
        {"wrong signature", badSignature, true},
    };
    TempDir dir;
    const std::string path = dir.Path("versioned.dll");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PeContents contents;
        contents.resources = {{uint16_t(16), uint16_t(1), c.block}};
        WritePe(path, contents);
        SetLastError(0);
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
        if (!c.sized) {
            EXPECT_EQ(size, 0u);
            EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
            continue;
        }
        ASSERT_EQ(size, c.block.size());
        std::vector<char> block(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, block.data()));
        LPVOID value = nullptr;
        UINT length = 0;
        EXPECT_FALSE(VerQueryValueA(block.data(), "\\", &value, &length));
    }
}

TEST(ResourcesLayer, EveryFlippedByteIsReadInBounds) {
    if (!quor::platform::kPosixLayer) GTEST_SKIP() << "the system's loader decides for itself";
    const std::string image = BuildPe(SmallContents());
    TempDir dir;
    const std::string path = dir.Path("flipped.dll");
    for (size_t at = 0; at < image.size(); ++at) {
        SCOPED_TRACE(at);
        std::string flipped = image;
        flipped[at] = static_cast<char>(~flipped[at]);
        WriteFile(path, flipped);
        ExpectRefusedOrSound(path, false);
    }
}

}  // namespace
