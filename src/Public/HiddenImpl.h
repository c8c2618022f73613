#pragma once

// Marks the definition of a public class's nested `Impl`. A class nested in an exported class is
// exported with it (its vtable, its type information, the lambdas in its members), although no
// application or adapter may name it; this keeps it inside libsolen.so.
#if defined(__GNUC__) || defined(__clang__)
#define SOLEN_HIDDEN_IMPL __attribute__((visibility("hidden")))
#else
#define SOLEN_HIDDEN_IMPL
#endif
