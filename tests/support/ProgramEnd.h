#pragma once

#include <functional>

namespace solen::test {

// Runs `step` once the program's last test has run, before the process exits (steps run in the
// reverse order of their registration). Servers that a program keeps for all its tests stop here:
// their threads would otherwise still answer the SDK's late requests while exit destroys the
// static objects of the HTTP library they run on.
void atProgramEnd(std::function<void()> step);

}  // namespace solen::test
