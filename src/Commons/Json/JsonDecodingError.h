#pragma once

#include <stdexcept>
#include <string>

namespace solen {

// A document failed to decode: which value (`path`, the key path from the top of the document,
// "adUnits[2].id"; empty for the document itself), why (`reason`), what kind of failure and,
// where a type was expected, which (`expectedType`: "string", "integer", "object",
// "PubContentModel", ...).
class JsonDecodingError : public std::runtime_error {
public:
    enum class Kind {
        typeMismatch,   // the value has another type than the expected one
        keyNotFound,    // a required key is absent
        valueNotFound,  // a required value is null, or an element is missing
        dataCorrupted,  // the text is not JSON, or the value is of the right type but not acceptable
    };

    JsonDecodingError(std::string path, const std::string& reason, Kind kind = Kind::dataCorrupted,
                      std::string expectedType = {});

    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }
    Kind kind() const { return kind_; }
    const std::string& expectedType() const { return expectedType_; }

private:
    std::string path_;
    std::string reason_;
    Kind kind_;
    std::string expectedType_;
};

}  // namespace solen
