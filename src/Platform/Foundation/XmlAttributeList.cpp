#include "Platform/Foundation/XmlAttributeList.h"

namespace solen::platform {

namespace {

// True when the null-terminated `text` is exactly `name`; stops at the first difference, so it
// never reads past the end of a shorter text.
bool sameText(const char* text, std::string_view name) {
    for (const char c : name) {
        if (*text != c) {
            return false;
        }
        ++text;
    }
    return *text == '\0';
}

}  // namespace

XmlAttributeList::XmlAttributeList(const XmlAttributes& attributes) {
    pairs_.reserve(attributes.size());
    for (const auto& [name, value] : attributes) {
        pairs_.emplace_back(name, value);
    }
}

std::optional<std::string_view> XmlAttributeList::value(std::string_view name) const {
    if (array_ != nullptr) {
        for (const char* const* a = array_; *a != nullptr; a += 2) {
            if (sameText(a[0], name)) {
                return std::string_view(a[1] != nullptr ? a[1] : "");
            }
        }
        return std::nullopt;
    }
    for (const Pair& pair : pairs_) {
        if (pair.first == name) {
            return pair.second;
        }
    }
    return std::nullopt;
}

std::size_t XmlAttributeList::size() const {
    if (array_ == nullptr) {
        return pairs_.size();
    }
    std::size_t count = 0;
    while (array_[2 * count] != nullptr) {
        ++count;
    }
    return count;
}

XmlAttributeList::Pair XmlAttributeList::operator[](std::size_t index) const {
    if (array_ == nullptr) {
        return pairs_[index];
    }
    const char* value = array_[2 * index + 1];
    return Pair(array_[2 * index], value != nullptr ? value : "");
}

XmlAttributes XmlAttributeList::toMap() const {
    XmlAttributes map;
    const std::size_t count = size();
    for (std::size_t i = 0; i < count; ++i) {
        const auto [name, value] = (*this)[i];
        map.insert_or_assign(std::string(name), std::string(value));
    }
    return map;
}

}  // namespace solen::platform
