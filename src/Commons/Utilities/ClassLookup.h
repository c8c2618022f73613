#pragma once

#include "Platform/Foundation/ClassRegistry.h"

#include <string_view>

namespace solen {

// Finds a class by its exact, fully qualified name ("Module.Class"; no prefix is added). When no
// such class is registered, logs the name followed by " Class Not found" and returns null.
platform::ClassRegistry::ClassPtr classFromString(std::string_view name);

}  // namespace solen
