#pragma once

#include "Resource.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace winnet {

// An open listing of one container, read one record at a time.
class Enumeration {
public:
    virtual ~Enumeration();

    // The next record without consuming it: NO_ERROR and *resource set,
    // ERROR_NO_MORE_ITEMS at the end, or the listing's failure.
    virtual DWORD peek(const Resource** resource) = 0;
    // Consumes the record peek gave.
    virtual void advance() = 0;
};

// How a listing fails part-way: after `after` records, every request gets `error`.
struct ListingFailure {
    DWORD error = NO_ERROR;
    std::size_t after = 0;
    std::string provider; // named by an ERROR_EXTENDED_ERROR
};

// Lists the records of a span that something else keeps alive (a described
// network's model) or of a vector it owns, through a filter.
class ListEnumeration final : public Enumeration {
public:
    ListEnumeration(std::shared_ptr<const void> owner, std::span<const Resource> records,
                    Filter filter, ListingFailure failure = {});
    ListEnumeration(std::vector<Resource> records, Filter filter);

    DWORD peek(const Resource** resource) override;
    void advance() override;

private:
    void skipFiltered();

    std::shared_ptr<const void> m_owner;
    std::span<const Resource> m_records;
    Filter m_filter;
    ListingFailure m_failure;
    std::size_t m_next = 0;
    std::size_t m_delivered = 0;
};

} // namespace winnet
