#pragma once

#include "support/ScriptedHttpSession.h"

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace solen::test {

// Captures tracker hits: installs a scripted HTTP session (answering 200 at once) as the session
// of every network service provider while alive, and reads back the requests made to the capture
// address of `AdResponseBuilder`. The trackers of different moments leave from separate
// global-queue blocks, so their order across moments is not fixed: compare sorted lists.
// Thread-safe.
class TrackerCapture {
public:
    struct Hit {
        std::string kind;
        std::string lineItem;
        // The eight macro values as sent, decoded, by token name without "$" ("DROP_REASON", ...).
        std::map<std::string, std::string> macros;

        std::string macro(std::string_view name) const;
    };

    TrackerCapture();
    ~TrackerCapture();
    TrackerCapture(const TrackerCapture&) = delete;
    TrackerCapture& operator=(const TrackerCapture&) = delete;

    const std::shared_ptr<ScriptedHttpSession>& session() const { return session_; }

    // The hits since construction or the last `clear()`, in the order the session received them.
    std::vector<Hit> hits() const;
    std::vector<Hit> hits(std::string_view kind) const;
    // The first hit of `kind` for `lineItem`; an empty hit (kind "") when there is none.
    Hit hit(std::string_view kind, std::string_view lineItem) const;
    // "kind:lineItem" of every hit, sorted.
    std::vector<std::string> events() const;
    void clear();

    // Drains the queues (not the main loop) and returns `events()`.
    std::vector<std::string> settledEvents(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    std::shared_ptr<ScriptedHttpSession> session_;
    std::size_t offset_ = 0;
};

}  // namespace solen::test
