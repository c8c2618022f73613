#include "support/ServedMediaClip.h"

#include "Platform/Foundation/HttpSession.h"

#include <fstream>
#include <iterator>

namespace solen::test {

ServedMediaClip::ServedMediaClip(const std::string& fileName) : module(std::string(SOLEN_MEDIA_MODULE_PATH)) {
    std::ifstream in(std::string(SOLEN_TEST_MEDIA_DIR) + "/" + fileName, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    server.setDefaultAnswer(ScriptedAnswer::text(200, bytes, "video/mp4"));
    source = platform::DownloadingMediaFactsSource::create(platform::HttpSession::create(), &module);
}

}  // namespace solen::test
