#pragma once

#include "Provider.h"

#include <mutex>
#include <string>
#include <vector>

struct _SMBCCTX;

namespace winnet {

// The SMB network as its browse service lists it, through libsmbclient:
// workgroups (domains), the servers of each ("\\NAME"), a server's shares
// ("\\NAME\share"). The browse list exists in SMB1 only, so the client
// protocol is pinned to NT1 on this provider's own context, whatever the
// user's smb.conf says. Every failure is quiet and bounded: an unreachable or
// empty network lists nothing.
class SmbNetwork final : public Provider {
public:
    static constexpr std::string_view kName = "SMB Network";

    SmbNetwork();
    ~SmbNetwork() override;
    SmbNetwork(const SmbNetwork&) = delete;
    SmbNetwork& operator=(const SmbNetwork&) = delete;

    std::string_view name() const override { return kName; }
    DWORD open(const ContainerRef& container, const Filter& filter,
               std::unique_ptr<Enumeration>* enumeration) override;
    bool owns(std::string_view remoteName) override;

private:
    struct Entry {
        unsigned type;
        std::string name;
        std::string comment;
    };

    _SMBCCTX* context();
    // NO_ERROR and the directory's entries, or an error code from errno.
    DWORD list(const std::string& url, std::vector<Entry>* entries);

    std::mutex m_mutex; // libsmbclient's context is not safe to share between threads
    _SMBCCTX* m_context = nullptr;
    bool m_unavailable = false;
};

} // namespace winnet
