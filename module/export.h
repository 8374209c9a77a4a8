// QUOR_API marks what the library exports; nothing else leaves it.
// Building the library defines QUOR_BUILDING; code linked with the library's
// objects directly (its own tests) defines QUOR_STATIC.
#pragma once

#if defined(QUOR_STATIC)
#define QUOR_API
#elif defined(_WIN32)
#if defined(QUOR_BUILDING)
#define QUOR_API __declspec(dllexport)
#else
#define QUOR_API __declspec(dllimport)
#endif
#else
#define QUOR_API __attribute__((visibility("default")))
#endif
