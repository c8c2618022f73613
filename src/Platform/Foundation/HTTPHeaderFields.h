#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace solen::platform {

// HTTP header fields in the order they were first set. Names compare case-insensitively; a name
// keeps the spelling it was first set with.
class HTTPHeaderFields {
public:
    using Field = std::pair<std::string, std::string>;

    HTTPHeaderFields() = default;
    HTTPHeaderFields(std::initializer_list<Field> fields);

    std::optional<std::string> value(std::string_view name) const;
    bool contains(std::string_view name) const { return find(name) != fields_.end(); }
    // Replaces the value (adds the field when absent).
    void set(std::string_view name, std::string value);
    // Appends the value after `separator` when the field already has one, else adds the field.
    void add(std::string_view name, std::string_view value, std::string_view separator = ",");
    void remove(std::string_view name);

    std::size_t size() const { return fields_.size(); }
    bool empty() const { return fields_.empty(); }
    auto begin() const { return fields_.begin(); }
    auto end() const { return fields_.end(); }

    static bool equalNames(std::string_view a, std::string_view b);

    friend bool operator==(const HTTPHeaderFields&, const HTTPHeaderFields&) = default;

private:
    std::vector<Field>::const_iterator find(std::string_view name) const;
    std::vector<Field>::iterator find(std::string_view name);

    std::vector<Field> fields_;
};

}  // namespace solen::platform
