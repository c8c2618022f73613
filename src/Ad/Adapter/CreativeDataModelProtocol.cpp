#include <solen/adapters/CreativeDataModelProtocol.h>

namespace solen {

CreativeDataModelProtocol::~CreativeDataModelProtocol() = default;

}  // namespace solen
