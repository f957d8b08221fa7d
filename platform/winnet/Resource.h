#pragma once

#include "WinNet.h"

#include <string>
#include <string_view>

namespace winnet {

// One record as a provider lists it, before it is packed into a caller's buffer.
struct Resource {
    DWORD scope = RESOURCE_GLOBALNET;
    DWORD type = RESOURCETYPE_ANY;
    DWORD displayType = RESOURCEDISPLAYTYPE_GENERIC;
    DWORD usage = 0;
    std::string remoteName;
    std::string comment;       // empty: no comment (a null pointer)
    std::string_view provider; // a provider's own name, which outlives every record

    bool isContainer() const { return (usage & RESOURCEUSAGE_CONTAINER) != 0; }
};

// The type and usage a caller asked for when opening an enumeration.
class Filter {
public:
    Filter(DWORD type, DWORD usage) : m_type(type), m_usage(usage & kSelecting) {
        if (m_usage == 0)
            m_usage = kSelecting;
    }

    bool accepts(const Resource& r) const {
        if (m_usage != kSelecting && (r.usage & m_usage) == 0)
            return false;
        // Containers hold resources of every type, so a type never hides them.
        return m_type == RESOURCETYPE_ANY || r.isContainer() || r.type == RESOURCETYPE_ANY ||
               (r.type & m_type) != 0;
    }

    // Whether connectable resources (shares), or containers, are wanted at all.
    bool wantsConnectable() const { return (m_usage & RESOURCEUSAGE_CONNECTABLE) != 0; }
    bool wantsContainers() const { return (m_usage & RESOURCEUSAGE_CONTAINER) != 0; }

private:
    static constexpr DWORD kSelecting = RESOURCEUSAGE_CONNECTABLE | RESOURCEUSAGE_CONTAINER;
    DWORD m_type;
    DWORD m_usage;
};

} // namespace winnet
