#include "Platform/Device/CellularProvider.h"

#include "Platform/Device/ProviderSlot.h"

namespace solen::platform {
namespace {

ProviderSlot<std::optional<CellularProvider::Carrier>>& carrierSlot() {
    static auto& slot = *new ProviderSlot<std::optional<CellularProvider::Carrier>>(
        [] { return std::optional<CellularProvider::Carrier>(); });
    return slot;
}

}  // namespace

std::optional<CellularProvider::Carrier> CellularProvider::subscriberCellularProvider() { return carrierSlot().read(); }

void CellularProvider::setProvider(std::function<std::optional<Carrier>()> provider) {
    carrierSlot().replace(std::move(provider));
}

}  // namespace solen::platform
