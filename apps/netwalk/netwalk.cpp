// netwalk: walks the whole network through the enumeration functions exactly
// as the server list does (depth first, scope RESOURCE_GLOBALNET, type
// RESOURCETYPE_DISK, usage RESOURCEUSAGE_CONTAINER, a 1312-byte batch buffer
// per level, every record descended into) and prints what it found. A record
// too large for that buffer is fetched again into one of the size it needs.

#include "WinNet.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr DWORD kBatchBytes = 1312;
// The heap buffer for a record larger than kBatchBytes holds records as the batch does.
static_assert(alignof(NETRESOURCEA) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

struct Options {
    DWORD usage = RESOURCEUSAGE_CONTAINER;
    bool printTree = true;
};

const char* displayTypeName(DWORD displayType) {
    switch (displayType) {
    case RESOURCEDISPLAYTYPE_GENERIC:
        return "generic";
    case RESOURCEDISPLAYTYPE_DOMAIN:
        return "domain";
    case RESOURCEDISPLAYTYPE_SERVER:
        return "server";
    case RESOURCEDISPLAYTYPE_SHARE:
        return "share";
    case RESOURCEDISPLAYTYPE_FILE:
        return "file";
    case RESOURCEDISPLAYTYPE_GROUP:
        return "group";
    case RESOURCEDISPLAYTYPE_NETWORK:
        return "network";
    case RESOURCEDISPLAYTYPE_ROOT:
        return "root";
    case RESOURCEDISPLAYTYPE_SHAREADMIN:
        return "shareadmin";
    case RESOURCEDISPLAYTYPE_DIRECTORY:
        return "directory";
    case RESOURCEDISPLAYTYPE_TREE:
        return "tree";
    case RESOURCEDISPLAYTYPE_NDSCONTAINER:
        return "ndscontainer";
    default:
        return "other";
    }
}

class Walker {
public:
    explicit Walker(const Options& options) : m_options(options) {}

    // Returns the root's open result; everything below is reported inline.
    DWORD walk() { return enumerate(nullptr, 0); }

    const std::string& tree() const { return m_tree; }
    const std::map<std::string, unsigned>& counts() const { return m_counts; }
    unsigned failures() const { return m_failures; }

private:
    DWORD enumerate(LPNETRESOURCEA container, int depth) {
        HANDLE handle = nullptr;
        const DWORD opened = WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, m_options.usage,
                                           container, &handle);
        if (opened != NO_ERROR) {
            // Descending into a share is expected to fail that way: not worth a line.
            const bool leaf = container && (container->dwUsage & RESOURCEUSAGE_CONTAINER) == 0;
            if (container && !(leaf && opened == ERROR_NOT_CONTAINER))
                note(depth, "cannot open: error " + std::to_string(opened));
            return opened;
        }
        // One buffer per level, as the server list keeps it in its own frame.
        alignas(NETRESOURCEA) unsigned char batch[kBatchBytes];
        // Only for a record larger than the batch buffer; kept until the next request.
        std::vector<unsigned char> large;
        for (;;) {
            unsigned char* buffer = batch;
            DWORD capacity = kBatchBytes;
            DWORD count = WNET_ALL_RECORDS;
            DWORD size = capacity;
            DWORD result = WNetEnumResourceA(handle, &count, buffer, &size);
            // The record is kept for the next call, and size is what it needs: ask again
            // with a buffer that large instead of losing it and everything after it.
            while (result == ERROR_MORE_DATA && size > capacity) {
                large.resize(size);
                buffer = large.data();
                capacity = size;
                count = WNET_ALL_RECORDS;
                result = WNetEnumResourceA(handle, &count, buffer, &size);
            }
            if (result == ERROR_NO_MORE_ITEMS)
                break;
            if (result != NO_ERROR) {
                // Asking again would get the same answer: this container ends here.
                note(depth, "listing stopped: error " + std::to_string(result));
                break;
            }
            auto* records = reinterpret_cast<LPNETRESOURCEA>(buffer);
            for (DWORD i = 0; i < count; ++i) {
                print(records[i], depth);
                enumerate(&records[i], depth + 1);
            }
        }
        WNetCloseEnum(handle);
        return NO_ERROR;
    }

    void print(const NETRESOURCEA& record, int depth) {
        const char* type = displayTypeName(record.dwDisplayType);
        ++m_counts[type];
        if (!m_options.printTree)
            return;
        m_tree.append(2 * depth, ' ');
        m_tree += type;
        m_tree += ' ';
        m_tree += record.lpRemoteName ? record.lpRemoteName : "(no name)";
        if (record.lpComment && *record.lpComment) {
            m_tree += "  -- ";
            m_tree += record.lpComment;
        }
        m_tree += '\n';
    }

    void note(int depth, const std::string& text) {
        ++m_failures;
        if (!m_options.printTree)
            return;
        m_tree.append(2 * depth, ' ');
        m_tree += "! " + text + '\n';
    }

    Options m_options;
    std::string m_tree;
    std::map<std::string, unsigned> m_counts;
    unsigned m_failures = 0;
};

void usage(std::FILE* out) {
    std::fputs("Usage: netwalk [--all] [--quiet]\n"
               "Walks the network as the server list does and prints every record,\n"
               "indented by depth, with its display type; then a summary with the time.\n"
               "  --all    list connectable resources (shares) too, not only containers\n"
               "  --quiet  print the summary only\n"
               "Providers: WINNET_PROVIDERS (smb, described), WINNET_DESCRIBED_NETWORK.\n",
               out);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--all") {
            options.usage = RESOURCEUSAGE_ALL;
        } else if (arg == "--quiet") {
            options.printTree = false;
        } else if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "netwalk: unknown option '%s'\n", argv[i]);
            usage(stderr);
            return 2;
        }
    }

    Walker walker(options);
    const auto start = std::chrono::steady_clock::now();
    const DWORD result = walker.walk();
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;

    if (result != NO_ERROR) {
        if (result == ERROR_EXTENDED_ERROR) {
            DWORD code = 0;
            char message[1024];
            char provider[256];
            WNetGetLastErrorA(&code, message, sizeof message, provider, sizeof provider);
            std::fprintf(stderr, "netwalk: cannot open the network: %s (error %u%s%s)\n", message,
                         code, *provider ? ", " : "", provider);
        } else {
            std::fprintf(stderr, "netwalk: cannot open the network: error %u\n", result);
        }
        return 1;
    }

    std::fputs(walker.tree().c_str(), stdout);
    std::string summary;
    unsigned total = 0;
    for (const auto& [type, count] : walker.counts()) {
        summary += (summary.empty() ? "" : ", ") + std::to_string(count) + " " + type;
        total += count;
    }
    std::printf("# %u records (%s), %u failures, walked in %.3f ms\n", total,
                summary.empty() ? "none" : summary.c_str(), walker.failures(), elapsed.count());
    return 0;
}
