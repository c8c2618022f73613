#include "Commons/Json/JsonReader.h"

#include "Commons/Json/JsonStringEscaping.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>

namespace solen {

JsonDecodingError::JsonDecodingError(std::string path, const std::string& reason, Kind kind, std::string expectedType)
    : std::runtime_error(path.empty() ? reason : path + ": " + reason),
      path_(std::move(path)),
      reason_(reason),
      kind_(kind),
      expectedType_(std::move(expectedType)) {}

// A built value read back: the reader owns the document parsed from its encoding.
struct JsonReader::Source {
    JsonDocument document;
    std::string path;
};

namespace {

using Kind = JsonDocument::Kind;

std::string_view typeName(Kind kind) {
    switch (kind) {
        case Kind::object: return "object";
        case Kind::array: return "array";
        case Kind::string: return "string";
        case Kind::trueValue:
        case Kind::falseValue: return "boolean";
        case Kind::null: return "null";
        default: return "number";
    }
}

std::string encodedText(const Json& value, const std::string& path) {
    try {
        return value.dump();
    } catch (const Json::exception& error) {
        throw JsonDecodingError(path, std::string("value has no JSON text: ") + error.what());
    }
}

}  // namespace

JsonReader::JsonReader(const JsonDocument& document) : document_(&document) {}

JsonReader::JsonReader(const Json& value, std::string path) {
    std::string text = encodedText(value, path);
    auto source = std::make_shared<Source>(Source{JsonDocument::parse(text), std::move(path)});
    document_ = &source->document;
    source_ = std::move(source);
}

Json JsonReader::parse(std::string_view text, std::size_t maxDepth) {
    const JsonDocument document = JsonDocument::parse(text, maxDepth);
    return build(document, JsonDocument::root, nullptr);
}

std::string JsonReader::path() const {
    if (parent_ == nullptr) {
        return source_ ? source_->path : std::string();
    }
    std::string path = parent_->path();
    if (index_ != npos) {
        path += '[';
        path += std::to_string(index_);
        path += ']';
    } else if (path.empty()) {
        path = key_;
    } else {
        path += '.';
        path += key_;
    }
    return path;
}

std::string JsonReader::childPath(std::string_view key) const {
    std::string path = this->path();
    if (!path.empty()) {
        path += '.';
    }
    path += key;
    return path;
}

void JsonReader::fail(const std::string& path, const std::string& reason, DecodingKind kind, std::string expectedType) {
    throw JsonDecodingError(path, reason, kind, std::move(expectedType));
}

void JsonReader::reject(const std::string& reason, DecodingKind kind, std::string_view expectedType) const {
    fail(path(), reason, kind, std::string(expectedType));
}

void JsonReader::rejectType(std::string_view expectedType, std::string_view expected) const {
    const Kind found = kind();
    reject("expected " + std::string(expected) + ", found " + std::string(typeName(found)),
           found == Kind::null ? DecodingKind::valueNotFound : DecodingKind::typeMismatch, expectedType);
}

void JsonReader::requireObject(std::string_view expectedType) const {
    if (!isObject()) {
        rejectType(expectedType, "an object");
    }
}

void JsonReader::requireArray(std::string_view expectedType) const {
    if (!isArray()) {
        rejectType(expectedType, "an array");
    }
}

std::size_t JsonReader::find(std::string_view key) const {
    requireObject();
    // Candidates are told apart by length and first twelve bytes in two loads (the stored form of
    // the key: a 4-byte length, then the text); only longer keys whose start matches have the rest
    // of their text compared.
    // Built in registers: bytes stored one by one and read back as words would stall each lookup.
    std::uint64_t wanted[2] = {key.size() & 0xFFFFFFFFu, 0};
    std::uint64_t masks[2] = {0xFFFFFFFFu, 0};
    const std::size_t headLength = std::min<std::size_t>(key.size(), 12);
    std::uint64_t word0 = 0;
    std::uint64_t word1 = 0;
    for (std::size_t i = 0; i < headLength; ++i) {
        const std::uint64_t byte = static_cast<unsigned char>(key[i]);
        if (i < 4) {
            word0 |= byte << (8 * (i + 4));
        } else {
            word1 |= byte << (8 * (i - 4));
        }
    }
    wanted[0] |= word0;
    wanted[1] = word1;
    masks[0] = headLength >= 4 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * (4 + headLength))) - 1;
    masks[1] = headLength <= 4 ? 0 : headLength >= 12 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * (headLength - 4))) - 1;
    const std::uint64_t mask0 = masks[0];
    const std::uint64_t mask1 = masks[1];
    const auto matches = [&](std::uint64_t word0, std::size_t keyAt) {
        return (word0 & mask0) == wanted[0] && (mask1 == 0 || (document_->stringWord(keyAt, 1) & mask1) == wanted[1]) &&
               (key.size() <= 12 || document_->string(keyAt).substr(12) == key.substr(12));
    };
    const std::size_t end = document_->end(position_);
    if (memberCount_ == kMembersUnknown) {
        std::size_t count = 0;
        for (std::size_t at = position_ + 1; at < end && count <= kCachedMembers; at = document_->after(at + 1)) {
            if (count < kCachedMembers) {
                members_[count] = {document_->stringWord(at, 0), at};
            }
            ++count;
        }
        memberCount_ = count <= kCachedMembers ? static_cast<std::uint8_t>(count) : kMembersUncached;
    }
    if (memberCount_ != kMembersUncached) {
        // From the last member back: the last value of a repeated key is the one read.
        for (std::size_t i = memberCount_; i-- > 0;) {
            if (matches(members_[i].head, members_[i].keyAt)) {
                return members_[i].keyAt + 1;
            }
        }
        return npos;
    }
    std::size_t found = npos;
    for (std::size_t at = position_ + 1; at < end; at = document_->after(at + 1)) {
        if (matches(document_->stringWord(at, 0), at)) {
            found = at + 1;
        }
    }
    return found;
}

