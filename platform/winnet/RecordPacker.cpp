#include "RecordPacker.h"

#include <cstring>

namespace winnet {

RecordPacker::RecordPacker(void* buffer, std::size_t size)
    : m_buffer(static_cast<char*>(buffer)), m_stringsStart(size) {}

std::size_t RecordPacker::sizeOf(const Resource& resource) {
    std::size_t size =
        sizeof(NETRESOURCEA) + resource.remoteName.size() + 1 + resource.provider.size() + 1;
    if (!resource.comment.empty())
        size += resource.comment.size() + 1;
    return size;
}

bool RecordPacker::add(const Resource& resource) {
    if (sizeOf(resource) > m_stringsStart - m_recordsEnd)
        return false;
    NETRESOURCEA record{};
    record.dwScope = resource.scope;
    record.dwType = resource.type;
    record.dwDisplayType = resource.displayType;
    record.dwUsage = resource.usage;
    record.lpLocalName = nullptr; // nothing is ever connected to a local device here
    record.lpProvider = placeString(resource.provider);
    record.lpComment = resource.comment.empty() ? nullptr : placeString(resource.comment);
    record.lpRemoteName = placeString(resource.remoteName);
    // The caller's buffer need not be aligned for the record.
    std::memcpy(m_buffer + m_recordsEnd, &record, sizeof record);
    m_recordsEnd += sizeof record;
    return true;
}

char* RecordPacker::placeString(std::string_view text) {
    m_stringsStart -= text.size() + 1;
    char* place = m_buffer + m_stringsStart;
    std::memcpy(place, text.data(), text.size());
    place[text.size()] = '\0';
    return place;
}

} // namespace winnet
