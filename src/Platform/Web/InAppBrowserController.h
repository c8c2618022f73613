#pragma once

#include "Platform/Foundation/URL.h"

#include <solen/ui/ViewController.h>

namespace solen::platform {

// The in-app browser: a full-screen controller showing one web address. Nothing is fetched or
// shown here; presenting and dismissing it run the controller's appearance callbacks in the
// platform's order (see ViewController), which is what its users observe. Main thread only.
class InAppBrowserController : public ViewController {
public:
    explicit InAppBrowserController(URL url, bool entersReaderIfAvailable = false)
        : url_(std::move(url)), entersReaderIfAvailable_(entersReaderIfAvailable) {}

    const URL& url() const { return url_; }
    bool entersReaderIfAvailable() const { return entersReaderIfAvailable_; }

private:
    URL url_;
    bool entersReaderIfAvailable_;
};

}  // namespace solen::platform
