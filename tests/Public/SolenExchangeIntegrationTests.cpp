// What leaves the device, and how exchanges with the services end, through the public classes
// against the local ad service: an https bid request is never re-sent in cleartext after a
// redirect, the advertising identifier stays on the device unless tracking is authorised, and a
// config answer over the size limit ends start-up at once instead of being fetched again.
#if !defined(SOLEN_HAVE_ADSERVER)
#include <gtest/gtest.h>
TEST(SolenExchangeIntegrationTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }
#else

#include "Ad/Network/AdError.h"
#include "Commons/Network/NetworkServiceProvider.h"
#include "support/DispatchWait.h"
#include "support/LocalAdServiceSdk.h"
#include "support/LocalHttpServer.h"
#include "support/ProgramEnd.h"
#include "support/ScopedDeviceSignals.h"
#include "support/ScopedUserDefaults.h"
#include "support/TestCertificate.h"

#include <solen/Solen.h>
#include <solen/SolenBanner.h>
#include <solen/SolenInitializationError.h>
#include <solen/host/Device.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace solen {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;

// The ad units the https front of the ad server redirects: to its own final path, or to the
// plain http service.
constexpr const char* secureRedirectUnit = "secure-redirect";
constexpr const char* plainRedirectUnit = "plain-redirect";

// The program's services: the local ad service (config, analytics, trackers) and an https front
// that the ad-format document names as the ad server. The SDK's session trusts the front's
// certificate. Started once; the SDK is pointed at them but not initialised.
struct Services {
    test::LocalHttpServer front{test::LocalHttpServer::Transport::https};
    std::unique_ptr<adserver::AdService> service;

    adserver::Scenario scenario() const {
        adserver::Scenario scenario = adserver::Scenario::defaults();
        scenario.documents["primeAds"].patch = Json{{"url", front.url("/bid")}, {"fetchTimeout", 2000.0}};
        return scenario;
    }
};

Services& services() {
    static Services* instance = [] {
        auto* made = new Services();
        platform::HttpSession::Configuration configuration;
        configuration.certificateAuthorityFile = test::TestCertificate::loopback().certificateFile();
        NetworkServiceProvider::setSession(platform::HttpSession::create(configuration));
        made->service = test::startServiceForSdk(made->scenario());
        const std::string plainBid = made->service ? made->service->baseUrl() + "/bid" : "";
        made->front.setHandler([front = &made->front, plainBid](const test::RecordedRequest& request) {
            if (request.path == "/final") return test::ScriptedAnswer::json(204, "");
            const Json body = Json::parse(request.body, nullptr, false);
            const std::string unit = body.is_discarded() ? "" : body["ext"]["sdk"].value("adUnitId", "");
            if (unit == secureRedirectUnit) return test::ScriptedAnswer::redirect(307, front->url("/final"));
            if (unit == plainRedirectUnit) return test::ScriptedAnswer::redirect(307, plainBid);
            return test::ScriptedAnswer::json(204, "");
        });
        test::atProgramEnd([made] {
            made->front.stop();
            if (made->service) made->service->stop();
        });
        return made;
    }();
    if (!instance->service) {
        std::fprintf(stderr, "the local ad service did not start\n");
        std::abort();
    }
    return *instance;
}

void initialise() {
    if (!Solen::isInitialized()) {
        ASSERT_EQ(test::initializeSdk("exchange-app"), 0);
    }
}

// The one terminal callback of each load: 0 for a fill, else the error's code.
class LoadRecorder final : public SolenBannerDelegate {
public:
    std::shared_ptr<platform::ViewController> viewControllerForSolenBannerFullScreen() override { return nullptr; }
    void solenBannerDidLoad(SolenBanner&) override { outcomes.push_back(0); }
    void solenBannerDidFailToLoad(SolenBanner&, const platform::Error& error) override { outcomes.push_back(error.code); }
    std::vector<std::int64_t> outcomes;
};

// Loads a banner of `unit` and gives its one outcome.
std::int64_t loadBanner(const std::string& unit) {
    const auto recorder = std::make_shared<LoadRecorder>();
    const auto banner = SolenBanner::create(unit, {320, 50}, recorder);
    banner->load();
    test::waitUntil([&] { return !recorder->outcomes.empty(); }, 10s);
    EXPECT_TRUE(test::settle());
    EXPECT_EQ(recorder->outcomes.size(), 1u);
    return recorder->outcomes.empty() ? -1 : recorder->outcomes.front();
}

