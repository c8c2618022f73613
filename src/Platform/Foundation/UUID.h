#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace solen::platform {

// A universally unique identifier. A default-constructed UUID is a fresh random one (version 4).
class UUID {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    UUID();
    explicit UUID(const Bytes& bytes) : bytes_(bytes) {}

    // Canonical upper-case text, "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
    std::string uuidString() const;
    const Bytes& bytes() const { return bytes_; }

    // Parses canonical text (either case); nothing when the text is not a UUID.
    static std::optional<UUID> fromString(std::string_view text);

    friend bool operator==(const UUID&, const UUID&) = default;

private:
    Bytes bytes_;
};

}  // namespace solen::platform
