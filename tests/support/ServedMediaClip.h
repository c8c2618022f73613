#pragma once

#include "Platform/Media/DownloadingMediaFactsSource.h"
#include "Platform/Media/MediaModule.h"
#include "support/LocalHttpServer.h"

#include <memory>
#include <string>

namespace solen::test {

// A committed media file (by name, from the test media folder) served at every path of a local
// server, and a media facts source that downloads it and reads it with the real media module.
struct ServedMediaClip {
    explicit ServedMediaClip(const std::string& fileName);

    LocalHttpServer server;
    platform::MediaModule module;
    std::shared_ptr<platform::DownloadingMediaFactsSource> source;
};

}  // namespace solen::test
