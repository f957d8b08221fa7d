#pragma once

#include "DescribedNetwork.h"
#include "SmbNetwork.h"

#include <memory>
#include <mutex>
#include <vector>

namespace winnet {

// The root of the network and the providers behind it, as the environment
// configures them (see WinNet.h).
class Network {
public:
    static Network& instance();

    DWORD openRoot(const Filter& filter, std::unique_ptr<Enumeration>* enumeration);
    DWORD openContainer(const NETRESOURCEA& container, const Filter& filter,
                        std::unique_ptr<Enumeration>* enumeration);

private:
    // The active providers in the root's order, or ERROR_EXTENDED_ERROR.
    DWORD activeProviders(std::vector<Provider*>* providers);
    Provider* smb();

    std::mutex m_mutex;
    std::unique_ptr<SmbNetwork> m_smb; // made on first use: libsmbclient is slow to start
    DescribedNetwork m_described;
};

} // namespace winnet
