#pragma once

namespace simdjson {
class implementation;
}

namespace solen::platform {

// simdjson's kernels for this processor, in an object that is never destroyed.
//
// simdjson keeps the kernels it chooses in objects of static storage inside its own library, and
// exit() destroys them while the SDK's threads, which are never stopped, may still parse or check
// text: a call then reaches a destroyed object and the process aborts. The first call makes a
// lasting object of the kind simdjson chose (it still honours SIMDJSON_FORCE_IMPLEMENTATION) and
// makes it simdjson's active implementation, so every parser allocated afterwards uses it too.
// Thread-safe; after the first call, one check of an initialised static.
const simdjson::implementation& simdjsonKernels();

}  // namespace solen::platform
