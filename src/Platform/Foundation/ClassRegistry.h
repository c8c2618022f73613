#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <unordered_map>
#include <utility>
#include <vector>

namespace solen::platform {

// Classes found by exact name at run time. A class is registered with a factory and the list of
// protocols (abstract interfaces) it conforms to; a lookup by name can then ask whether the class
// conforms to a protocol and create an instance as that protocol. Adapters register themselves
// with SOLEN_REGISTER_CLASS when they are linked in, or from a plug-in module loaded with
// `loadModule`. Tests use `ScopedRegistration`. Thread-safe.
class ClassRegistry {
public:
    class Class {
    public:
        // `T` must derive from every protocol. Without a factory, `T` is default-constructed (a type
        // that cannot be gives null).
        template <class T, class... Protocols>
        static std::shared_ptr<const Class> make(std::string name, std::function<std::shared_ptr<T>()> factory = {}) {
            static_assert((std::is_convertible_v<T*, Protocols*> && ...), "the class must derive from its protocols");
            if (!factory) {
                if constexpr (std::is_default_constructible_v<T>) {
                    factory = [] { return std::make_shared<T>(); };
                } else {
                    return nullptr;  // nothing to create it with: registering it is refused
                }
            }
            auto result = std::shared_ptr<Class>(new Class(std::move(name)));
            result->addMaker<T, T>(factory);
            (result->addMaker<T, Protocols>(factory), ...);
            return result;
        }

        // A class whose instances come from type-erased makers, one per protocol: each gives a
        // pointer to an instance as that protocol (null when it cannot make one). Null without
        // makers.
        using ErasedMaker = std::function<std::shared_ptr<void>()>;
        static std::shared_ptr<const Class> fromMakers(std::string name,
                                                       std::vector<std::pair<std::type_index, ErasedMaker>> makers) {
            if (makers.empty()) {
                return nullptr;
            }
            auto result = std::shared_ptr<Class>(new Class(std::move(name)));
            for (auto& [protocol, maker] : makers) {
                result->makers_.insert_or_assign(protocol, std::move(maker));
            }
            return result;
        }

        const std::string& name() const { return name_; }

        bool conformsTo(std::type_index protocol) const { return makers_.count(protocol) > 0; }
        template <class X>
        bool conformsTo() const {
            return conformsTo(std::type_index(typeid(X)));
        }

        // A new instance as `X`; null when the class does not conform to `X` or its factory fails.
        template <class X>
        std::shared_ptr<X> create() const {
            return std::static_pointer_cast<X>(createErased(std::type_index(typeid(X))));
        }

    private:
        explicit Class(std::string name) : name_(std::move(name)) {}

        template <class T, class X>
        void addMaker(const std::function<std::shared_ptr<T>()>& factory) {
            makers_.insert_or_assign(std::type_index(typeid(X)), [factory]() -> std::shared_ptr<void> {
                std::shared_ptr<X> instance = factory();
                return instance;
            });
        }

        std::shared_ptr<void> createErased(std::type_index protocol) const;

        std::string name_;
        std::unordered_map<std::type_index, ErasedMaker> makers_;
    };
    using ClassPtr = std::shared_ptr<const Class>;

    // Registers and removes classes for the lifetime of the object: on destruction the class that
    // was under the name before (if any) comes back.
    class ScopedRegistration {
    public:
        explicit ScopedRegistration(ClassPtr cls, ClassRegistry& registry = ClassRegistry::shared());
        ~ScopedRegistration();
        ScopedRegistration(const ScopedRegistration&) = delete;
        ScopedRegistration& operator=(const ScopedRegistration&) = delete;

        template <class T, class... Protocols>
        static ScopedRegistration of(std::string name, std::function<std::shared_ptr<T>()> factory = {}) {
            return ScopedRegistration(Class::make<T, Protocols...>(std::move(name), std::move(factory)));
        }

    private:
        ClassRegistry* registry_;
        ClassPtr class_;
        ClassPtr previous_;
    };

    ClassRegistry() = default;

    // The process's registry; never destroyed, so static registrations and lookups at exit are safe.
    static ClassRegistry& shared();

    // Adds the class under its name. A name already taken is refused (false, logged): the first
    // registration stays.
    bool add(ClassPtr cls);
    template <class T, class... Protocols>
    bool add(std::string name) {
        return add(Class::make<T, Protocols...>(std::move(name)));
    }
    // Puts the class under its name whatever was there; returns the previous one.
    ClassPtr replace(ClassPtr cls);
    // Removes the name; false when it was not registered.
    bool remove(std::string_view name);

    // The class registered under exactly this name, or null.
    ClassPtr lookup(std::string_view name) const;
    std::vector<std::string> names() const;

    // Loads a plug-in module whose static registrations add its classes. On failure returns false
    // and puts the loader's message in `error`.
    static bool loadModule(const std::filesystem::path& path, std::string* error = nullptr);

private:
    friend class ScopedRegistration;
    // Restores `previous` under the name of `current` if `current` is still registered there.
    void restore(const ClassPtr& current, ClassPtr previous);

    mutable std::shared_mutex mutex_;
    std::map<std::string, ClassPtr, std::less<>> classes_;
};

}  // namespace solen::platform

#define SOLEN_CLASS_REGISTRY_CONCAT_INNER(a, b) a##b
#define SOLEN_CLASS_REGISTRY_CONCAT(a, b) SOLEN_CLASS_REGISTRY_CONCAT_INNER(a, b)

// At namespace scope: registers TYPE under NAME (exact text) when the program or module is loaded,
// conforming to the protocols listed after it.
//   SOLEN_REGISTER_CLASS("SolenFooAdapter.FooBannerAdapter", FooBannerAdapter, SolenBaseBannerAdapter);
#define SOLEN_REGISTER_CLASS(NAME, TYPE, ...)                                                              \
    namespace {                                                                                            \
    [[maybe_unused]] const bool SOLEN_CLASS_REGISTRY_CONCAT(solenRegisteredClass_, __LINE__) =             \
        ::solen::platform::ClassRegistry::shared().add<TYPE __VA_OPT__(, ) __VA_ARGS__>(NAME);             \
    }                                                                                                      \
    static_assert(true, "")
