#include "Platform/Media/DownloadingMediaFactsSource.h"

#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/URLError.h"
#include "Platform/Media/MediaError.h"

#include <mutex>

namespace solen::platform {

// One load: the steps hold it strongly until they have run; cancelling marks it and cancels the
// download under way.
struct DownloadingMediaFactsSource::Load final : Request {
    URL url;
    Completion completion;
    std::mutex mutex;
    bool cancelled = false;
    std::shared_ptr<HttpSession::DataTask> task;

    Load(URL url, Completion completion) : url(std::move(url)), completion(std::move(completion)) {}

    void cancel() override {
        std::shared_ptr<HttpSession::DataTask> running;
        {
            std::lock_guard<std::mutex> lock(mutex);
            cancelled = true;
            running = std::move(task);
        }
        if (running) running->cancel();
    }
    bool isCancelled() {
        std::lock_guard<std::mutex> lock(mutex);
        return cancelled;
    }
    // Runs the completion once, unless cancelled.
    void finish(MediaFacts facts) {
        Completion done;
        std::shared_ptr<HttpSession::DataTask> finished;  // the task holds this load: let go of it
        {
            std::lock_guard<std::mutex> lock(mutex);
            finished = std::move(task);
            if (cancelled) return;
            done = std::move(completion);
            completion = nullptr;
        }
        if (done) done(std::move(facts));
    }
};

std::shared_ptr<DownloadingMediaFactsSource> DownloadingMediaFactsSource::create(std::shared_ptr<HttpSession> session,
                                                                                 MediaModule* module) {
    return std::shared_ptr<DownloadingMediaFactsSource>(new DownloadingMediaFactsSource(
        std::move(session), module ? *module : MediaModule::shared()));
}

MediaFacts DownloadingMediaFactsSource::probe(const HttpSession::Data& bytes) {
    solen_media_facts probed{};
    if (!module_.probe(bytes.data(), bytes.size(), probed)) {
        return MediaFacts::failure(MediaError::make(MediaError::Code::moduleUnavailable, probed.message));
    }
    return MediaFacts::fromProbe(probed);
}

std::shared_ptr<MediaFactsSource::Request> DownloadingMediaFactsSource::load(const URL& url, Completion completion) {
    auto load = std::make_shared<Load>(url, std::move(completion));
    auto self = shared_from_this();
    DispatchQueue::global()->async([self, load] {
        if (load->isCancelled()) return;
        const auto scheme = load->url.scheme();
        if (!scheme || (*scheme != "http" && *scheme != "https")) {
            load->finish(MediaFacts::failure(URLError::make(URLErrorCode::unsupportedURL)));
            return;
        }
        // A host without the module learns it before paying for the download.
        if (auto failure = self->module_.load()) {
            load->finish(MediaFacts::failure(MediaError::make(MediaError::Code::moduleUnavailable, *failure)));
            return;
        }
        const auto session = self->session_ ? self->session_ : HttpSession::shared();
        auto task = session->dataTask(
            URLRequest(load->url),
            [self, load](std::optional<HttpSession::Data> data, std::optional<URLResponse> response,
                         std::optional<Error> error) {
                if (error) {
                    load->finish(MediaFacts::failure(std::move(*error)));
                    return;
                }
                const std::int64_t status = response ? response->statusCode : 0;
                if (status != 200 || !data) {
                    load->finish(MediaFacts::failure(MediaError::make(
                        MediaError::Code::badServerResponse, "media address answered HTTP " + std::to_string(status))));
                    return;
                }
                // Off the session's queue: other exchanges' completions do not wait for the probe.
                DispatchQueue::global()->async([self, load, bytes = std::move(*data)] {
                    if (!load->isCancelled()) load->finish(self->probe(bytes));
                });
            });
        {
            std::lock_guard<std::mutex> lock(load->mutex);
            if (load->cancelled) return;
            load->task = task;
        }
        task->resume();
    });
    return load;
}

}  // namespace solen::platform
