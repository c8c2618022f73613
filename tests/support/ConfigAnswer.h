#pragma once

#include "Commons/Configs/ConfigDocument.h"

#include <string>
#include <vector>

namespace solen::test {

// The config service's answer body carrying `documents`, each as updated with the service's
// default stamp.
std::string configAnswer(std::vector<ConfigDocument> documents);

}  // namespace solen::test
