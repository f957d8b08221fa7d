#pragma once

#include "Enumeration.h"

#include <memory>
#include <string_view>

namespace winnet {

// Which of a provider's containers to open, as named by a caller's record.
struct ContainerRef {
    std::string_view remoteName;
    DWORD displayType = RESOURCEDISPLAYTYPE_GENERIC;
    bool isProviderTop = false; // the provider's own record from the root
};

// One network behind the root.
class Provider {
public:
    virtual ~Provider();

    virtual std::string_view name() const = 0;

    // NO_ERROR and the listing of the container in *enumeration, or an error
    // code (ERROR_EXTENDED_ERROR after reportExtendedError).
    virtual DWORD open(const ContainerRef& container, const Filter& filter,
                       std::unique_ptr<Enumeration>* enumeration) = 0;

    // Whether a container of this name belongs to this provider, for records
    // that do not name their provider. Must not reach the network.
    virtual bool owns(std::string_view remoteName) = 0;

    // The record the root lists for this provider.
    Resource rootRecord() const;
};

} // namespace winnet
