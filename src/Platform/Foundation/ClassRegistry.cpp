#include "Platform/Foundation/ClassRegistry.h"

#include "Commons/Utilities/Logger.h"

#include <dlfcn.h>
#include <exception>
#include <mutex>

namespace solen::platform {

std::shared_ptr<void> ClassRegistry::Class::createErased(std::type_index protocol) const {
    const auto it = makers_.find(protocol);
    if (it == makers_.end()) {
        return nullptr;
    }
    try {
        return it->second();
    } catch (const std::exception& failure) {
        Logger::applicationError("Creating " + name_ + " failed: " + failure.what());
    } catch (...) {
        Logger::applicationError("Creating " + name_ + " failed");
    }
    return nullptr;
}

ClassRegistry& ClassRegistry::shared() {
    static auto* registry = new ClassRegistry();
    return *registry;
}

bool ClassRegistry::add(ClassPtr cls) {
    if (!cls) {
        return false;
    }
    std::unique_lock<std::shared_mutex> lock(mutex_);
    const auto [it, inserted] = classes_.try_emplace(cls->name(), cls);
    if (!inserted) {
        lock.unlock();
        Logger::applicationError("Class " + cls->name() + " is already registered");
    }
    return inserted;
}

ClassRegistry::ClassPtr ClassRegistry::replace(ClassPtr cls) {
    if (!cls) {
        return nullptr;
    }
    std::unique_lock<std::shared_mutex> lock(mutex_);
    auto& slot = classes_[cls->name()];
    std::swap(slot, cls);
    return cls;
}

bool ClassRegistry::remove(std::string_view name) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    const auto it = classes_.find(name);
    if (it == classes_.end()) {
        return false;
    }
    classes_.erase(it);
    return true;
}

ClassRegistry::ClassPtr ClassRegistry::lookup(std::string_view name) const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    const auto it = classes_.find(name);
    return it == classes_.end() ? nullptr : it->second;
}

std::vector<std::string> ClassRegistry::names() const {
    std::shared_lock<std::shared_mutex> lock(mutex_);
    std::vector<std::string> result;
    result.reserve(classes_.size());
    for (const auto& [name, cls] : classes_) {
        result.push_back(name);
    }
    return result;
}

bool ClassRegistry::loadModule(const std::filesystem::path& path, std::string* error) {
    // The module stays loaded for the life of the process: its classes' code must remain.
    if (::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL) != nullptr) {
        return true;
    }
    const char* message = ::dlerror();
    const std::string text = message ? message : "cannot load " + path.string();
    Logger::applicationError("The adapter module " + path.string() + " was not loaded: " + text);
    if (error) {
        *error = text;
    }
    return false;
}

void ClassRegistry::restore(const ClassPtr& current, ClassPtr previous) {
    std::unique_lock<std::shared_mutex> lock(mutex_);
    const auto it = classes_.find(current->name());
    if (it == classes_.end() || it->second != current) {
        return;
    }
    if (previous) {
        it->second = std::move(previous);
    } else {
        classes_.erase(it);
    }
}

ClassRegistry::ScopedRegistration::ScopedRegistration(ClassPtr cls, ClassRegistry& registry)
    : registry_(&registry), class_(std::move(cls)) {
    if (class_) {
        previous_ = registry_->replace(class_);
    }
}

ClassRegistry::ScopedRegistration::~ScopedRegistration() {
    if (class_) {
        registry_->restore(class_, std::move(previous_));
    }
}

}  // namespace solen::platform
