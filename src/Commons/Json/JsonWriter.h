#pragma once

#include "Commons/Json/JsonReader.h"

#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

namespace solen {

// A document member could not be encoded (a non-finite number).
class JsonEncodingError : public std::runtime_error {
public:
    JsonEncodingError(std::string path, const std::string& reason);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

template <class T>
concept JsonEncodableRecord = requires(const T& record) {
    { record.encode() } -> std::same_as<Json>;
};

// Builds the JSON of a sent document: keys in insertion order, empty optionals left out, never a
// NaN or an infinity (JsonEncodingError names the key path instead).
class JsonWriter {
public:
    explicit JsonWriter(std::string path = {}) : path_(std::move(path)) {}

    template <class T>
    JsonWriter& set(const std::string& key, const T& value) {
        if constexpr (json_detail::IsOptional<T>::value) {
            if (value) {
                object_[key] = encode(*value, childPath<typename T::value_type>(key));
            }
        } else {
            object_[key] = encode(value, childPath<T>(key));
        }
        return *this;
    }

    Json take() { return std::move(object_); }

    template <class T>
    static Json encode(const T& value, const std::string& path = {}) {
        if constexpr (std::is_same_v<T, Json>) {
            checkFinite(value, path);
            return value;
        } else if constexpr (std::is_floating_point_v<T>) {
            if (!std::isfinite(value)) {
                throw JsonEncodingError(path, "number is not finite");
            }
            return Json(value);
        } else if constexpr (json_detail::IsOptional<T>::value) {
            return value ? encode(*value, path) : Json(nullptr);
        } else if constexpr (json_detail::IsVector<T>::value) {
            Json array = Json::array();
            std::size_t index = 0;
            for (const auto& element : value) {
                array.push_back(encode(element, usesPath<typename T::value_type>() ? path + "[" + std::to_string(index) + "]" : std::string()));
                ++index;
            }
            return array;
        } else if constexpr (json_detail::IsStringMap<T>::value) {
            Json object = Json::object();
            for (const auto& [key, element] : value) {
                object[key] = encode(element, usesPath<typename T::mapped_type>() ? joinPath(path, key) : std::string());
            }
            return object;
        } else if constexpr (JsonEncodableRecord<T>) {
            return value.encode();
        } else {
            return Json(value);
        }
    }

    // Throws JsonEncodingError when the value holds a non-finite number anywhere.
    static void checkFinite(const Json& value, const std::string& path = {});

private:
    // Whether encoding a T can fail and so names a key path; records, texts and integers never do,
    // and building their paths would cost an allocation per member for nothing.
    template <class T>
    static constexpr bool usesPath() {
        if constexpr (json_detail::IsOptional<T>::value) {
            return usesPath<typename T::value_type>();
        } else {
            return std::is_same_v<T, Json> || std::is_floating_point_v<T> || json_detail::IsVector<T>::value ||
                   json_detail::IsStringMap<T>::value;
        }
    }

    static std::string joinPath(const std::string& path, const std::string& key) {
        return path.empty() ? key : path + "." + key;
    }

    template <class T>
    std::string childPath(const std::string& key) const {
        return usesPath<T>() ? joinPath(path_, key) : std::string();
    }

    std::string path_;
    Json object_ = Json::object();
};

}  // namespace solen
