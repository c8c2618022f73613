#pragma once

#include <string>

namespace solen::test {

// Representative VAST documents, shaped like what ad servers send, for tests and benchmarks.
struct VastDocuments {
    // VAST 2.0 inline: one linear creative with tracking, clicks, two media files and a companion.
    static const std::string& vast2Inline();
    // VAST 3.0 pod of two inline ads (sequence 1 and 2) with icons, progress offsets, pricing, a
    // non-linear creative and ad parameters in CDATA.
    static const std::string& vast3Pod();
    // VAST 4.2 inline: verifications, universal ad id, viewable impression, categories, interactive
    // file, creative extensions, extensions with creative parameters, companions.
    static const std::string& vast4Inline();
    // VAST 4.1 wrapper pointing to another document, with its own impressions and tracking.
    static const std::string& vast4Wrapper();
};

}  // namespace solen::test
