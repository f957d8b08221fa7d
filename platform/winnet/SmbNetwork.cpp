#include "SmbNetwork.h"

#include <libsmbclient.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <pthread.h>

namespace winnet {

namespace {

// Per request; libsmbclient stops waiting for a silent server after this.
constexpr int kTimeoutMs = 2000;

void discardLog(void*, int, const char*) {}

// A server that went away while libsmbclient still holds its connection
// makes the next write raise SIGPIPE, which would end the caller's process.
// The signal is held back during the call and then dropped.
class SigpipeGuard {
public:
    SigpipeGuard() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
    }
    ~SigpipeGuard() {
        if (!m_wasPending) {
            const timespec now{0, 0};
            while (sigtimedwait(&m_pipe, nullptr, &now) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_previous;
    bool m_wasPending = false;
};

// Guest browsing: no user name, no password, whatever is asked.
void anonymous(SMBCCTX*, const char*, const char*, char*, int, char*, int, char*, int) {}

std::string urlEncoded(std::string_view name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
            (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
            byte == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

DWORD errorFromErrno(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case ENOENT:
    case ENODEV:
    case EINVAL:
        return ERROR_BAD_NET_NAME;
    default:
        return ERROR_BAD_NETPATH;
    }
}

Resource record(DWORD displayType, DWORD usage, DWORD type, std::string remoteName,
                std::string comment) {
    Resource r;
    r.scope = RESOURCE_GLOBALNET;
    r.type = type;
    r.displayType = displayType;
    r.usage = usage;
    r.remoteName = std::move(remoteName);
    r.comment = std::move(comment);
    r.provider = SmbNetwork::kName;
    return r;
}

} // namespace

SmbNetwork::SmbNetwork() = default;

SmbNetwork::~SmbNetwork() {
    if (m_context) {
        const SigpipeGuard noSigpipe; // shutting down says goodbye to every server
        smbc_free_context(m_context, 1);
    }
}

SMBCCTX* SmbNetwork::context() {
    if (m_context || m_unavailable)
        return m_context;
    SMBCCTX* ctx = smbc_new_context();
    if (!ctx) {
        m_unavailable = true;
        return nullptr;
    }
    // Nothing of libsmbclient's may reach the user's terminal.
    smbc_setLogCallback(ctx, nullptr, discardLog);
    smbc_setDebug(ctx, 0);
    smbc_setOptionDebugToStderr(ctx, false);
    smbc_setTimeout(ctx, kTimeoutMs);
    smbc_setFunctionAuthDataWithContext(ctx, anonymous);
    smbc_setOptionUseKerberos(ctx, false);
    smbc_setOptionFallbackAfterKerberos(ctx, true);
    smbc_setOptionUseCCache(ctx, false);
    smbc_setOptionNoAutoAnonymousLogin(ctx, false);
    if (!smbc_init_context(ctx)) {
        smbc_free_context(ctx, 0);
        m_unavailable = true;
        return nullptr;
    }
    // After init, which loads smb.conf: this must override what the file says.
    smbc_setOptionProtocols(ctx, "NT1", "NT1");
    m_context = ctx;
    return m_context;
}

DWORD SmbNetwork::list(const std::string& url, std::vector<Entry>* entries) {
    std::lock_guard lock(m_mutex);
    const SigpipeGuard noSigpipe;
    SMBCCTX* ctx = context();
    if (!ctx)
        return ERROR_NO_NETWORK;
    errno = 0;
    SMBCFILE* dir = smbc_getFunctionOpendir(ctx)(ctx, url.c_str());
    if (!dir)
        return errorFromErrno(errno);
    while (const smbc_dirent* entry = smbc_getFunctionReaddir(ctx)(ctx, dir))
        entries->push_back(
            {entry->smbc_type, std::string(entry->name, ::strnlen(entry->name, entry->namelen)),
             std::string(entry->comment ? entry->comment : "",
                         entry->comment ? ::strnlen(entry->comment, entry->commentlen) : 0)});
    smbc_getFunctionClosedir(ctx)(ctx, dir);
    return NO_ERROR;
}

DWORD SmbNetwork::open(const ContainerRef& container, const Filter& filter,
                       std::unique_ptr<Enumeration>* enumeration) {
    std::vector<Resource> records;
    std::vector<Entry> entries;
    const std::string_view name = container.remoteName;
    if (container.isProviderTop) {
        // No browse master answering is an empty network, not a failure.
        if (filter.wantsContainers() && list("smb://", &entries) == NO_ERROR)
            for (Entry& e : entries)
                if (e.type == SMBC_WORKGROUP)
                    records.push_back(record(RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER,
                                             RESOURCETYPE_ANY, std::move(e.name),
                                             std::move(e.comment)));
    } else if (name.starts_with("\\\\")) {
        const std::string_view server = name.substr(2);
        if (server.empty())
            return ERROR_BAD_NET_NAME;
        if (server.find('\\') != std::string_view::npos)
            return ERROR_NOT_CONTAINER; // a share
        // A server holds shares only; when only containers are asked for,
        // there is nothing to fetch.
        if (filter.wantsConnectable()) {
            if (const DWORD error = list("smb://" + urlEncoded(server), &entries); error)
                return error;
            for (Entry& e : entries) {
                if (e.name.ends_with('$'))
                    continue; // administrative and hidden shares are not browsed
                const std::string remote = std::string(name) + "\\" + e.name;
                if (e.type == SMBC_FILE_SHARE)
                    records.push_back(record(RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE,
                                             RESOURCETYPE_DISK, remote, std::move(e.comment)));
                else if (e.type == SMBC_PRINTER_SHARE)
                    records.push_back(record(RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE,
                                             RESOURCETYPE_PRINT, remote, std::move(e.comment)));
            }
        }
    } else {
        if (name.empty())
            return ERROR_BAD_NET_NAME;
        // A workgroup holds servers only, and they are containers.
        if (filter.wantsContainers())
            if (const DWORD error = list("smb://" + urlEncoded(name), &entries); error)
                return error;
        for (Entry& e : entries)
            if (e.type == SMBC_SERVER)
                records.push_back(record(RESOURCEDISPLAYTYPE_SERVER, RESOURCEUSAGE_CONTAINER,
                                         RESOURCETYPE_ANY, "\\\\" + e.name, std::move(e.comment)));
    }
    *enumeration = std::make_unique<ListEnumeration>(std::move(records), filter);
    return NO_ERROR;
}

bool SmbNetwork::owns(std::string_view) {
    return true; // any name may be on the network
}

} // namespace winnet
