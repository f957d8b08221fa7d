#pragma once

#include "Resource.h"

#include <cstddef>

namespace winnet {

// Packs records into a caller's buffer the way the original functions do:
// NETRESOURCEA records from the start, the strings they point to from the end.
class RecordPacker {
public:
    RecordPacker(void* buffer, std::size_t size);

    // Bytes one record needs, its strings included.
    static std::size_t sizeOf(const Resource& resource);

    // Appends the record; false, with nothing written, when it does not fit.
    bool add(const Resource& resource);

private:
    char* placeString(std::string_view text);

    char* m_buffer;
    std::size_t m_recordsEnd = 0;
    std::size_t m_stringsStart;
};

} // namespace winnet
