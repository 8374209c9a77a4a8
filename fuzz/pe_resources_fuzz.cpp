// Any bytes as a PE data file: loading, resource lookups by string, "#id" and
// integer keys, reading every byte of what is found, and the version queries
// must neither crash, hang nor read out of bounds. The input goes through a
// file because the calls take paths.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32.h"

namespace {

std::string g_path;
volatile unsigned g_sink;  // where read bytes go, so that the reads stay

void RemoveInputFile() {
    if (!g_path.empty()) unlink(g_path.c_str());
}

bool WriteInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(g_path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

// Reads every byte of a found resource, so that a bad size or offset shows.
void TouchResource(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC resource = FindResourceA(module, name, type);
    if (resource == nullptr) return;
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const auto* bytes = static_cast<const volatile unsigned char*>(LockResource(loaded));
    if (bytes == nullptr) return;
    unsigned sum = 0;
    for (DWORD i = 0; i < size; ++i) sum += bytes[i];
    g_sink = sum;
}

void QueryVersion() {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(g_path.c_str(), &handle);
    if (size == 0) return;
    auto* block = static_cast<unsigned char*>(std::malloc(size));
    if (block == nullptr) return;
    if (GetFileVersionInfoA(g_path.c_str(), handle, size, block)) {
        LPVOID value = nullptr;
        UINT length = 0;
        if (VerQueryValueA(block, "\\", &value, &length)) {
            const auto* fixed = static_cast<const volatile unsigned char*>(value);
            unsigned sum = 0;
            for (UINT i = 0; i < length; ++i) sum += fixed[i];
            g_sink = sum;
        }
        VerQueryValueA(block, "\\StringFileInfo\\040904B0\\FileVersion", &value, &length);
    }
    std::free(block);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/pe-fuzz-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        std::perror("mkstemp");
        std::abort();
    }
    close(fd);
    g_path = pattern;
    std::atexit(RemoveInputFile);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!WriteInput(data, size)) return 0;
    HMODULE module = LoadLibraryExA(g_path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module != nullptr) {
        const LPCSTR types[] = {"WAVE", "wave", "#10", MAKEINTRESOURCEA(10), RT_VERSION, "AAAA"};
        const LPCSTR names[] = {"Intro", "LOOP", "#7", MAKEINTRESOURCEA(7), MAKEINTRESOURCEA(1), "Data", "#65543"};
        for (LPCSTR type : types) {
            for (LPCSTR name : names) TouchResource(module, name, type);
        }
        FreeLibrary(module);
    }
    QueryVersion();
    return 0;
}
