#include "Platform/Foundation/HTTPHeaderFields.h"

#include <algorithm>

namespace solen::platform {

namespace {
char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

HTTPHeaderFields::HTTPHeaderFields(std::initializer_list<Field> fields) {
    for (const auto& [name, value] : fields) set(name, value);
}

bool HTTPHeaderFields::equalNames(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::vector<HTTPHeaderFields::Field>::const_iterator HTTPHeaderFields::find(std::string_view name) const {
    return std::find_if(fields_.begin(), fields_.end(), [&](const Field& f) { return equalNames(f.first, name); });
}

std::vector<HTTPHeaderFields::Field>::iterator HTTPHeaderFields::find(std::string_view name) {
    return std::find_if(fields_.begin(), fields_.end(), [&](const Field& f) { return equalNames(f.first, name); });
}

std::optional<std::string> HTTPHeaderFields::value(std::string_view name) const {
    const auto it = find(name);
    if (it == fields_.end()) return std::nullopt;
    return it->second;
}

void HTTPHeaderFields::set(std::string_view name, std::string value) {
    const auto it = find(name);
    if (it == fields_.end()) {
        fields_.emplace_back(std::string(name), std::move(value));
    } else {
        it->second = std::move(value);
    }
}

void HTTPHeaderFields::add(std::string_view name, std::string_view value, std::string_view separator) {
    const auto it = find(name);
    if (it == fields_.end()) {
        fields_.emplace_back(std::string(name), std::string(value));
    } else {
        it->second.append(separator);
        it->second.append(value);
    }
}

void HTTPHeaderFields::remove(std::string_view name) {
    std::erase_if(fields_, [&](const Field& f) { return equalNames(f.first, name); });
}

}  // namespace solen::platform
