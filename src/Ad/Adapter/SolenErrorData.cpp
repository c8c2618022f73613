#include <solen/adapters/SolenErrorData.h>

#include "Platform/Foundation/CharacterSet.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace solen {

SolenErrorData::SolenErrorData(std::string className, std::string failureReason, std::string recoverySuggestion, Named)
    : className_(platform::repairingUtf8(std::move(className))),
      failureReason_(platform::repairingUtf8(std::move(failureReason))),
      recoverySuggestion_(platform::repairingUtf8(std::move(recoverySuggestion))) {}

std::string SolenErrorData::classNameOf(const std::type_info& type) {
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    const std::string name = status == 0 && demangled ? demangled.get() : type.name();
    // Cut after the last "::" outside template arguments and parameter lists, so that
    // "acme::Fake<acme::X>" gives "Fake<acme::X>" and a local class loses its function's name.
    std::size_t start = 0;
    int depth = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '<' || c == '(') {
            ++depth;
        } else if (c == '>' || c == ')') {
            --depth;
        } else if (depth == 0 && c == ':' && i + 1 < name.size() && name[i + 1] == ':') {
            start = i + 2;
            ++i;
        }
    }
    return name.substr(start);
}

}  // namespace solen
