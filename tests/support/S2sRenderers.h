#pragma once

namespace solen::test {

// The server-to-server renderers register under their class names when their objects are part of
// the program. Test programs and benchmarks link the SDK as a static library, which leaves out
// objects nothing refers to; one that loads server-to-server line items through the auction calls
// this, so that the renderers are linked and found. Does nothing else.
void linkS2sRenderers();

}  // namespace solen::test
