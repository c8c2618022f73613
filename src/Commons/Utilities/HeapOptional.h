#pragma once

#include <memory>
#include <optional>
#include <utility>

namespace solen {

// An optional value kept on the heap, read and assigned like std::optional<T>: the holder is one
// pointer, so that a record whose large optional member is usually absent stays small, cheap to
// move and quick to allocate (a line item's creative: 1.2 KB, present on server-to-server line
// items only). Copies copy the value; moves move the pointer. The thread rules of a plain value.
template <class T>
class HeapOptional {
public:
    using value_type = T;

    HeapOptional() noexcept = default;
    HeapOptional(std::nullopt_t) noexcept {}
    HeapOptional(T value) : value_(std::make_unique<T>(std::move(value))) {}
    HeapOptional(const std::optional<T>& value) : value_(value ? std::make_unique<T>(*value) : nullptr) {}
    HeapOptional(std::optional<T>&& value) : value_(value ? std::make_unique<T>(std::move(*value)) : nullptr) {}
    // The value that `make()` returns, made in its place on the heap (not moved there).
    template <class Make>
    static HeapOptional made(Make&& make) {
        HeapOptional result;
        result.value_.reset(new T(std::forward<Make>(make)()));
        return result;
    }

    HeapOptional(const HeapOptional& other) : value_(other.value_ ? std::make_unique<T>(*other.value_) : nullptr) {}
    HeapOptional(HeapOptional&&) noexcept = default;
    HeapOptional& operator=(const HeapOptional& other) {
        if (this != &other) {
            value_ = other.value_ ? std::make_unique<T>(*other.value_) : nullptr;
        }
        return *this;
    }
    HeapOptional& operator=(HeapOptional&&) noexcept = default;
    ~HeapOptional() = default;

    bool has_value() const noexcept { return value_ != nullptr; }
    explicit operator bool() const noexcept { return has_value(); }
    // The value; throws std::bad_optional_access when there is none.
    const T& value() const {
        if (!value_) {
            throw std::bad_optional_access();
        }
        return *value_;
    }
    const T& operator*() const { return *value_; }
    T& operator*() { return *value_; }
    const T* operator->() const { return value_.get(); }
    T* operator->() { return value_.get(); }
    void reset() noexcept { value_.reset(); }

    friend bool operator==(const HeapOptional& lhs, const HeapOptional& rhs) {
        return lhs ? rhs && *lhs == *rhs : !rhs;
    }
    friend bool operator==(const HeapOptional& lhs, const std::optional<T>& rhs) {
        return lhs ? rhs && *lhs == *rhs : !rhs;
    }
    friend bool operator==(const HeapOptional& lhs, std::nullopt_t) noexcept { return !lhs; }

private:
    std::unique_ptr<T> value_;
};

}  // namespace solen
