// A bid answer served over HTTP, decoded by the bid client and auctioned through the real bidders,
// wrappers and tracker manager, whose trackers reach the same server.
#include "Ad/Managers/AuctionManager/Auctioneer.h"
#include "Ad/Network/AdNetworkInterface.h"
#include "Commons/Utilities/MainQueue.h"
#include "Platform/Foundation/URL.h"
#include "support/AdResponseBuilder.h"
#include "support/DispatchWait.h"
#include "support/LocalServiceEndpoint.h"
#include "support/RecordingAuctioneerDelegate.h"
#include "support/ScopedAdapterSettings.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedNetwork.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace solen {
namespace {

using namespace std::chrono_literals;
using test::AdResponseBuilder;
using test::ScriptedNetwork;
using Answer = ScriptedNetwork::LoadAnswer;

TEST(AuctionIntegrationTests, AServedResponseIsAuctionedAndItsTrackersReachTheServerInOrder) {
    test::LocalHttpServer& server = test::localServiceEndpoint();
    test::ScopedUserDefaults defaults;
    test::ScopedAdapterSettings settings({test::ScopedAdapterSettings::network("acme", "Acme", 3000),
                                          test::ScopedAdapterSettings::network("hb", "Hb", 3000, true)});
    ScriptedNetwork::Script script;
    script.lineItemLoads["A"] = {{Answer::failed(SolenAdapterError::noFill(SolenErrorData::ofClass("Acme", "none", "")))},
                                 {0.1, nullptr}};
    script.lineItemLoads["B"] = {{Answer::loaded()}, {0.1, nullptr}};
    ScriptedNetwork acme("Acme", {AdFormat::banner}, script, SdkInitializedResult::success(true));

    std::string body = AdResponseBuilder()
                           .add(AdResponseBuilder::lineItem("A", "acme"))
                           .add(AdResponseBuilder::lineItem("B", "acme"))
                           .add(AdResponseBuilder::lineItem("H", "hb"))
                           .add(AdResponseBuilder::lineItem("C", "acme"))
                           .auctionTimeout(5000)
                           .build()
                           .encode()
                           .dump();
    const std::string captured = "http://" + std::string(AdResponseBuilder::captureHost);
    for (auto at = body.find(captured); at != std::string::npos; at = body.find(captured, at)) {
        body.replace(at, captured.size(), server.baseUrl());
    }
    server.clearRequests();
    server.enqueue("/bid", test::ScriptedAnswer::json(200, body));

    const auto manager = std::make_shared<test::RecordingAuctioneerDelegate>();
    std::shared_ptr<Auctioneer> auctioneer = Auctioneer::create(manager, AdSetting());
    const auto client = AdNetworkInterface::create();
    client->setDidGetAdResponse([&auctioneer](const AdResponse& response, const std::string&) {
        performOnMainQueue([&auctioneer, response] { auctioneer->startAuction(response); });
    });
    client->getAd("load-1", "unit-1", ImpressionInfo{});
    ASSERT_TRUE(test::waitUntil([&] { return !manager->events().empty(); }, 10s));
    EXPECT_THAT(manager->events(), ::testing::ElementsAre("didFinishLoading"));

    // Three moments, 100 ms apart: A starts; A fails and B starts; B loads and wins.
    const std::map<std::string, int> moment = {
        {"networkLoad:A", 0}, {"networkNoFill:A", 1}, {"bidLoss:A", 1}, {"networkLoad:B", 1},
        {"networkFill:B", 2}, {"adFill:B", 2},        {"bidLoss:H", 2}, {"bidLoss:C", 2},
    };
    std::vector<std::pair<std::string, platform::URL>> trackers;
    const auto collect = [&] {
        trackers.clear();
        for (const auto& request : server.requests()) {
            const auto url = platform::URL::parse(server.url(request.target));
            if (request.path == "/t" && url) {
                std::map<std::string, std::string> query;
                for (const auto& item : url->queryItems().value_or(std::vector<platform::URLQueryItem>{})) {
                    query[item.name] = item.value.value_or("");
                }
                trackers.emplace_back(query["kind"] + ":" + query["li"], *url);
            }
        }
        return trackers.size() >= moment.size();
    };
    ASSERT_TRUE(test::waitUntil(collect, 10s));
    EXPECT_TRUE(test::drainGlobalQueue());
    collect();
    ASSERT_EQ(trackers.size(), moment.size());
    int last = 0;
    for (const auto& [event, url] : trackers) {
        ASSERT_TRUE(moment.count(event)) << event;
        EXPECT_GE(moment.at(event), last) << event;
        last = moment.at(event);
        if (event == "adFill:B") {
            EXPECT_THAT(url.absoluteString(), ::testing::HasSubstr("CR_ID=creative-1&"));
        }
    }
}

}  // namespace
}  // namespace solen
