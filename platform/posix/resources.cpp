// PE files opened as data files, read whole into memory, and their resource
// directory. Every offset, RVA and size that the file gives is checked against
// the bytes actually read before anything is read through it, with 64-bit
// arithmetic so that no sum wraps. The directory is walked exactly three
// levels deep (type, name, language) without recursion, so a directory that
// points back at itself costs one more scan, never a loop.
//
// Modules live behind a handle table, as threads do: handle values grow
// monotonically and are never handed out twice. A resource handle is a value
// that its module recorded when FindResourceA found the resource, so a handle
// from another module, a freed module or nowhere is refused without being
// dereferenced.
#include "platform/posix/resources.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <unordered_map>

#include "platform/alloc.h"
#include "platform/posix/errors.h"
#include "platform/posix/handle_table.h"
#include "platform/posix/kernel.h"
#include "platform/posix/paths.h"

namespace {

constexpr uint32_t kSubdirectory = 0x80000000u;  // high bit of an entry's name or data field
constexpr uint16_t kVersionType = 16;            // RT_VERSION
constexpr uint16_t kVersionId = 1;
constexpr uint64_t kMaxFileSize = 0xFFFFFFFFull;  // a PE's offsets and sizes are 32-bit
constexpr uint32_t kFixedInfoSize = sizeof(VS_FIXEDFILEINFO);
constexpr uint32_t kFixedInfoAt = 40;  // after wLength, wValueLength, wType, the key and padding
constexpr char kVersionKey[] = "VS_VERSION_INFO";

// Bytes that are only ever read through bounds checks.
class View {
public:
    View() = default;
    View(const unsigned char* data, uint64_t size) : m_data(data), m_size(size) {}

    bool Has(uint64_t offset, uint64_t count) const { return offset <= m_size && count <= m_size - offset; }
    bool U16(uint64_t offset, uint32_t& out) const {
        if (!Has(offset, 2)) return false;
        out = uint32_t(m_data[offset]) | uint32_t(m_data[offset + 1]) << 8;
        return true;
    }
    bool U32(uint64_t offset, uint32_t& out) const {
        uint32_t low = 0, high = 0;
        if (!U16(offset, low) || !U16(offset + 2, high)) return false;
        out = low | high << 16;
        return true;
    }
    const unsigned char* Data() const { return m_data; }
    uint64_t Size() const { return m_size; }

private:
    const unsigned char* m_data = nullptr;
    uint64_t m_size = 0;
};

// A file read whole, with the places of its section table and resource
// directory, all checked to lie inside the bytes read.
struct Image {
    std::unique_ptr<char[]> bytes;
    uint64_t size = 0;
    uint64_t sectionTable = 0;
    uint32_t sectionCount = 0;
    bool hasResources = false;
    uint64_t resourceAt = 0;    // file offset of the root directory
    uint64_t resourceSize = 0;  // bytes of its section from there on, within the file

