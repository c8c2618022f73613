#include "Commons/Json/JsonTextWriter.h"

#include "Commons/Json/JsonStringEscaping.h"
#include "Platform/Foundation/CharacterSet.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace solen {

JsonTextWriter::JsonTextWriter(std::string& out) : out_(out) {}

void JsonTextWriter::writeKey(std::string_view key) {
    const bool comma = !first_;
    first_ = false;
    // A short plain key, with its comma, quotes and colon, goes in with one append.
    char buffer[64];
    if (key.size() + 4 <= sizeof buffer && plainAsciiPrefix(key) == key.size()) {
        char* end = buffer;
        if (comma) {
            *end++ = ',';
        }
        *end++ = '"';
        end = std::copy(key.begin(), key.end(), end);
        *end++ = '"';
        *end++ = ':';
        out_.append(buffer, end);
        return;
    }
    if (comma) {
        out_ += ',';
    }
    writeString(key);
    out_ += ':';
}

void JsonTextWriter::writeString(std::string_view text) {
    if (plainAsciiPrefix(text) == text.size()) {
        out_ += '"';
        out_ += text;
        out_ += '"';
    } else if (platform::isValidUtf8(text)) {
        appendQuotedJsonString(out_, text);
    } else {
        // The library's dump refuses it with its own error, which is the one to give.
        out_ += Json(text).dump();
    }
}

void JsonTextWriter::writeDouble(double value) {
    if (!std::isfinite(value)) {
        throw JsonEncodingError(pathText(), "number is not finite");
    }
    // The library's own number form, so that the bytes are those of a dumped value.
    out_ += Json(value).dump();
}

void JsonTextWriter::writeJson(const Json& value) {
    try {
        JsonWriter::checkFinite(value);
    } catch (const JsonEncodingError& error) {
        // The path within the value, behind the path of the value itself.
        const std::string outer = pathText();
        const std::string& inner = error.path();
        const std::string path = inner.empty()   ? outer
                                 : outer.empty() ? inner
                                 : inner.front() == '[' ? outer + inner
                                                        : outer + "." + inner;
        throw JsonEncodingError(path, "number is not finite");
    }
    out_ += value.dump();
}

std::string JsonTextWriter::pathText() const {
    std::vector<const Segment*> segments;
    for (const Segment* segment = path_; segment; segment = segment->outer) {
        segments.push_back(segment);
    }
    std::string path;
    for (auto it = segments.rbegin(); it != segments.rend(); ++it) {
        if ((*it)->index != member) {
            path += "[" + std::to_string((*it)->index) + "]";
        } else {
            if (!path.empty()) {
                path += '.';
            }
            path += (*it)->key;
        }
    }
    return path;
}

}  // namespace solen