// Runs first in its process (each test runs in one of its own under ctest): start-up only fails
// before the SDK has started once.
TEST(SolenExchangeIntegrationTests, ConfigAnswerOverTheSizeLimitEndsStartUpAfterOneRequest) {
    test::ScopedUserDefaults defaults;
    Services& services = solen::services();
    if (Solen::isInitialized()) GTEST_SKIP() << "the SDK has already started in this process";
    // The built-in root document retries a failed fetch twice, 10 s apart: a retried fetch would
    // end start-up only after 20 s.
    adserver::Scenario oversized = services.scenario();
    oversized.documents["signals"].patch = Json{{"padding", std::string(std::size_t{5} << 20, 'x')}};
    services.service->setScenario(oversized);
    services.service->clearRequests();
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(test::initializeSdk("exchange-app", 30s),
              static_cast<std::int64_t>(SolenInitializationError::configFetchFailed));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 8s);
    EXPECT_EQ(services.service->countOf(adserver::ServiceRequest::Kind::config), 1u) << services.service->timeline();

    // A service that answers within the limit again lets the SDK start.
    services.service->setScenario(services.scenario());
    EXPECT_EQ(test::initializeSdk("exchange-app"), 0);
}

TEST(SolenExchangeIntegrationTests, HttpsBidRequestIsNeverResentInCleartextAfterARedirect) {
    test::ScopedUserDefaults defaults;
    Services& services = solen::services();
    initialise();
    services.front.clearRequests();
    services.service->clearRequests();

    // Redirected within https: followed, the bid request arrives whole at the final path.
    EXPECT_EQ(loadBanner(secureRedirectUnit), AdError::noFill().code());
    const auto secure = services.front.requests();
    ASSERT_EQ(secure.size(), 2u);
    EXPECT_EQ(secure[1].path, "/final");
    EXPECT_EQ(secure[1].body, secure[0].body);

    // Redirected to http: the load fails and nothing reaches the plain service.
    EXPECT_EQ(loadBanner(plainRedirectUnit), AdError::serverError(0, "").code());
    EXPECT_EQ(services.front.requestCount(), 3u);
    EXPECT_EQ(services.service->countOf(adserver::ServiceRequest::Kind::bid), 0u) << services.service->timeline();
}

TEST(SolenExchangeIntegrationTests, AdvertisingIdentifierStaysOnTheDeviceUnlessTrackingIsAuthorised) {
    test::ScopedUserDefaults defaults;
    test::ScopedDeviceSignals signals;
    Services& services = solen::services();
    const std::string identifier = "6D92078A-8246-4BA4-AE5B-76104861E7DC";
    std::string lower = identifier;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    const auto carriers = [&] {
        std::size_t count = 0;
        std::vector<std::string> texts;
        for (const auto& request : services.front.requests()) texts.push_back(request.target + " " + request.body);
        for (const auto& request : services.service->requests()) texts.push_back(request.target + " " + request.body);
        for (const auto& text : texts) {
            count += text.find(identifier) != std::string::npos || text.find(lower) != std::string::npos;
        }
        return count;
    };
    host::Device::setTrackingAuthorization(host::Device::TrackingAuthorization::denied);
    host::Device::setAdvertisingIdentifier(identifier);
    services.front.clearRequests();
    services.service->clearRequests();

    // Start-up (its analytics event, when it starts here) and a bid request: none carries it.
    initialise();
    EXPECT_EQ(loadBanner("privacy-banner"), AdError::noFill().code());
    ASSERT_EQ(services.front.requestCount(), 1u);
    EXPECT_NE(services.front.requests().front().body.find(R"("att":"2")"), std::string::npos);
    EXPECT_EQ(carriers(), 0u);

    // Authorised, the next bid request carries it (the check above would have seen it).
    host::Device::setTrackingAuthorization(host::Device::TrackingAuthorization::authorized);
    EXPECT_EQ(loadBanner("privacy-banner"), AdError::noFill().code());
    EXPECT_EQ(carriers(), 1u);
}

}  // namespace
}  // namespace solen

#endif
