// The library's error codes, reported through the calling thread's last-error
// value. Bit 29 marks them as application-defined, apart from system codes.
#pragma once

#include "platform/host.h"

constexpr DWORD ERR_STREAM_SEEK = 0x20000080;          // a file-stream seek was refused or failed
constexpr DWORD ERR_RIFF_HEADER_READ = 0x20000081;     // a level header could not be read whole
constexpr DWORD ERR_STREAM_NOT_READY = 0x20000083;     // stream not open, or not writable for writing
constexpr DWORD ERR_STREAM_ALREADY_OPEN = 0x20000084;  // a download was asked for on an open stream
constexpr DWORD ERR_COPY_OPEN_FAILED = 0x200000BF;     // a file-stream copy could not open the file
constexpr DWORD ERR_RIFF_CHUNK_READ = 0x20000100;      // a chunk could not be reached or read
constexpr DWORD ERR_RIFF_OUT_OF_BOUNDS = 0x20000101;   // navigation would leave the level
constexpr DWORD ERR_RIFF_NOT_RIFF = 0x20000102;        // the stream has no RIFF header
constexpr DWORD ERR_RIFF_TOO_DEEP = 0x20000103;        // the nesting limit is reached
constexpr DWORD ERR_INTERNET_NOT_OPEN = 0x20001000;    // the internet session is not open
constexpr DWORD ERR_NO_DOWNLOAD = 0x20001001;          // no download is attached
