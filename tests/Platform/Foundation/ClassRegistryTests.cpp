#include "Platform/Foundation/ClassRegistry.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

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
    EXPECT_TRUE(cls->conformsTo<Greeter>());
    EXPECT_TRUE(cls->conformsTo<Counter>());
    EXPECT_TRUE(cls->conformsTo<Both>());
    EXPECT_FALSE(cls->conformsTo<Unrelated>());

    const auto greeter = cls->create<Greeter>();
    ASSERT_TRUE(greeter);
    EXPECT_EQ(greeter->greet(), "hello");
    const auto counter = cls->create<Counter>();
    ASSERT_TRUE(counter);
    EXPECT_EQ(counter->count(), 7);
    EXPECT_FALSE(cls->create<Unrelated>());

    // Exact names only.
    EXPECT_FALSE(ClassRegistry::shared().lookup("Both"));
    EXPECT_FALSE(ClassRegistry::shared().lookup("registrytest.both"));
}

TEST(ClassRegistryTests, DuplicateNamesAreRefused) {
    test::LogCapture log;
    ClassRegistry registry;
    EXPECT_TRUE((registry.add<Both, Greeter>("X")));
    EXPECT_FALSE(registry.add(ClassRegistry::Class::make<Other, Greeter>("X", [] { return std::make_shared<Other>("b"); })));
    EXPECT_EQ(registry.lookup("X")->create<Greeter>()->greet(), "hello");
    EXPECT_TRUE(log.contains("Class X is already registered"));
    EXPECT_EQ(registry.names(), std::vector<std::string>{"X"});
    EXPECT_TRUE(registry.remove("X"));
    EXPECT_FALSE(registry.remove("X"));
}

TEST(ClassRegistryTests, ScopedRegistrationRestoresWhatWasThere) {
    auto& registry = ClassRegistry::shared();
    {
        auto scoped = ClassRegistry::ScopedRegistration::of<Other, Greeter>(
            "RegistryTest.Both", [] { return std::make_shared<Other>("replaced"); });
        EXPECT_EQ(registry.lookup("RegistryTest.Both")->create<Greeter>()->greet(), "replaced");
        EXPECT_FALSE(registry.lookup("RegistryTest.Both")->conformsTo<Counter>());
        {
            auto fresh = ClassRegistry::ScopedRegistration::of<Other, Greeter>(
                "RegistryTest.Fresh", [] { return std::make_shared<Other>("fresh"); });
            EXPECT_TRUE(registry.lookup("RegistryTest.Fresh"));
        }
        EXPECT_FALSE(registry.lookup("RegistryTest.Fresh"));
    }
    EXPECT_EQ(registry.lookup("RegistryTest.Both")->create<Greeter>()->greet(), "hello");
}

TEST(ClassRegistryTests, AFailingFactoryGivesNothing) {
    test::LogCapture log;
    const auto cls = ClassRegistry::Class::make<Other, Greeter>(
        "Failing", []() -> std::shared_ptr<Other> { throw std::runtime_error("no resources"); });
    EXPECT_FALSE(cls->create<Greeter>());
    EXPECT_TRUE(log.contains("no resources"));
}

TEST(ClassRegistryTests, LoadingAMissingModuleReportsTheLoaderMessage) {
    test::LogCapture log;
    std::string error;
    EXPECT_FALSE(ClassRegistry::loadModule("/nonexistent/libplugin.so", &error));
    EXPECT_NE(error.find("libplugin.so"), std::string::npos);
}

TEST(ClassRegistryTests, ConcurrentLookupsAndScopedRegistrations) {
    std::atomic<bool> stop{false};
    std::atomic<int> created{0};
    std::thread registrar([&] {
        for (int i = 0; i < 300; ++i) {
            auto scoped = ClassRegistry::ScopedRegistration::of<Other, Greeter>(
                "RegistryTest.Flicker", [] { return std::make_shared<Other>("f"); });
        }
        stop = true;
    });
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!stop) {
                if (const auto cls = ClassRegistry::shared().lookup("RegistryTest.Flicker")) {
                    if (cls->create<Greeter>()) {
                        ++created;
                    }
                }
                (void)ClassRegistry::shared().lookup("RegistryTest.Both");
            }
        });
    }
    registrar.join();
    for (auto& reader : readers) {
        reader.join();
    }
    EXPECT_FALSE(ClassRegistry::shared().lookup("RegistryTest.Flicker"));
}

}  // namespace
}  // namespace solen::platform
