#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace solen::scripted {

// The inline scripts of an HTML text, in document order. A script element with a `src` is not
// fetched and contributes nothing; one whose `type` is not JavaScript is skipped; scripts inside
// comments do not count; an unclosed script runs to the end of the text.
std::vector<std::string> inlineScripts(std::string_view html);

}  // namespace solen::scripted
