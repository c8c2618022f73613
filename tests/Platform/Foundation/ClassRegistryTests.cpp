#include "Platform/Foundation/ClassRegistry.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace solen::platform::registrytest {

struct Greeter {
    virtual ~Greeter() = default;
    virtual std::string greet() const = 0;
};

struct Counter {
    virtual ~Counter() = default;
    virtual int count() const = 0;
};

struct Unrelated {
    virtual ~Unrelated() = default;
};

// Two interfaces on one class, so the two views sit at different addresses.
class Both : public Counter, public Greeter {
public:
    std::string greet() const override { return "hello"; }
    int count() const override { return 7; }
};

class Other : public Greeter {
public:
    explicit Other(std::string text) : text_(std::move(text)) {}
    std::string greet() const override { return text_; }

private:
    std::string text_;
};

}  // namespace solen::platform::registrytest

SOLEN_REGISTER_CLASS("RegistryTest.Both", solen::platform::registrytest::Both, solen::platform::registrytest::Greeter,
                     solen::platform::registrytest::Counter);

namespace solen::platform {
namespace {

using namespace registrytest;

TEST(ClassRegistryTests, StaticRegistrationConformanceAndCreation) {
    const auto cls = ClassRegistry::shared().lookup("RegistryTest.Both");
    ASSERT_TRUE(cls);
    EXPECT_EQ(cls->name(), "RegistryTest.Both");
    EXPECT_TRUE(cls->conformsTo<Greeter>() && cls->conformsTo<Counter>() && cls->conformsTo<Both>());
    EXPECT_FALSE(cls->conformsTo<Unrelated>());

    // Each interface view is adjusted to its own address inside the object.
    EXPECT_EQ(cls->create<Greeter>()->greet(), "hello");
    EXPECT_EQ(cls->create<Counter>()->count(), 7);
    EXPECT_FALSE(cls->create<Unrelated>());

    // Exact names only.
    EXPECT_FALSE(ClassRegistry::shared().lookup("Both"));
    EXPECT_FALSE(ClassRegistry::shared().lookup("registrytest.both"));
}

TEST(ClassRegistryTests, DuplicatesFailingFactoriesAndMissingModulesAreRefused) {
    test::LogCapture log;
    ClassRegistry registry;
    EXPECT_TRUE((registry.add<Both, Greeter>("X")));
    EXPECT_FALSE(registry.add(ClassRegistry::Class::make<Other, Greeter>("X", [] { return std::make_shared<Other>("b"); })));
    EXPECT_EQ(registry.lookup("X")->create<Greeter>()->greet(), "hello");
    EXPECT_TRUE(log.contains("Class X is already registered"));
    EXPECT_TRUE(registry.remove("X"));
    EXPECT_FALSE(registry.remove("X"));

    const auto failing = ClassRegistry::Class::make<Other, Greeter>(
        "Failing", []() -> std::shared_ptr<Other> { throw std::runtime_error("no resources"); });
    EXPECT_FALSE(failing->create<Greeter>());
    EXPECT_TRUE(log.contains("no resources"));

    std::string error;
    EXPECT_FALSE(ClassRegistry::loadModule("/nonexistent/libplugin.so", &error));
    EXPECT_NE(error.find("libplugin.so"), std::string::npos);
}

}  // namespace
}  // namespace solen::platform
