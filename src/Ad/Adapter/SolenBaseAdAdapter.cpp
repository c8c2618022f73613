#include <solen/adapters/SolenBaseAdAdapter.h>

namespace solen {

SolenBaseAdAdapter::~SolenBaseAdAdapter() = default;

}  // namespace solen
