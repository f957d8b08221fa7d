#include "WinNet.h"

#include "HandleTable.h"
#include "LastError.h"
#include "Network.h"
#include "RecordPacker.h"
#include "Utf8.h"

#include <cstring>
#include <new>

using namespace winnet;

namespace {

constexpr DWORD kKnownTypes = RESOURCETYPE_DISK | RESOURCETYPE_PRINT;
constexpr DWORD kKnownUsages = RESOURCEUSAGE_ALL | RESOURCEUSAGE_RESERVED;

// Nothing may escape to a caller written against a C interface.
template <typename Call> DWORD guarded(Call call) {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return reportExtendedError(ERROR_UNEXP_NET_ERR, "unexpected failure in the network layer",
                                   {});
    }
}

DWORD openEnumeration(DWORD scope, DWORD type, DWORD usage, const NETRESOURCEA* container,
                      std::unique_ptr<Enumeration>* enumeration) {
    if ((type & ~kKnownTypes) != 0 || (usage & ~kKnownUsages) != 0)
        return ERROR_INVALID_PARAMETER;
    const Filter filter(type, usage);
    if (container && scope != RESOURCE_GLOBALNET)
        return ERROR_INVALID_PARAMETER;
    switch (scope) {
    case RESOURCE_CONNECTED:
    case RESOURCE_REMEMBERED:
        // Nothing is ever connected to a local device on this platform.
        *enumeration = std::make_unique<ListEnumeration>(std::vector<Resource>{}, filter);
        return NO_ERROR;
    case RESOURCE_GLOBALNET:
        if (!container)
            return Network::instance().openRoot(filter, enumeration);
        if ((container->dwUsage & RESOURCEUSAGE_CONTAINER) == 0)
            return ERROR_NOT_CONTAINER;
        return Network::instance().openContainer(*container, filter, enumeration);
    case RESOURCE_RECENT:
    case RESOURCE_CONTEXT:
        return ERROR_NOT_SUPPORTED;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

void copyCut(std::string_view text, char* buffer, DWORD size) {
    const std::string_view cut = utf8Prefix(text, size - 1);
    std::memcpy(buffer, cut.data(), cut.size());
    buffer[cut.size()] = '\0';
}

} // namespace

DWORD WNetOpenEnumA(DWORD dwScope, DWORD dwType, DWORD dwUsage, LPNETRESOURCEA lpNetResource,
                    LPHANDLE lphEnum) {
    if (!lphEnum)
        return ERROR_INVALID_ADDRESS;
    *lphEnum = nullptr;
    return guarded([&] {
        std::unique_ptr<Enumeration> enumeration;
        const DWORD error = openEnumeration(dwScope, dwType, dwUsage, lpNetResource, &enumeration);
        if (error == NO_ERROR)
            *lphEnum = HandleTable::instance().insert(std::move(enumeration));
        return error;
    });
}

DWORD WNetEnumResourceA(HANDLE hEnum, LPDWORD lpcCount, LPVOID lpBuffer, LPDWORD lpBufferSize) {
    const std::shared_ptr<Enumeration> enumeration = HandleTable::instance().find(hEnum);
    if (!enumeration)
        return ERROR_INVALID_HANDLE;
    if (!lpcCount || !lpBufferSize || (!lpBuffer && *lpBufferSize != 0))
        return ERROR_INVALID_ADDRESS;
    if (*lpcCount == 0)
        return ERROR_INVALID_PARAMETER;
    return guarded([&] {
        const DWORD wanted = *lpcCount;
        RecordPacker packer(lpBuffer, *lpBufferSize);
        DWORD delivered = 0;
        DWORD result = NO_ERROR;
        while (delivered < wanted) {
            const Resource* next = nullptr;
            const DWORD status = enumeration->peek(&next);
            if (status != NO_ERROR) {
                // A failure after some records waits for the next request.
                if (delivered == 0)
                    result = status;
                break;
            }
            if (!packer.add(*next)) {
                if (delivered == 0) {
                    *lpBufferSize = static_cast<DWORD>(RecordPacker::sizeOf(*next));
                    result = ERROR_MORE_DATA;
                }
                break;
            }
            enumeration->advance();
            ++delivered;
        }
        *lpcCount = delivered;
        return result;
    });
}

DWORD WNetCloseEnum(HANDLE hEnum) {
    return HandleTable::instance().erase(hEnum) ? NO_ERROR : ERROR_INVALID_HANDLE;
}

DWORD WNetGetLastErrorA(LPDWORD lpError, LPSTR lpErrorBuf, DWORD nErrorBufSize, LPSTR lpNameBuf,
                        DWORD nNameBufSize) {
    if (!lpError || !lpErrorBuf || !lpNameBuf || nErrorBufSize == 0 || nNameBufSize == 0)
        return ERROR_INVALID_ADDRESS;
    const ExtendedError& last = lastExtendedError();
    *lpError = last.code;
    copyCut(last.message, lpErrorBuf, nErrorBufSize);
    copyCut(last.provider, lpNameBuf, nNameBufSize);
    return NO_ERROR;
}
