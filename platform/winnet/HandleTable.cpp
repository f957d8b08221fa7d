#include "HandleTable.h"

namespace winnet {

namespace {
// Tokens step by 4 from an odd base: never null, never INVALID_HANDLE_VALUE
// (all bits set), never aligned like a pointer a caller might confuse it with.
constexpr std::uintptr_t kTokenBase = 0x5EED0001;
constexpr std::uintptr_t kTokenStep = 4;
} // namespace

HandleTable& HandleTable::instance() {
    static HandleTable table;
    return table;
}

HANDLE HandleTable::insert(std::unique_ptr<Enumeration> enumeration) {
    std::lock_guard lock(m_mutex);
    const std::uintptr_t token = kTokenBase + m_lastToken * kTokenStep;
    ++m_lastToken;
    m_open.emplace(token, std::move(enumeration));
    return reinterpret_cast<HANDLE>(token);
}

std::shared_ptr<Enumeration> HandleTable::find(HANDLE handle) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_open.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == m_open.end() ? nullptr : it->second;
}

bool HandleTable::erase(HANDLE handle) {
    std::shared_ptr<Enumeration> closing;
    {
        std::lock_guard lock(m_mutex);
        const auto it = m_open.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == m_open.end())
            return false;
        closing = std::move(it->second);
        m_open.erase(it);
    }
    return true; // the enumeration is destroyed outside the lock
}

} // namespace winnet