bool JsonReader::contains(std::string_view key) const { return isObject() && find(key) != npos; }

bool JsonReader::hasValue(std::string_view key) const {
    if (!isObject()) {
        return false;
    }
    const std::size_t at = find(key);
    return at != npos && document_->kind(at) != Kind::null;
}

JsonReader JsonReader::at(std::string_view key) const {
    const std::size_t at = find(key);
    if (at == npos) {
        fail(childPath(key), "required key is missing", DecodingKind::keyNotFound);
    }
    return JsonReader(*this, at, key);
}

std::size_t JsonReader::size() const {
    requireArray();
    if (const std::size_t count = document_->countHint(position_); count < JsonDocument::countSaturated) {
        return count;
    }
    std::size_t count = 0;
    for (std::size_t at = position_ + 1, end = document_->end(position_); at < end; at = document_->after(at)) {
        ++count;
    }
    return count;
}

JsonReader JsonReader::element(std::size_t index) const {
    requireArray();
    std::size_t current = 0;
    for (std::size_t at = position_ + 1, end = document_->end(position_); at < end; at = document_->after(at)) {
        if (current++ == index) {
            return JsonReader(*this, at, index);
        }
    }
    reject("index out of range", DecodingKind::valueNotFound);
}

std::vector<std::string> JsonReader::keys() const {
    std::vector<std::string> result;
    forEachMember([&](std::string_view key, const JsonReader&) { result.emplace_back(key); });
    return result;
}

std::string_view JsonReader::asStringView() const {
    if (!isString()) {
        rejectType("string", "a string");
    }
    return document_->string(position_);
}

std::string JsonReader::asString() const { return std::string(asStringView()); }

bool JsonReader::asBool() const {
    switch (kind()) {
        case Kind::trueValue: return true;
        case Kind::falseValue: return false;
        default: rejectType("boolean", "a boolean");
    }
}

double JsonReader::asDouble() const {
    switch (kind()) {
        case Kind::int64: return static_cast<double>(document_->int64(position_));
        case Kind::uint64: return static_cast<double>(document_->uint64(position_));
        case Kind::real: {
            const double value = document_->real(position_);
            if (!std::isfinite(value)) {
                reject("number is not finite");
            }
            return value;
        }
        default: rejectType("number", "a number");
    }
}

namespace {

// A whole number written with a fraction or exponent ("5.0", "1e3") is an integer; `upper` is
// the first value above the target range.
template <class T>
T wholeNumber(const JsonReader& reader, double value, double lower, double upper) {
    if (!std::isfinite(value) || std::trunc(value) != value) {
        reader.reject("expected an integer, found a fractional number");
    }
    if (value < lower || value >= upper) {
        reader.reject("integer out of range");
    }
    return static_cast<T>(value);
}

}  // namespace

std::int64_t JsonReader::asInt64() const {
    switch (kind()) {
        case Kind::int64: return document_->int64(position_);
        case Kind::uint64: reject("integer out of range");  // the parse keeps signed what fits
        case Kind::real:
            return wholeNumber<std::int64_t>(*this, document_->real(position_), -9223372036854775808.0,
                                             9223372036854775808.0);
        default: rejectType("integer", "an integer");
    }
}

