#pragma once

#include "Platform/Foundation/URL.h"

#include <solen/ui/Image.h>

#include <functional>
#include <optional>

namespace solen {

// Fetches one image on the process-wide shared session (not the transport's session).
class MediaDownloader {
public:
    using Completion = std::function<void(bool success, std::optional<platform::Image> image)>;

    // Success needs no transport error, an HTTP status of exactly 200 and a body; the image is
    // absent when the body is not an image. No retry. The completion runs on the shared session's
    // queue, exactly once.
    static void downloadImage(const platform::URL& url, Completion completion);
};

}  // namespace solen
