#pragma once

#include "Ad/Network/Models/ImpressionInfo.h"
#include "Commons/Network/Request.h"

#include <memory>
#include <string>

namespace solen {

// The bid request of one load: a POST of the assembled bid request document to the bid endpoint,
// with the ad-format document's fetch time-out and no retries.
class AdRequest : public Request {
public:
    // Nothing when the bid endpoint is not a URL ("Invalid url" on standard output) or when the
    // document cannot be encoded (logged). Assembling the document moves the session forward.
    static std::shared_ptr<AdRequest> create(const std::string& adUnitId, const ImpressionInfo& impressionInfo);

    // A bid request with a prepared body (`timeoutSeconds` from the fetch time-out).
    AdRequest(platform::URL url, Encodable body, double timeoutSeconds);
};

}  // namespace solen
