#include <solen/host/Console.h>

#include "Commons/Utilities/Logger.h"

namespace solen::host {

void Console::setSink(Sink sink) { Logger::setSink(std::move(sink)); }

}  // namespace solen::host
