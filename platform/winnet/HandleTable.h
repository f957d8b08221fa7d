#pragma once

#include "Enumeration.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace winnet {

// Maps handle values to open enumerations. A handle is a token, never an
// address, and is never reused, so a stale, closed or made-up handle is
// recognised as invalid rather than followed.
class HandleTable {
public:
    static HandleTable& instance();

    HANDLE insert(std::unique_ptr<Enumeration> enumeration);
    // The enumeration behind the handle, or null. It stays alive while the
    // caller holds it, even if another thread closes the handle meanwhile.
    std::shared_ptr<Enumeration> find(HANDLE handle) const;
    bool erase(HANDLE handle);

private:
    mutable std::mutex m_mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<Enumeration>> m_open;
    std::uintptr_t m_lastToken = 0;
};

} // namespace winnet
