#include "support/ScopedUserDefaults.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace solen::test {

ScopedUserDefaults::ScopedUserDefaults() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/solen-defaults-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    directory_ = pattern;
    previous_ = platform::UserDefaults::setStandard(std::make_shared<platform::UserDefaults>(path()));
}

ScopedUserDefaults::~ScopedUserDefaults() {
    // Dropping ours saves it into the folder, which goes right after.
    platform::UserDefaults::setStandard(std::move(previous_));
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
}

}  // namespace solen::test