std::uint64_t JsonReader::asUInt64() const {
    switch (kind()) {
        case Kind::uint64: return document_->uint64(position_);
        case Kind::int64: {
            const std::int64_t value = document_->int64(position_);
            if (value < 0) {
                reject("integer out of range");
            }
            return static_cast<std::uint64_t>(value);
        }
        case Kind::real:
            return wholeNumber<std::uint64_t>(*this, document_->real(position_), 0.0, 18446744073709551616.0);
        default: rejectType("integer", "an integer");
    }
}

Json JsonReader::freeFormValue(bool* holdsNull) const { return build(*document_, position_, holdsNull); }

std::vector<std::pair<std::size_t, std::size_t>> JsonReader::uniqueMembersOfLargeObject(const JsonDocument& document,
                                                                                       std::size_t object) {
    std::vector<std::pair<std::size_t, std::size_t>> members;
    std::size_t count = document.countHint(object);
    if (count >= JsonDocument::countSaturated) {
        count = 0;
        for (std::size_t keyAt = object + 1, end = document.end(object); keyAt < end; keyAt = document.after(keyAt + 1)) {
            ++count;
        }
    }
    members.reserve(count);
    // Open addressing over the members found so far. A slot holds the key's hash in its upper half
    // (compared first, so most probes never touch the key text) and, in its lower half, i + 1 for
    // members[i]; 0 is a free slot.
    std::size_t slotCount = 16;
    while (slotCount < 2 * count) {
        slotCount *= 2;
    }
    std::vector<std::uint64_t> slots(slotCount, 0);
    const std::hash<std::string_view> hash;
    for (std::size_t keyAt = object + 1, end = document.end(object); keyAt < end; keyAt = document.after(keyAt + 1)) {
        const std::string_view key = document.string(keyAt);
        const std::uint64_t hashed = hash(key);
        const std::uint64_t tag = hashed & 0xFFFFFFFF00000000u;
        std::size_t slot = (hashed ^ (hashed >> 32)) & (slotCount - 1);
        while (slots[slot] != 0 && ((slots[slot] & 0xFFFFFFFF00000000u) != tag ||
                                    document.string(members[(slots[slot] & 0xFFFFFFFFu) - 1].first) != key)) {
            slot = (slot + 1) & (slotCount - 1);
        }
        if (slots[slot] == 0) {
            members.emplace_back(keyAt, keyAt + 1);
            slots[slot] = tag | members.size();
        } else {
            members[(slots[slot] & 0xFFFFFFFFu) - 1].second = keyAt + 1;
        }
    }
    return members;
}

Json JsonReader::build(const JsonDocument& document, std::size_t at, bool* holdsNull) {
    switch (document.kind(at)) {
        case Kind::object: {
            Json result(Json::value_t::object);
            auto& members = result.get_ref<Json::object_t&>();
            if (const std::size_t count = document.countHint(at); count < JsonDocument::countSaturated) {
                members.reserve(count);
            }
            // Keys arrive distinct, so members are appended without the map's own key search.
            forEachUniqueMember(document, at, [&](std::size_t keyAt, std::size_t valueAt) {
                members.emplace_back(std::string(document.string(keyAt)), build(document, valueAt, holdsNull));
            });
            return result;
        }
        case Kind::array: {
            Json result(Json::value_t::array);
            auto& elements = result.get_ref<Json::array_t&>();
            if (const std::size_t count = document.countHint(at); count < JsonDocument::countSaturated) {
                elements.reserve(count);
            }
            for (std::size_t element = at + 1, end = document.end(at); element < end; element = document.after(element)) {
                elements.push_back(build(document, element, holdsNull));
            }
            return result;
        }
        case Kind::string: return Json(std::string(document.string(at)));
        case Kind::int64: return Json(document.int64(at));
        case Kind::uint64: return Json(document.uint64(at));
        case Kind::real: return Json(document.real(at));
        case Kind::trueValue: return Json(true);
        case Kind::falseValue: return Json(false);
        case Kind::null:
            if (holdsNull != nullptr) {
                *holdsNull = true;
            }
            return Json(nullptr);
    }
    return Json(nullptr);
}

// Writes into a text whose size runs ahead of what is written: each step makes room for the most
// it adds, then writes without checks; the text is cut to what was written at the end.
class JsonReader::CompactSink {
public:
    explicit CompactSink(std::string& text) : text_(text), used_(text.size()) {}
    ~CompactSink() { text_.resize(used_); }

    char* room(std::size_t bytes) {
        if (text_.size() - used_ < bytes) [[unlikely]] {
            grow(bytes);
        }
        return text_.data() + used_;
    }
    void put(char c) {
        *room(1) = c;
        ++used_;
    }
    void put(std::string_view text) {
        std::memcpy(room(text.size()), text.data(), text.size());
        used_ += text.size();
    }

