#pragma once

// Marks the classes and functions that libsolen.so exports. The library is built with hidden
// visibility, so everything without this mark stays inside it; an application or an adapter
// module links only against what carries it.
#if defined(__GNUC__) || defined(__clang__)
#define SOLEN_EXPORT __attribute__((visibility("default")))
#else
#define SOLEN_EXPORT
#endif
