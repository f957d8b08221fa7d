#include "Provider.h"

namespace winnet {

Provider::~Provider() = default;

Resource Provider::rootRecord() const {
    Resource record;
    record.scope = RESOURCE_GLOBALNET;
    record.type = RESOURCETYPE_ANY;
    record.displayType = RESOURCEDISPLAYTYPE_NETWORK;
    record.usage = RESOURCEUSAGE_CONTAINER;
    record.remoteName = std::string(name());
    record.provider = name();
    return record;
}

} // namespace winnet
