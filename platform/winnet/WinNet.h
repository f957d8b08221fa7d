#pragma once

// The network-enumeration functions of the original platform, on Linux.
//
// The root of the network lists one record per active provider; each provider
// lists its domains, servers and shares. Records and the strings they point to
// are packed into the caller's buffer, exactly as a caller of the original
// functions expects. Strings are UTF-8 (this platform's "ANSI").
//
// Configuration, read from the environment whenever the root is opened:
//   WINNET_PROVIDERS          comma-separated list of "smb" and "described";
//                             default: smb, plus described when a file is named.
//   WINNET_DESCRIBED_NETWORK  path of the described network's text file; its
//                             format is documented in DescribedNetworkFile.h.
//
// Errors: every function returns a code below. When opening the root fails
// because the configuration is wrong (a malformed described network, an
// unknown provider name), WNetOpenEnumA returns ERROR_EXTENDED_ERROR and
// WNetGetLastErrorA gives the underlying code, the message (file, line and what
// was expected) and the provider's name. Nothing is ever written to stdout or
// stderr, and no call waits without bound: an unreachable network is an empty
// one.
//
// All functions may be called from any thread; a handle must not be used by
// two threads at once.

#include "WinNetExport.h"

#include <cstdint>

using DWORD = std::uint32_t;
using LPDWORD = DWORD*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using HANDLE = void*;
using LPHANDLE = HANDLE*;

struct NETRESOURCEA {
    DWORD dwScope;
    DWORD dwType;
    DWORD dwDisplayType;
    DWORD dwUsage;
    LPSTR lpLocalName;
    LPSTR lpRemoteName;
    LPSTR lpComment;
    LPSTR lpProvider;
};
using LPNETRESOURCEA = NETRESOURCEA*;

// Scope
constexpr DWORD RESOURCE_CONNECTED = 0x00000001;
constexpr DWORD RESOURCE_GLOBALNET = 0x00000002;
constexpr DWORD RESOURCE_REMEMBERED = 0x00000003;
constexpr DWORD RESOURCE_RECENT = 0x00000004;
constexpr DWORD RESOURCE_CONTEXT = 0x00000005;

// Type (a mask)
constexpr DWORD RESOURCETYPE_ANY = 0x00000000;
constexpr DWORD RESOURCETYPE_DISK = 0x00000001;
constexpr DWORD RESOURCETYPE_PRINT = 0x00000002;
constexpr DWORD RESOURCETYPE_RESERVED = 0x00000008;
constexpr DWORD RESOURCETYPE_UNKNOWN = 0xFFFFFFFF;

// Usage (a mask)
constexpr DWORD RESOURCEUSAGE_CONNECTABLE = 0x00000001;
constexpr DWORD RESOURCEUSAGE_CONTAINER = 0x00000002;
constexpr DWORD RESOURCEUSAGE_NOLOCALDEVICE = 0x00000004;
constexpr DWORD RESOURCEUSAGE_SIBLING = 0x00000008;
constexpr DWORD RESOURCEUSAGE_ATTACHED = 0x00000010;
constexpr DWORD RESOURCEUSAGE_ALL =
    RESOURCEUSAGE_CONNECTABLE | RESOURCEUSAGE_CONTAINER | RESOURCEUSAGE_ATTACHED;
constexpr DWORD RESOURCEUSAGE_RESERVED = 0x80000000;

// Display type
constexpr DWORD RESOURCEDISPLAYTYPE_GENERIC = 0x00000000;
constexpr DWORD RESOURCEDISPLAYTYPE_DOMAIN = 0x00000001;
constexpr DWORD RESOURCEDISPLAYTYPE_SERVER = 0x00000002;
constexpr DWORD RESOURCEDISPLAYTYPE_SHARE = 0x00000003;
constexpr DWORD RESOURCEDISPLAYTYPE_FILE = 0x00000004;
constexpr DWORD RESOURCEDISPLAYTYPE_GROUP = 0x00000005;
constexpr DWORD RESOURCEDISPLAYTYPE_NETWORK = 0x00000006;
constexpr DWORD RESOURCEDISPLAYTYPE_ROOT = 0x00000007;
constexpr DWORD RESOURCEDISPLAYTYPE_SHAREADMIN = 0x00000008;
constexpr DWORD RESOURCEDISPLAYTYPE_DIRECTORY = 0x00000009;
constexpr DWORD RESOURCEDISPLAYTYPE_TREE = 0x0000000A;
constexpr DWORD RESOURCEDISPLAYTYPE_NDSCONTAINER = 0x0000000B;

