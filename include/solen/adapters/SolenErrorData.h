#pragma once

#include <solen/SolenExport.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>

namespace solen {

// What an adapter error carries: the class of the object that raised it, a human-readable reason
// and a hint for the integrator. Only the raising object's class name is kept, never the object,
// so an error outlives whatever raised it and can travel between threads.
//
// The class name is the unqualified name of the object's dynamic type: an instance of
// `acme::ExampleAdapter` gives "ExampleAdapter". Texts that are not valid UTF-8 are repaired on
// construction (each bad sequence becomes U+FFFD), so every printed form of the error is
// well-formed. A plain value: copy it freely, from any thread.
class SOLEN_EXPORT SolenErrorData {
public:
    // `raisingObject` is the adapter, wrapper or bidder that raises the error (usually `*this`).
    template <class T>
        requires std::is_class_v<T> && (!std::is_convertible_v<const T&, std::string_view>)
    SolenErrorData(const T& raisingObject, std::string failureReason, std::string recoverySuggestion)
        : SolenErrorData(classNameOf(typeid(raisingObject)), std::move(failureReason),
                         std::move(recoverySuggestion), Named{}) {}

    // A raiser held by a shared pointer is named after the object it points to (after its static
    // type when it is null).
    template <class T>
    SolenErrorData(const std::shared_ptr<T>& raisingObject, std::string failureReason, std::string recoverySuggestion)
        : SolenErrorData(raisingObject ? classNameOf(typeid(*raisingObject)) : classNameOf(typeid(T)),
                         std::move(failureReason), std::move(recoverySuggestion), Named{}) {}

    // For a raiser known only by its class name.
    static SolenErrorData ofClass(std::string className, std::string failureReason, std::string recoverySuggestion) {
        return SolenErrorData(std::move(className), std::move(failureReason), std::move(recoverySuggestion), Named{});
    }

    const std::string& className() const { return className_; }
    const std::string& failureReason() const { return failureReason_; }
    const std::string& recoverySuggestion() const { return recoverySuggestion_; }

    // The unqualified, readable name of a type: namespaces are dropped, template arguments kept.
    static std::string classNameOf(const std::type_info& type);

    friend bool operator==(const SolenErrorData&, const SolenErrorData&) = default;

private:
    struct Named {};
    SolenErrorData(std::string className, std::string failureReason, std::string recoverySuggestion, Named);

    std::string className_;
    std::string failureReason_;
    std::string recoverySuggestion_;
};

}  // namespace solen
