#include <solen/adapters/AdapterDelegate.h>

namespace solen {

AdapterDelegate::~AdapterDelegate() = default;

}  // namespace solen
