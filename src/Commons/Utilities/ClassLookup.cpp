#include "Commons/Utilities/ClassLookup.h"

#include "Commons/Utilities/Logger.h"

namespace solen {

platform::ClassRegistry::ClassPtr classFromString(std::string_view name) {
    auto cls = platform::ClassRegistry::shared().lookup(name);
    if (!cls) {
        Logger::error(std::string(name) + " Class Not found");
    }
    return cls;
}

}  // namespace solen