    void putString(std::string_view text) {
        char* out = room(text.size() + 2);
        *out++ = '"';
        // Up to the first byte that needs an escape (most often the whole text) in one copy; the
        // rest byte by byte.
        std::size_t at = unescapedPrefix(text);
        std::memcpy(out, text.data(), at);
        out += at;
        for (; at < text.size(); ++at) {
            const auto byte = static_cast<unsigned char>(text[at]);
            if (byte >= 0x20 && byte != '"' && byte != '\\') [[likely]] {
                *out++ = static_cast<char>(byte);
                continue;
            }
            // The escape takes up to six bytes where the text had one.
            used_ = static_cast<std::size_t>(out - text_.data());
            out = room(6 + (text.size() - at));
            out += writeJsonEscape(byte, out);
        }
        *out++ = '"';
        used_ = static_cast<std::size_t>(out - text_.data());
    }

    template <class Integer>
    void putInteger(Integer value) {
        char* out = room(24);
        used_ += static_cast<std::size_t>(std::to_chars(out, out + 24, value).ptr - out);
    }

    // A finite double as text that reads back to the same double, and as a double: the fewest
    // decimals (up to fifteen) that give it back exactly, else the shortest form std::to_chars finds.
    void putDouble(double value) {
        char* const start = room(40);
        char* out = start;
        if (std::signbit(value)) {
            *out++ = '-';
            value = -value;
        }
        static constexpr double powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        for (std::size_t decimals = 0; decimals < std::size(powers) && value < 1e15; ++decimals) {
            const double scaled = std::nearbyint(value * powers[decimals]);
            if (scaled >= 9007199254740992.0) {  // 2^53: whole numbers above it are not all exact
                break;
            }
            // Both exact, so the quotient is the double nearest to the decimal, as a parse gives it.
            if (scaled / powers[decimals] != value) {
                continue;
            }
            char digits[24];
            const std::size_t length = static_cast<std::size_t>(
                std::to_chars(digits, digits + sizeof digits, static_cast<std::uint64_t>(scaled)).ptr - digits);
            if (length > decimals) {
                out = std::copy(digits, digits + length - decimals, out);
            } else {
                *out++ = '0';
            }
            *out++ = '.';
            if (decimals == 0) {
                *out++ = '0';
            } else {
                out = std::fill_n(out, decimals - std::min(decimals, length), '0');
                out = std::copy(digits + length - std::min(decimals, length), digits + length, out);
            }
            used_ += static_cast<std::size_t>(out - start);
            return;
        }
        char* const end = std::to_chars(out, start + 40, value).ptr;
        if (std::find_if(out, end, [](char c) { return c == '.' || c == 'e'; }) == end) {
            used_ += static_cast<std::size_t>(end - start);
            put(".0");
            return;
        }
        used_ += static_cast<std::size_t>(end - start);
    }

private:
    [[gnu::noinline]] void grow(std::size_t bytes) {
        text_.resize(std::max({used_ + bytes, 2 * text_.size(), std::size_t{256}}));
    }

    std::string& text_;
    std::size_t used_;
};

bool JsonReader::appendCompactText(std::string& out) const {
    CompactSink sink(out);
    return writeCompact(*document_, position_, sink);
}

// Members are written as they come, a repeated key too: reading the text back keeps one of them as
// building the value does (its first place, its last value), and a null that a later value of the
// same key replaces is reported as a null here and left to the full decode.
bool JsonReader::writeCompact(const JsonDocument& document, std::size_t at, CompactSink& sink) {
    switch (document.kind(at)) {
        case Kind::object: {
            sink.put('{');
            for (std::size_t keyAt = at + 1, end = document.end(at); keyAt < end; keyAt = document.after(keyAt + 1)) {
                if (keyAt != at + 1) {
                    sink.put(',');
                }
                sink.putString(document.string(keyAt));
                sink.put(':');
                if (!writeCompact(document, keyAt + 1, sink)) {
                    return false;
                }
            }
            sink.put('}');
            return true;
        }
        case Kind::array: {
            sink.put('[');
            for (std::size_t element = at + 1, end = document.end(at); element < end; element = document.after(element)) {
                if (element != at + 1) {
                    sink.put(',');
                }
                if (!writeCompact(document, element, sink)) {
                    return false;
                }
            }
            sink.put(']');
            return true;
        }
        case Kind::string: sink.putString(document.string(at)); return true;
        case Kind::int64: sink.putInteger(document.int64(at)); return true;
        case Kind::uint64: sink.putInteger(document.uint64(at)); return true;
        case Kind::real: sink.putDouble(document.real(at)); return true;
        case Kind::trueValue: sink.put("true"); return true;
        case Kind::falseValue: sink.put("false"); return true;
        case Kind::null: return false;
    }
    return false;
}

}  // namespace solen
