#include "AdService.h"

#include "ConfigDocuments.h"

#include <ThreadPerConnection.h>
#include <WideBacklogServer.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace solen::adserver {
namespace {

using Json = nlohmann::ordered_json;
using Clock = std::chrono::steady_clock;

std::string text(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

// The text member at `path` ("ext", "sdk", "rid") of a parsed body, or "".
std::string textAt(const Json& body, std::initializer_list<const char*> path) {
    const Json* node = &body;
    for (const char* key : path) {
        if (!node->is_object() || !node->contains(key)) {
            return {};
        }
        node = &(*node)[key];
    }
    return node->is_string() ? node->get<std::string>() : std::string();
}

}  // namespace

struct AdService::Impl {
    WideBacklogServer server;
    std::thread listener;
    std::string host = "127.0.0.1";
    int port = 0;
    bool started = false;
    Clock::time_point startedAt = Clock::now();

    mutable std::mutex mutex;
    std::condition_variable changed;
    // Replaced whole, never changed: a request works on the snapshot it took, without copying it.
    std::shared_ptr<const Scenario> scenario;
    std::map<std::string, std::size_t> bidsServed;  // per ad unit
    std::vector<ServiceRequest> recorded;
    std::size_t sequence = 0;
    bool stopping = false;
    Observer observer;

    std::string baseUrl() const { return "http://" + host + ":" + std::to_string(port); }

    // Waits for the answer's delay; a stop cuts it short.
    void wait(std::chrono::milliseconds delay) {
        if (delay.count() <= 0) return;
        std::unique_lock lock(mutex);
        changed.wait_for(lock, delay, [this] { return stopping; });
    }

    std::shared_ptr<const Answer> nextBid(const std::string& adUnit) {
        std::lock_guard lock(mutex);
        const auto it = scenario->bids.find(adUnit);
        if (it == scenario->bids.end()) {
            return {scenario, &scenario->defaultBid};
        }
        std::size_t& served = bidsServed[adUnit];
        const Answer& answer = it->second[std::min(served, it->second.size() - 1)];
        ++served;
        return {scenario, &answer};
    }

    std::shared_ptr<const ServedFile> servedFile(const std::string& path) const {
        std::lock_guard lock(mutex);
        const auto it = scenario->files.find(path);
        return it == scenario->files.end() ? nullptr : std::shared_ptr<const ServedFile>(scenario, &it->second);
    }

    std::shared_ptr<const Scenario> currentScenario() const {
        std::lock_guard lock(mutex);
        return scenario;
    }

    static void send(httplib::Response& response, int status, const Json& body) {
        response.status = status;
        if (body.is_null()) {
            return;
        }
        if (body.is_string()) {
            response.set_content(body.get<std::string>(), "text/plain");
        } else {
            response.set_content(text(body), "application/json");
        }
    }

