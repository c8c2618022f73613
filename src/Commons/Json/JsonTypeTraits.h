#pragma once

#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace solen::json_detail {

// Container shapes that the JSON reader and writer map to and from JSON values.
template <class T> struct IsOptional : std::false_type {};
template <class U> struct IsOptional<std::optional<U>> : std::true_type {};
template <class T> struct IsVector : std::false_type {};
template <class U, class A> struct IsVector<std::vector<U, A>> : std::true_type {};
template <class T> struct IsStringMap : std::false_type {};
template <class U, class C, class A> struct IsStringMap<std::map<std::string, U, C, A>> : std::true_type {};

}  // namespace solen::json_detail
