#pragma once

#include <solen/SolenExport.h>

namespace solen {

// The creative payload of a load configuration. It declares nothing: an adapter tests which
// record it holds (`std::dynamic_pointer_cast<const CreativeData>`). The SDK hands network
// adapters a `CreativeData`; its own renderers receive a record of their own.
class SOLEN_EXPORT CreativeDataModelProtocol {
public:
    virtual ~CreativeDataModelProtocol();

protected:
    CreativeDataModelProtocol() = default;
    CreativeDataModelProtocol(const CreativeDataModelProtocol&) = default;
    CreativeDataModelProtocol& operator=(const CreativeDataModelProtocol&) = default;
};

}  // namespace solen
