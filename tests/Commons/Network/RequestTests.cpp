#include "Commons/Network/Request.h"
#include "Commons/Network/ServerError.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>
#include <vector>

namespace solen {
namespace {

platform::URL url(const char* text) { return *platform::URL::parse(text); }

std::string body(const platform::URLRequest& request) {
    return request.httpBody() ? std::string(request.httpBody()->begin(), request.httpBody()->end()) : "<absent>";
}

struct Record {
    std::string name;
    std::optional<double> price;
    Json encode() const { return JsonWriter().set("name", name).set("price", price).take(); }
};

TEST(RequestBuilding, GetCarriesQueryParametersAndNoBodyAndMethodTextsAreExact) {
    auto request = Request::create(url("http://e.com/p?a=1"), Request::HTTPMethod::get, Encodable(Json{{"x", 1}}));
    const auto untouched = request->urlRequest();
    ASSERT_TRUE(untouched);
    EXPECT_EQ(untouched->url()->absoluteString(), "http://e.com/p?a=1");
    EXPECT_EQ(untouched->httpMethod(), "GET");
    EXPECT_FALSE(untouched->httpBody());
    EXPECT_FALSE(untouched->value("Content-Type"));
    EXPECT_EQ(untouched->timeoutInterval(), 60.0);

    request->setUrlParams(Json{{"b", 2}, {"c", "x y"}});
    request->setTimeout(2.5);
    const auto withQuery = request->urlRequest();
    EXPECT_EQ(withQuery->url()->absoluteString(), "http://e.com/p?a=1&b=2&c=x%20y");
    EXPECT_EQ(withQuery->timeoutInterval(), 2.5);

    auto head = Request::create(url("http://e.com/h"), Request::HTTPMethod::head);
    head->setUrlParams(Json{{"q", "1"}});
    EXPECT_EQ(head->urlRequest()->url()->absoluteString(), "http://e.com/h?q=1");
    EXPECT_EQ(head->urlRequest()->httpMethod(), "HEAD");

    // Method texts are exact and case-sensitive.
    EXPECT_EQ(Request::rawValue(Request::HTTPMethod::head), "HEAD");
    EXPECT_EQ(Request::methodFromRawValue("PUT"), Request::HTTPMethod::put);
    EXPECT_FALSE(Request::methodFromRawValue("post"));
    EXPECT_FALSE(Request::methodFromRawValue("DELETE"));
}

TEST(RequestBuilding, PostAndPutCarryTheJsonBodyAndNoQuery) {
    auto post = Request::create(url("http://e.com/bid"), Request::HTTPMethod::post, Encodable(Record{"n", std::nullopt}));
    post->setUrlParams(Json{{"ignored", 1}});
    const auto built = post->urlRequest();
    ASSERT_TRUE(built);
    EXPECT_EQ(built->url()->absoluteString(), "http://e.com/bid");
    EXPECT_EQ(body(*built), R"({"name":"n"})");
    EXPECT_EQ(built->value("Content-Type"), "application/json");

    auto put = Request::create(url("http://e.com/x"), Request::HTTPMethod::put, Encodable(Json::array({1, 2})));
    EXPECT_EQ(body(*put->urlRequest()), "[1,2]");

    auto empty = Request::create(url("http://e.com/bid"), Request::HTTPMethod::post);
    EXPECT_FALSE(empty->urlRequest()->httpBody());
    EXPECT_FALSE(empty->urlRequest()->value("Content-Type"));
}

TEST(RequestBuilding, HeaderFieldsAreAddedAfterTheBody) {
    auto request = Request::create(url("http://e.com/bid"), Request::HTTPMethod::post, Encodable(Json::object()));
    request->addHeaders({{"Content-Type", "text/plain"}, {"X-A", "1"}});
    request->addHeaders({{"X-A", "2"}});
    EXPECT_EQ(request->header().at("X-A"), "2");
    const auto built = request->urlRequest();
    EXPECT_EQ(built->value("X-A"), "2");
    // The JSON default is set with the body; the caller's field is added to it.
    EXPECT_EQ(built->value("content-type"), "application/json,text/plain");
}

TEST(RequestBuilding, BodyThatCannotBeEncodedFailsTheBuildInsteadOfGoingOutEmpty) {
    auto request = Request::create(url("http://e.com/bid"), Request::HTTPMethod::post,
                                   Encodable(Record{"n", std::numeric_limits<double>::quiet_NaN()}));
    std::string failure;
    EXPECT_FALSE(request->urlRequest(&failure));
    EXPECT_NE(failure.find("price"), std::string::npos);

    auto invalidText = Request::create(url("http://e.com/bid"), Request::HTTPMethod::post,
                                       Encodable(Json{{"t", std::string("\xff\xfe")}}));
    EXPECT_FALSE(invalidText->urlRequest());

    auto throwing = Request::create(url("http://e.com/bid"), Request::HTTPMethod::put,
                                    Encodable::fromEncoder([]() -> Json { throw std::runtime_error("no"); }));
    EXPECT_FALSE(throwing->urlRequest(&failure));
    EXPECT_EQ(failure, "no");

    // A GET never encodes its body, so it cannot fail on it.
    auto get = Request::create(url("http://e.com/bid"), Request::HTTPMethod::get,
                               Encodable(Record{"n", std::numeric_limits<double>::infinity()}));
    EXPECT_TRUE(get->urlRequest());
}

// A Json value is encoded once and shared by copies (retries, repeated sends); a record's encoder
// runs on every send, since what it builds may change between sends.
TEST(RequestBuilding, JsonBodiesAreEncodedOnceAndRecordsOnEverySend) {
    const Encodable json(Json{{"a", 1}, {"b", Json::array({1.5, "x"})}});
    const Encodable copy = json;
    std::vector<std::thread> senders;
    std::vector<std::optional<Encodable::Data>> encoded(4);
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        senders.emplace_back([&, i] { encoded[i] = (i % 2 == 0 ? json : copy).jsonData(); });
    }
    for (auto& sender : senders) sender.join();
    for (const auto& data : encoded) {
        ASSERT_TRUE(data);
        EXPECT_EQ(std::string(data->begin(), data->end()), R"({"a":1,"b":[1.5,"x"]})");
    }

    int calls = 0;
    const Encodable counted = Encodable::fromEncoder([&calls] { return Json{{"call", ++calls}}; });
    counted.jsonData();
    const auto second = counted.jsonData();
    ASSERT_TRUE(second);
    EXPECT_EQ(std::string(second->begin(), second->end()), R"({"call":2})");

    const Encodable broken(Json{{"t", std::string("\xff\xfe")}});
    std::string first;
    std::string again;
    EXPECT_FALSE(broken.jsonData(&first));
    EXPECT_FALSE(broken.jsonData(&again));
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, again);
}

TEST(ServerErrorBody, ReadsTheErrorListAndNothingElse) {
    auto decode = [](std::string_view text) {
        return ServerError::fromData(std::vector<std::uint8_t>(text.begin(), text.end()));
    };
    EXPECT_EQ(decode(R"({"errors":["a","b"],"other":{}})")->joinedMessage(), "ab");
    EXPECT_FALSE(decode(R"({"other":1})")->errors);
    EXPECT_FALSE(decode(R"({"errors":[]})")->joinedMessage());
    EXPECT_FALSE(decode(R"({"errors":"a"})"));
    EXPECT_FALSE(decode(R"(["a"])"));
    EXPECT_FALSE(decode("<html>"));
    EXPECT_FALSE(decode(""));
    EXPECT_FALSE(decode(std::string(100000, '[')));
}

}  // namespace
}  // namespace solen