    View File() const { return View(reinterpret_cast<const unsigned char*>(bytes.get()), size); }
    View Resources() const { return hasResources ? View(File().Data() + resourceAt, resourceSize) : View(); }
};

// Where `count` bytes at `rva` lie in the file: inside the raw data of the
// first section that holds `rva`, and inside the file, whose end may come
// before the end that the raw size claims. `available` is how many bytes of
// that section the file holds from `rva` on.
bool RvaToFile(const Image& image, uint32_t rva, uint64_t count, uint64_t& offset, uint64_t* available = nullptr) {
    const View file = image.File();
    for (uint32_t i = 0; i < image.sectionCount; ++i) {
        const uint64_t header = image.sectionTable + 40ull * i;
        uint32_t address = 0, rawSize = 0, rawAt = 0;
        if (!file.U32(header + 12, address) || !file.U32(header + 16, rawSize) || !file.U32(header + 20, rawAt))
            return false;
        if (rva < address) continue;
        const uint64_t delta = rva - address;
        // An empty resource may sit right at the end of the section's data.
        if (delta > rawSize || (delta == rawSize && count != 0)) continue;
        const uint64_t at = uint64_t(rawAt) + delta;
        if (!file.Has(at, 0)) return false;
        const uint64_t inSection = rawSize - delta;
        const uint64_t inFile = file.Size() - at;
        const uint64_t extent = inSection < inFile ? inSection : inFile;
        if (count > extent) return false;
        offset = at;
        if (available != nullptr) *available = extent;
        return true;
    }
    return false;
}

// Checks the headers and finds the resource directory. Anything that does not
// read as a PE is ERROR_BAD_EXE_FORMAT; a resource directory that no section
// holds is treated as absent, as a loader would find nothing there either.
DWORD ParseHeaders(Image& image) {
    const View file = image.File();
    uint32_t peAt = 0, signature = 0, sectionCount = 0, optionalSize = 0, magic = 0;
    if (file.Size() < 64 || file.Data()[0] != 'M' || file.Data()[1] != 'Z') return ERROR_BAD_EXE_FORMAT;
    if (!file.U32(0x3C, peAt) || !file.U32(peAt, signature) || signature != 0x00004550) return ERROR_BAD_EXE_FORMAT;
    const uint64_t coff = uint64_t(peAt) + 4;
    if (!file.U16(coff + 2, sectionCount) || !file.U16(coff + 16, optionalSize)) return ERROR_BAD_EXE_FORMAT;
    const uint64_t optional = coff + 20;
    if (!file.Has(optional, optionalSize) || !file.U16(optional, magic)) return ERROR_BAD_EXE_FORMAT;
    uint32_t countAt = 0;  // NumberOfRvaAndSizes; the data directories follow it
    if (magic == 0x10B)
        countAt = 92;
    else if (magic == 0x20B)
        countAt = 108;
    else
        return ERROR_BAD_EXE_FORMAT;
    const uint32_t directoriesAt = countAt + 4;
    if (optionalSize < directoriesAt) return ERROR_BAD_EXE_FORMAT;
    image.sectionTable = optional + optionalSize;
    image.sectionCount = sectionCount;
    if (!file.Has(image.sectionTable, 40ull * sectionCount)) return ERROR_BAD_EXE_FORMAT;

    uint32_t directoryCount = 0, resourceRva = 0;
    const uint64_t resourceEntry = directoriesAt + 2 * 8;
    if (!file.U32(optional + countAt, directoryCount) || directoryCount <= 2 || resourceEntry + 8 > optionalSize)
        return ERROR_SUCCESS;
    file.U32(optional + resourceEntry, resourceRva);
    if (resourceRva == 0) return ERROR_SUCCESS;
    image.hasResources = RvaToFile(image, resourceRva, 0, image.resourceAt, &image.resourceSize);
    return ERROR_SUCCESS;
}

// Reads the file whole. Only regular files are read: a device or a pipe
// could feed bytes without end.
DWORD ReadImage(const char* path, Image& image) {
    if (path == nullptr || *path == '\0') return ERROR_INVALID_PARAMETER;
    std::string native;
    if (!quor::posix::NativePath(path, native)) return ERROR_NOT_ENOUGH_MEMORY;
    const int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return quor::posix::ErrorFromErrno(errno);
    struct FdCloser {
        int fd;
        ~FdCloser() { close(fd); }
    } closer{fd};
    struct stat status;
    if (fstat(fd, &status) != 0) return quor::posix::ErrorFromErrno(errno);
    if (!S_ISREG(status.st_mode)) return ERROR_ACCESS_DENIED;
    if (status.st_size == 0) return ERROR_FILE_INVALID;
    if (uint64_t(status.st_size) > kMaxFileSize) return ERROR_BAD_EXE_FORMAT;
    const size_t size = static_cast<size_t>(status.st_size);
    image.bytes.reset(quor::NewArray<char>(size));
    if (!image.bytes) return ERROR_NOT_ENOUGH_MEMORY;
    size_t got = 0;
    while (got < size) {
        const ssize_t n = read(fd, image.bytes.get() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return quor::posix::ErrorFromErrno(errno);
        if (n == 0) break;  // the file shrank while being read: what was read is the file
        got += static_cast<size_t>(n);
    }
    image.size = got;
    return ParseHeaders(image);
}

// A resource type or name as FindResourceA takes it.
struct Key {
    bool byId = true;
    uint32_t id = 0;
    const unsigned char* name = nullptr;
    size_t length = 0;
};

// "#id" as Windows reads it: leading blanks and a sign are skipped, decimal
// digits are read up to the first other character (none reads as 0) in 32-bit
// arithmetic, and a value beyond 16 bits is refused.
bool ParseHashId(const unsigned char* text, uint32_t& id) {
    while (*text != 0 && *text <= ' ') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + (*text - '0');
    if (negative) value = 0u - value;
    if (value > 0xFFFF) return false;
    id = value;
    return true;
}

// False (ERROR_INVALID_PARAMETER) for an "#id" beyond 16 bits.
bool MakeKey(LPCSTR text, Key& key) {
    if (IS_INTRESOURCE(text)) {
        key.id = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(text));
        return true;
    }
    const auto* chars = reinterpret_cast<const unsigned char*>(text);
    if (chars[0] == '#') return ParseHashId(chars + 1, key.id);
    key.byId = false;
    key.name = chars;
    key.length = std::strlen(text);
    return true;
}

unsigned Upper(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

// Whether the directory string at `offset` is `key.name` upper-cased. Names in
// the directory are upper-case, as the resource compiler writes them; bytes
// beyond ASCII match the code unit of the same value.
bool NameMatches(const View& rsrc, uint64_t offset, const Key& key) {
    uint32_t length = 0;
    if (!rsrc.U16(offset, length) || length != key.length || !rsrc.Has(offset + 2, 2ull * length)) return false;
    for (uint32_t i = 0; i < length; ++i) {
        uint32_t unit = 0;
        rsrc.U16(offset + 2 + 2ull * i, unit);
        if (unit != Upper(key.name[i])) return false;
    }
    return true;
}

// The entries of the directory at `offset`, all of them inside the view.
bool ReadDirectory(const View& rsrc, uint64_t offset, uint32_t& named, uint32_t& ids) {
    return rsrc.U16(offset + 12, named) && rsrc.U16(offset + 14, ids) &&
           rsrc.Has(offset + 16, (uint64_t(named) + ids) * 8);
}

// The subdirectory that `key` names in the directory at `offset`. Named
// entries come first, then id entries; both are scanned in full rather than
// bisected, so an unsorted directory still finds what it holds.
bool FindSubdirectory(const View& rsrc, uint64_t offset, const Key& key, uint64_t& child) {
    uint32_t named = 0, ids = 0;
    if (!ReadDirectory(rsrc, offset, named, ids)) return false;
    const uint32_t first = key.byId ? named : 0;
    const uint32_t last = key.byId ? named + ids : named;
    for (uint32_t i = first; i < last; ++i) {
        const uint64_t entry = offset + 16 + 8ull * i;
        uint32_t name = 0, data = 0;
        rsrc.U32(entry, name);
        rsrc.U32(entry + 4, data);
        const bool match =
            key.byId ? name == key.id : (name & kSubdirectory) != 0 && NameMatches(rsrc, name & ~kSubdirectory, key);
        if (!match) continue;
        if ((data & kSubdirectory) == 0) return false;  // a leaf where a directory belongs
        child = data & ~kSubdirectory;
        return true;
    }
    return false;
}

// A resource's bytes in the file, and its data entry, which identifies it.
struct Found {
    uint64_t entry = 0;
    uint64_t offset = 0;
    uint32_t size = 0;
};

DWORD FindData(const Image& image, const Key& name, const Key& type, Found& found) {
    if (!image.hasResources) return ERROR_RESOURCE_DATA_NOT_FOUND;
    const View rsrc = image.Resources();
    uint32_t named = 0, ids = 0;
    if (!ReadDirectory(rsrc, 0, named, ids)) return ERROR_RESOURCE_DATA_NOT_FOUND;
    uint64_t names = 0, languages = 0;
    if (!FindSubdirectory(rsrc, 0, type, names)) return ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (!FindSubdirectory(rsrc, names, name, languages)) return ERROR_RESOURCE_NAME_NOT_FOUND;
    uint32_t data = 0;
    if (!ReadDirectory(rsrc, languages, named, ids) || named + ids == 0 || !rsrc.U32(languages + 16 + 4, data) ||
        (data & kSubdirectory) != 0)
        return ERROR_RESOURCE_LANG_NOT_FOUND;
    uint32_t rva = 0, size = 0;
    if (!rsrc.U32(data, rva) || !rsrc.U32(uint64_t(data) + 4, size)) return ERROR_RESOURCE_DATA_NOT_FOUND;
    if (!RvaToFile(image, rva, size, found.offset)) return ERROR_RESOURCE_DATA_NOT_FOUND;
    found.entry = data;
    found.size = size;
    return ERROR_SUCCESS;
}

struct Module {
    Image image;
    std::mutex mutex;
    std::map<uint64_t, uintptr_t> handleOfEntry;         // guarded by mutex
    std::unordered_map<uintptr_t, Found> foundByHandle;  // guarded by mutex
};

using ModulePtr = std::shared_ptr<Module>;

// Module handle values are odd, as Windows marks the handles of modules
// loaded as data files.
using ModuleTable = quor::posix::HandleTable<Module>;

ModuleTable& Table() {
    static ModuleTable* table = new ModuleTable(0x10001);  // never destroyed: a host may free modules during exit
    return *table;
}

std::atomic<uintptr_t> g_lastResource{0x20000};

// The handle that `module` gives the resource: the same one every time the
// same resource is found, as on Windows. Null when memory runs out.
HRSRC RecordResource(Module& module, const Found& found) {
    std::lock_guard<std::mutex> guard(module.mutex);
    auto known = module.handleOfEntry.end();
    try {
        bool fresh = false;
        std::tie(known, fresh) = module.handleOfEntry.try_emplace(found.entry, 0);
        if (!fresh) return reinterpret_cast<HRSRC>(known->second);
        const uintptr_t handle = g_lastResource.fetch_add(8) + 8;
        module.foundByHandle.emplace(handle, found);
        known->second = handle;
        return reinterpret_cast<HRSRC>(handle);
    } catch (...) {
        if (known != module.handleOfEntry.end() && known->second == 0) module.handleOfEntry.erase(known);
        return nullptr;
    }
}

// The resource that `handle` names in `module`, if the module gave it out.
bool LookUpResource(HMODULE handle, HRSRC resource, ModulePtr& module, Found& found) {
    module = Table().Find(handle);
    if (!module) return false;
    std::lock_guard<std::mutex> guard(module->mutex);
    auto it = module->foundByHandle.find(reinterpret_cast<uintptr_t>(resource));
    if (it == module->foundByHandle.end()) return false;
    found = it->second;
    return true;
}

// Whether `block` is a version block: a length that its bytes hold, and the
// "VS_VERSION_INFO" key.
bool IsVersionBlock(const View& block) {
    uint32_t length = 0;
    if (!block.U16(0, length) || length < kFixedInfoAt || length > block.Size()) return false;
    for (size_t i = 0; i < sizeof kVersionKey; ++i) {
        uint32_t unit = 0;
        block.U16(6 + 2 * i, unit);
        if (unit != static_cast<unsigned char>(kVersionKey[i])) return false;
    }
    return true;
}

// The version resource of the file at `path`, with its bytes kept in `image`.
DWORD FindVersion(LPCSTR path, Image& image, Found& found) {
    DWORD error = ReadImage(path, image);
    // A file that is not a PE holds no version resource.
    if (error == ERROR_BAD_EXE_FORMAT || error == ERROR_FILE_INVALID) return ERROR_RESOURCE_DATA_NOT_FOUND;
    if (error == ERROR_FILE_NOT_FOUND) {
        std::string native;
        // As Windows opens a file by name: a missing directory is a missing path.
        if (quor::posix::NativePath(path, native)) error = quor::posix::MissingFileError(native);
    }
    if (error != ERROR_SUCCESS) return error;
    Key name, type;
    name.id = kVersionId;
    type.id = kVersionType;
    // Any failure to find a usable version block reads as no version resource.
    if (FindData(image, name, type, found) != ERROR_SUCCESS ||
        !IsVersionBlock(View(image.File().Data() + found.offset, found.size)))
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    return ERROR_SUCCESS;
}

// Only the root is answered; it may be written with any number of '\'.
bool IsRootBlock(LPCSTR subBlock) {
    while (*subBlock == '\\') ++subBlock;
    return *subBlock == '\0';
}

}  // namespace

extern "C" {

HMODULE WINAPI LoadLibraryExA(LPCSTR path, HANDLE file, DWORD flags) {
    if (file != nullptr || path == nullptr || *path == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const DWORD known = LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE | LOAD_LIBRARY_AS_IMAGE_RESOURCE;
    if ((flags & ~known) != 0 || (flags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE)) == 0) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    ModulePtr module;
    try {
        module = std::make_shared<Module>();
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    const DWORD error = ReadImage(path, module->image);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    try {
        return static_cast<HMODULE>(Table().Insert(std::move(module)));
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    if (Table().Erase(module)) return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

HRSRC WINAPI FindResourceA(HMODULE handle, LPCSTR name, LPCSTR type) {
    Key nameKey, typeKey;
    if (!MakeKey(name, nameKey) || !MakeKey(type, typeKey)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (handle == nullptr) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    ModulePtr module = Table().Find(handle);
    if (!module) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    Found found;
    const DWORD error = FindData(module->image, nameKey, typeKey, found);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return nullptr;
    }
    HRSRC resource = RecordResource(*module, found);
    if (resource == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return resource;
}

DWORD WINAPI SizeofResource(HMODULE handle, HRSRC resource) {
    ModulePtr module;
    Found found;
    if (!LookUpResource(handle, resource, module, found)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return found.size;
}

HGLOBAL WINAPI LoadResource(HMODULE handle, HRSRC resource) {
    ModulePtr module;
    Found found;
    if (!LookUpResource(handle, resource, module, found)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // The bytes stay where the module holds them until FreeLibrary.
    return module->image.bytes.get() + found.offset;
}

LPVOID WINAPI LockResource(HGLOBAL data) { return data; }

DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR path, LPDWORD handle) {
    if (handle != nullptr) *handle = 0;
    Image image;
    Found found;
    const DWORD error = FindVersion(path, image, found);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return 0;
    }
    return found.size;
}

BOOL WINAPI GetFileVersionInfoA(LPCSTR path, DWORD, DWORD size, LPVOID data) {
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Image image;
    Found found;
    const DWORD error = FindVersion(path, image, found);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    // A cut block would let VerQueryValueA read past the caller's buffer.
    if (size < found.size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(data, image.bytes.get() + found.offset, found.size);
    return TRUE;
}

BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
    if (block == nullptr || subBlock == nullptr || buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The block comes from GetFileVersionInfoA, which hands out only whole
    // blocks whose length fits them: every read stays within that length.
    const auto* bytes = static_cast<const unsigned char*>(block);
    const uint32_t blockLength = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8;
    const View view(bytes, blockLength);
    uint32_t valueLength = 0, signature = 0;
    if (!IsRootBlock(subBlock) || !IsVersionBlock(view) || !view.U16(2, valueLength) || valueLength < kFixedInfoSize ||
        !view.Has(kFixedInfoAt, kFixedInfoSize) || !view.U32(kFixedInfoAt, signature) || signature != 0xFEEF04BD) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    *buffer = const_cast<unsigned char*>(bytes + kFixedInfoAt);
    if (length != nullptr) *length = kFixedInfoSize;
    return TRUE;
}
}
