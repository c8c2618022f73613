// Linked into every test program: the program keeps the SDK's stored data in a new folder of its
// own, below the data folder it was given (or the temporary folder). Test programs run side by
// side, one per test case; were they to share the store, one would read another's stored
// configuration, which starts networks and changes settings under a test that expects none.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <stdlib.h>

namespace {

const bool isolated = [] {
    const char* given = std::getenv("XDG_DATA_HOME");
    std::error_code error;
    const std::string parent = given && *given ? std::string(given) : std::filesystem::temp_directory_path(error).string();
    std::string folder = parent + "/solen-test-XXXXXX";
    return !parent.empty() && ::mkdtemp(folder.data()) != nullptr && ::setenv("XDG_DATA_HOME", folder.c_str(), 1) == 0;
}();

}  // namespace
