#pragma once

// The ad responses the decoding benchmarks read: a 50-item answer shaped like a real one, and an
// answer of about 4 MiB made of free-form adapter settings.
#include <cstddef>
#include <string>

namespace solen::bench {

// One line item: an adapter's settings and impression data (free-form), seven tracker lists of
// one URL each; every fifth one a server-to-server native item with its markup and creative.
inline std::string lineItem(int index) {
    const std::string id = std::to_string(index);
    const std::string base = "https://track.example.test/e?li=" + id;
    std::string trackers;
    for (const char* list : {"networkLoad", "networkFill", "networkNoFill", "adFill", "bidLoss", "impression", "click"}) {
        trackers += std::string(trackers.empty() ? "" : ",") + "\"" + list + "\":[\"" + base + "&ev=" + list +
                    "&imp=$IMP&cr=$CR_ID&nl=$NETWORK_LATENCY&dr=$DROP_REASON&dd=$DROP_DESCRIPTOR\"]";
    }
    std::string item = R"({"lineItemId":"li-)" + id + R"(","networkId":"net-)" + std::to_string(index % 7) +
                       R"(","lineItemMeta":{"placementId":"p-)" + id + R"(","floor":1.25,"tags":["a","b"]},)" +
                       R"("s2s":)" + (index % 5 == 0 ? "true" : "false") + R"(,"timeout":3000,"impressionData":)" +
                       R"({"revenue":0.0012,"currency":"USD","precision":"estimated"},"trackers":{)" + trackers + "}";
    if (index % 5 == 0) {
        item += R"(,"adm":"PGRpdj5BZDwvZGl2Pg==","creative":{"markupType":2,"creativeId":"cr-)" + id +
                R"(","pubContent":{"title":{"required":true,"value":"Title"},"description":{"required":false,)" +
                R"("value":"A description"},"sponsored":{"required":true,"value":"Brand"},"media":{"type":1,)" +
                R"("content":{"required":true,"url":"https://img.example.test/a.png"}},"cta":{"required":false,)" +
                R"("value":"Install","onClick":{"url":"https://land.example.test","openMode":2,)" +
                R"("clickTrackers":["https://track.example.test/c"]}}}})";
    }
    return item + "}";
}

inline std::string responseBody(int lineItems) {
    std::string ads;
    for (int i = 0; i < lineItems; ++i) {
        if (i > 0) {
            ads += ',';
        }
        ads += lineItem(i);
    }
    return R"({"requestId":"b1c9","refreshConfig":false,"noAdFillEventUrl":"https://track.example.test/nf?l=$LOAD_LATENCY",)"
           R"("auctionTimeout":5000,"rewardedVideo":false,"ads":[)" + ads + "]}";
}

// An answer of about 4 MiB whose line items each carry a free-form `lineItemMeta` object of about
// 600 bytes (adapter settings: texts, integers, fractions, flags, nested lists and objects), or,
// with `asStrings`, the same bytes with each of those objects turned into one string of the same
// length (its quotes become apostrophes).
inline std::string freeFormAnswer(bool asStrings) {
    const std::size_t limit = std::size_t{4} << 20;
    std::string ads;
    for (int i = 0;; ++i) {
        const std::string id = std::to_string(i);
        std::string meta = R"({"placementId":"placement-)" + id + R"(","appKey":"k8f3a9c2e7d1b6)" + id +
                           R"(","floor":)" + std::to_string(i % 90) + R"(.25,"weight":)" + std::to_string(i % 13) +
                           R"(,"bidding":true,"test":false,"tags":["sports","news","video","native"],)" +
                           R"("sizes":[[320,50],[300,250],[728,90]],"targeting":{"age":[18,34],"gender":"any",)" +
                           R"("interests":["games","music","travel"],"geo":{"country":"DE","region":"BY","lat":48.137,)" +
                           R"("lon":11.575}},"timeouts":{"load":3000,"show":1500,"click":800},"frequency":{"cap":5,)" +
                           R"("perHours":24,"pacing":0.75},"labels":{"en":"Install now","de":"Jetzt installieren",)" +
                           R"("fr":"Installer"},"version":"4.2.1-build.)" + id + R"(","mediated":false,"priority":)" +
                           std::to_string(i % 5) + "}";
        if (asStrings) {
            for (char& c : meta) {
                if (c == '"') {
                    c = '\'';
                }
            }
            meta = '"' + meta.substr(1, meta.size() - 2) + '"';
        }
        const std::string item = std::string(i == 0 ? "" : ",") + R"({"lineItemId":"li-)" + id +
                                 R"(","networkId":"net-)" + std::to_string(i % 7) + R"(","lineItemMeta":)" + meta +
                                 R"(,"trackers":{}})";
        if (ads.size() + item.size() + 200 > limit) {
            break;
        }
        ads += item;
    }
    return R"({"requestId":"b1c9","refreshConfig":false,"noAdFillEventUrl":"https://track.example.test/nf",)"
           R"("auctionTimeout":5000,"ads":[)" + ads + "]}";
}

}  // namespace solen::bench
