#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace solen::platform {

// The operating system's version. On Linux the default is the numeric part of the kernel
// release ("6.1.0-18-amd64" -> "6.1.0"); tests and hosts can supply another.
class OperatingSystem {
public:
    static std::string version();
    // Compares the version numerically, part by part (missing parts count as 0).
    static bool isAtLeast(int major, int minor = 0, int patch = 0);
    static void setVersionProvider(std::function<std::string()> provider);

    // The dotted numeric prefix of a release text ("14.1-beta" -> "14.1", "abc" -> "").
    static std::string numericPrefix(std::string_view text);
};

}  // namespace solen::platform
