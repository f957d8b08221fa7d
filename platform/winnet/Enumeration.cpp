#include "Enumeration.h"

#include "LastError.h"

namespace winnet {

Enumeration::~Enumeration() = default;

ListEnumeration::ListEnumeration(std::shared_ptr<const void> owner,
                                 std::span<const Resource> records, Filter filter,
                                 ListingFailure failure)
    : m_owner(std::move(owner)), m_records(records), m_filter(filter), m_failure(failure) {
    skipFiltered();
}

ListEnumeration::ListEnumeration(std::vector<Resource> records, Filter filter) : m_filter(filter) {
    auto owned = std::make_shared<const std::vector<Resource>>(std::move(records));
    m_records = *owned;
    m_owner = std::move(owned);
    skipFiltered();
}

DWORD ListEnumeration::peek(const Resource** resource) {
    if (m_failure.error == ERROR_EXTENDED_ERROR && m_delivered >= m_failure.after)
        return reportExtendedError(ERROR_UNEXP_NET_ERR, "listing fails, as configured",
                                   m_failure.provider);
    if (m_failure.error != NO_ERROR && m_delivered >= m_failure.after)
        return m_failure.error;
    if (m_next >= m_records.size())
        return ERROR_NO_MORE_ITEMS;
    *resource = &m_records[m_next];
    return NO_ERROR;
}

void ListEnumeration::advance() {
    if (m_next >= m_records.size())
        return;
    ++m_next;
    ++m_delivered;
    skipFiltered();
}

void ListEnumeration::skipFiltered() {
    while (m_next < m_records.size() && !m_filter.accepts(m_records[m_next]))
        ++m_next;
}

} // namespace winnet
