#pragma once

#include "Commons/Network/NetworkServiceProvider.h"

#include <memory>

namespace solen {

// The transport through which the tracker manager sends; immutable after creation.
class TrackerNetworkInterface {
public:
    explicit TrackerNetworkInterface(std::shared_ptr<NetworkServiceProvider> nsp = NetworkServiceProvider::create())
        : nsp_(std::move(nsp)) {}

    const std::shared_ptr<NetworkServiceProvider>& nsp() const { return nsp_; }

private:
    const std::shared_ptr<NetworkServiceProvider> nsp_;
};

}  // namespace solen
