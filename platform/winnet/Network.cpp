#include "Network.h"

#include "LastError.h"

#include <algorithm>
#include <cstdlib>

namespace winnet {

namespace {

constexpr const char* kProvidersVariable = "WINNET_PROVIDERS";
constexpr const char* kDescribedVariable = "WINNET_DESCRIBED_NETWORK";

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

Network& Network::instance() {
    static Network network;
    return network;
}

Provider* Network::smb() {
    std::lock_guard lock(m_mutex);
    if (!m_smb)
        m_smb = std::make_unique<SmbNetwork>();
    return m_smb.get();
}

DWORD Network::activeProviders(std::vector<Provider*>* providers) {
    const std::string file = environment(kDescribedVariable);
    const std::string list = environment(kProvidersVariable);
    std::vector<std::string_view> names;
    if (trimmed(list).empty()) {
        names.push_back("smb");
        if (!file.empty())
            names.push_back("described");
    } else {
        std::string_view rest = list;
        while (!rest.empty()) {
            const std::size_t comma = std::min(rest.find(','), rest.size());
            const std::string_view name = trimmed(rest.substr(0, comma));
            rest.remove_prefix(std::min(comma + 1, rest.size()));
            if (name.empty() || std::find(names.begin(), names.end(), name) != names.end())
                continue;
            if (name != "smb" && name != "described")
                return reportExtendedError(ERROR_BAD_PROVIDER,
                                           std::string(kProvidersVariable) +
                                               ": expected smb or described, found '" +
                                               std::string(name) + "'",
                                           {});
            names.push_back(name);
        }
    }
    for (const std::string_view name : names) {
        if (name == "smb") {
            providers->push_back(smb());
        } else {
            if (file.empty())
                return reportExtendedError(ERROR_BAD_PROVIDER,
                                           std::string(kProvidersVariable) +
                                               " names described, but " + kDescribedVariable +
                                               " names no file (expected the path of one)",
                                           std::string(DescribedNetwork::kName));
            m_described.setPath(file);
            providers->push_back(&m_described);
        }
    }
    return NO_ERROR;
}

DWORD Network::openRoot(const Filter& filter, std::unique_ptr<Enumeration>* enumeration) {
    std::vector<Provider*> providers;
    if (const DWORD error = activeProviders(&providers); error != NO_ERROR)
        return error;
    std::vector<Resource> records;
    for (Provider* provider : providers) {
        // A described network that cannot be read fails the root, so that its
        // problem is seen at once rather than as a silently empty provider.
        if (provider == &m_described) {
            std::shared_ptr<const DescribedNetworkModel> model;
            if (const DWORD error = m_described.load(&model); error != NO_ERROR)
                return error;
        }
        records.push_back(provider->rootRecord());
    }
    *enumeration = std::make_unique<ListEnumeration>(std::move(records), filter);
    return NO_ERROR;
}

DWORD Network::openContainer(const NETRESOURCEA& container, const Filter& filter,
                             std::unique_ptr<Enumeration>* enumeration) {
    if (!container.lpRemoteName && !container.lpProvider)
        return ERROR_INVALID_PARAMETER;
    std::vector<Provider*> providers;
    if (const DWORD error = activeProviders(&providers); error != NO_ERROR)
        return error;
    const std::string_view remoteName = container.lpRemoteName ? container.lpRemoteName : "";

    Provider* provider = nullptr;
    if (container.lpProvider) {
        for (Provider* p : providers)
            if (p->name() == container.lpProvider)
                provider = p;
        if (!provider)
            return ERROR_BAD_PROVIDER;
    } else {
        // Without a provider's name: the one of that name, else the first that
        // knows the container, the offline described network before the SMB one.
        for (Provider* p : providers)
            if (p->name() == remoteName)
                provider = p;
        std::stable_partition(providers.begin(), providers.end(),
                              [this](Provider* p) { return p == &m_described; });
        for (auto it = providers.begin(); !provider && it != providers.end(); ++it)
            if ((*it)->owns(remoteName))
                provider = *it;
        if (!provider)
            return ERROR_BAD_NETPATH;
    }

    ContainerRef ref;
    ref.remoteName = remoteName;
    ref.displayType = container.dwDisplayType;
    ref.isProviderTop =
        !container.lpRemoteName ||
        (remoteName == provider->name() &&
         (container.dwDisplayType == RESOURCEDISPLAYTYPE_NETWORK || !container.lpProvider));
    return provider->open(ref, filter, enumeration);
}

} // namespace winnet
