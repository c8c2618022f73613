#pragma once

#include <cstddef>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace solen::platform {

// Attribute name to value, names exactly as written (prefixes kept).
using XmlAttributes = std::map<std::string, std::string>;

// The attributes of one start tag, read in place: names and values are views into text that the
// list does not own. The reader hands one out for the length of a start-tag callback, over the
// parser's own name/value array, so reading an attribute copies and allocates nothing. A list made
// from an attribute map or from name/value pairs views their texts and lives no longer than they.
//
// Names are unique within a tag (the XML reader rejects a repeated name), so a lookup by name is
// the same whichever way the list was made. Used on one thread at a time, like the tag it reads.
class XmlAttributeList {
public:
    using Pair = std::pair<std::string_view, std::string_view>;

    XmlAttributeList() = default;
    // A null-terminated array of alternating name and value texts (expat's form).
    explicit XmlAttributeList(const char* const* namesAndValues) : array_(namesAndValues) {}
    XmlAttributeList(const XmlAttributes& attributes);
    XmlAttributeList(std::initializer_list<Pair> pairs) : pairs_(pairs) {}

    // The value written for `name`, absent when the tag does not carry it.
    std::optional<std::string_view> value(std::string_view name) const;

    bool empty() const { return size() == 0; }
    std::size_t size() const;
    // The `index`th attribute in document order (map order for a list made from a map).
    Pair operator[](std::size_t index) const;

    // An owning copy, for receivers that keep attributes beyond the callback.
    XmlAttributes toMap() const;

private:
    const char* const* array_ = nullptr;
    std::vector<Pair> pairs_;
};

}  // namespace solen::platform