// Results
constexpr DWORD NO_ERROR = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_BAD_FORMAT = 11;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_BAD_NETPATH = 53;
constexpr DWORD ERROR_NETWORK_BUSY = 54;
constexpr DWORD ERROR_UNEXP_NET_ERR = 59;
constexpr DWORD ERROR_BAD_NET_NAME = 67;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_OPEN_FAILED = 110;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_INVALID_ADDRESS = 487;
constexpr DWORD ERROR_BAD_DEVICE = 1200;
constexpr DWORD ERROR_NO_NET_OR_BAD_PATH = 1203;
constexpr DWORD ERROR_BAD_PROVIDER = 1204;
constexpr DWORD ERROR_NOT_CONTAINER = 1207;
constexpr DWORD ERROR_EXTENDED_ERROR = 1208;
constexpr DWORD ERROR_NO_NETWORK = 1222;

// The requested count that means "as many records as fit".
constexpr DWORD WNET_ALL_RECORDS = 0xFFFFFFFF;

// Opens an enumeration of the container lpNetResource, or of the network's
// root when it is null. lpNetResource may be a record an earlier
// WNetEnumResourceA delivered (it is identified by lpProvider and
// lpRemoteName) and need only stay valid during this call.
// Returns NO_ERROR and a handle in *lphEnum, or ERROR_INVALID_ADDRESS (null
// lphEnum), ERROR_INVALID_PARAMETER (unknown scope, or a container given with a
// scope other than RESOURCE_GLOBALNET), ERROR_NOT_CONTAINER (the record is not
// a container), ERROR_BAD_PROVIDER (no active provider of that name),
// ERROR_EXTENDED_ERROR (see WNetGetLastErrorA) or a provider's own failure.
WINNET_EXPORT DWORD WNetOpenEnumA(DWORD dwScope, DWORD dwType, DWORD dwUsage,
                                  LPNETRESOURCEA lpNetResource, LPHANDLE lphEnum);

// Delivers the next batch: up to *lpcCount records (WNET_ALL_RECORDS: as many as
// fit) into lpBuffer of *lpBufferSize bytes, records first and their strings
// after them. lpLocalName is always null (nothing is connected to a local
// device here) and lpComment is null when a resource has no comment.
// Returns NO_ERROR with *lpcCount set to the records delivered;
// ERROR_NO_MORE_ITEMS at the end (*lpcCount 0); ERROR_MORE_DATA when not even
// the next record fits, with the size it needs in *lpBufferSize (*lpcCount 0;
// the record is kept for the next call; lpBuffer may be null with a size of 0
// to ask for that size); ERROR_INVALID_HANDLE; ERROR_INVALID_ADDRESS for a null
// pointer; ERROR_INVALID_PARAMETER for a count of 0; or the container's own
// failure, which then repeats on every further call.
WINNET_EXPORT DWORD WNetEnumResourceA(HANDLE hEnum, LPDWORD lpcCount, LPVOID lpBuffer,
                                      LPDWORD lpBufferSize);

// Ends an enumeration; the handle is invalid afterwards.
// Returns NO_ERROR or ERROR_INVALID_HANDLE.
WINNET_EXPORT DWORD WNetCloseEnum(HANDLE hEnum);

// The extended error of the calling thread's last call that returned
// ERROR_EXTENDED_ERROR: its code into *lpError, its message into lpErrorBuf and
// the provider's name into lpNameBuf, each cut to fit its buffer (never inside
// a UTF-8 character) and always terminated. Returns NO_ERROR, or
// ERROR_INVALID_ADDRESS when a pointer is null or a size is 0.
WINNET_EXPORT DWORD WNetGetLastErrorA(LPDWORD lpError, LPSTR lpErrorBuf, DWORD nErrorBufSize,
                                      LPSTR lpNameBuf, DWORD nNameBufSize);