    void serve(const httplib::Request& request, httplib::Response& response) {
        ServiceRequest record;
        record.atMs = std::chrono::duration<double, std::milli>(Clock::now() - startedAt).count();
        record.method = request.method;
        record.target = request.target;
        record.path = request.path;
        for (const auto& [name, value] : request.headers) {
            record.headers.emplace_back(name, value);
        }
        record.body = request.body;
        const std::string base = baseUrl();

        if (request.path == "/configs") {
            record.kind = ServiceRequest::Kind::config;
            const auto current = currentScenario();
            wait(current->configDelay);
            auto answer = ConfigDocuments::answer(request.body, *current, base);
            record.summary = answer.summary;
            record.status = answer.status;
            send(response, answer.status, answer.body);
        } else if (request.path == "/bid") {
            record.kind = ServiceRequest::Kind::bid;
            const Json body = Json::parse(request.body, nullptr, false);
            const std::string requestId = textAt(body, {"ext", "sdk", "rid"});
            const std::string adUnit = textAt(body, {"ext", "sdk", "adUnitId"});
            const auto served = nextBid(adUnit);
            const Answer& answer = *served;
            wait(answer.delay);
            // "${REQUEST_ID}" lets a line item's trackers name the load they belong to.
            Json reply = ConfigDocuments::withPlaceholder(ConfigDocuments::withBaseUrl(answer.body, base), "${REQUEST_ID}",
                                                          requestId);
            if (reply.is_object() && !reply.contains("requestId")) {
                reply["requestId"] = requestId;
            }
            record.summary = "adUnit=" + adUnit + " rid=" + requestId;
            record.status = answer.status;
            send(response, answer.status, reply);
            if (answer.drop) {
                // Announces the body's length, then fails to write it: the server closes the
                // connection.
                const std::string announced = response.body.empty() ? std::string("{}") : response.body;
                response.body.clear();
                response.set_content_provider(announced.size(), "application/json",
                                              [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
                record.summary += " dropped";
            }
        } else if (request.path == "/analyticsEvent") {
            record.kind = ServiceRequest::Kind::analytics;
            const Json body = Json::parse(request.body, nullptr, false);
            if (body.is_object() && body.contains("ext") && body["ext"].is_object() && body["ext"].contains("events") &&
                body["ext"]["events"].is_array()) {
                for (const Json& event : body["ext"]["events"]) {
                    if (event.is_object() && event.contains("name") && event["name"].is_string()) {
                        record.events.push_back(event["name"].get<std::string>());
                    }
                }
            }
            for (const auto& name : record.events) {
                record.summary += (record.summary.empty() ? "" : " ") + name;
            }
            const auto current = currentScenario();
            const Answer& answer = current->analytics;
            wait(answer.delay);
            record.status = answer.status;
            send(response, answer.status, ConfigDocuments::withBaseUrl(answer.body, base));
        } else if (const auto file = servedFile(request.path)) {
            record.kind = ServiceRequest::Kind::file;
            record.status = file->status;
            record.summary = file->contentType + " " + std::to_string(file->body.size()) + " bytes";
            response.status = file->status;
            response.set_content(file->isText ? ConfigDocuments::withBaseUrl(file->body, base).get<std::string>() : file->body,
                                 file->contentType);
        } else {
            const auto current = currentScenario();
            const Answer& answer = current->other;
            wait(answer.delay);
            record.status = answer.status;
            send(response, answer.status, ConfigDocuments::withBaseUrl(answer.body, base));
        }

        Observer notify;
        {
            std::lock_guard lock(mutex);
            record.sequence = ++sequence;
            recorded.push_back(record);
            notify = observer;
        }
        changed.notify_all();
        if (notify) {
            notify(record);
        }
    }
};

AdService::AdService(Scenario scenario) : impl_(std::make_unique<Impl>()) {
    impl_->scenario = std::make_shared<const Scenario>(std::move(scenario));
    httplib::Server& server = impl_->server;
    server.new_task_queue = [] { return new ThreadPerConnection(); };
    server.set_tcp_nodelay(true);
    server.set_keep_alive_timeout(2);
    const auto handler = [impl = impl_.get()](const httplib::Request& request, httplib::Response& response) {
        impl->serve(request, response);
    };
    server.Get(".*", handler);
    server.Post(".*", handler);
    server.Put(".*", handler);
    server.Delete(".*", handler);
}

AdService::~AdService() { stop(); }

bool AdService::start(const std::string& host, int port) {
    std::lock_guard lock(impl_->mutex);
    if (impl_->started) {
        return false;
    }
    const int bound = port == 0 ? impl_->server.bind_to_any_port(host) : (impl_->server.bind_to_port(host, port) ? port : -1);
    if (bound <= 0) {
        return false;
    }
    impl_->host = host;
    impl_->port = bound;
    impl_->started = true;
    impl_->startedAt = Clock::now();
    impl_->listener = std::thread([impl = impl_.get()] { impl->server.listen_after_bind(); });
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (!impl_->server.is_running() && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return impl_->server.is_running();
}

void AdService::stop() {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->stopping = true;
    }
    impl_->changed.notify_all();
    impl_->server.stop();
    if (impl_->listener.joinable()) {
        impl_->listener.join();
    }
}

bool AdService::isRunning() const { return impl_->server.is_running(); }

int AdService::port() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->port;
}

std::string AdService::baseUrl() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->baseUrl();
}

void AdService::setObserver(Observer observer) {
    std::lock_guard lock(impl_->mutex);
    impl_->observer = std::move(observer);
}

void AdService::setScenario(Scenario scenario) {
    std::lock_guard lock(impl_->mutex);
    impl_->scenario = std::make_shared<const Scenario>(std::move(scenario));
    impl_->bidsServed.clear();
}

std::vector<ServiceRequest> AdService::requests() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->recorded;
}

std::size_t AdService::requestCount() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->recorded.size();
}

std::size_t AdService::eventCount(const std::string& name) const {
    std::lock_guard lock(impl_->mutex);
    std::size_t count = 0;
    for (const auto& request : impl_->recorded) {
        for (const auto& event : request.events) {
            count += event == name ? 1 : 0;
        }
    }
    return count;
}

std::size_t AdService::countOf(ServiceRequest::Kind kind) const {
    std::lock_guard lock(impl_->mutex);
    std::size_t count = 0;
    for (const auto& request : impl_->recorded) {
        count += request.kind == kind ? 1 : 0;
    }
    return count;
}

bool AdService::waitFor(const std::function<bool(const std::vector<ServiceRequest>&)>& predicate,
                        std::chrono::milliseconds timeout) const {
    std::unique_lock lock(impl_->mutex);
    return impl_->changed.wait_for(lock, timeout, [&] { return predicate(impl_->recorded); });
}

void AdService::clearRequests() {
    std::lock_guard lock(impl_->mutex);
    impl_->recorded.clear();
}

std::string AdService::timeline() const {
    std::string lines;
    for (const auto& request : requests()) {
        lines += request.timelineLine();
        lines += '\n';
    }
    return lines;
}

nlohmann::ordered_json AdService::toJson() const {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const auto& request : requests()) {
        list.push_back(request.toJson());
    }
    return list;
}

}  // namespace solen::adserver
