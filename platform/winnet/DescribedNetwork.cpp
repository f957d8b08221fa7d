#include "DescribedNetwork.h"

#include "LastError.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace winnet {

bool DescribedNetwork::FileStamp::operator==(const FileStamp& other) const {
    return path == other.path && device == other.device && inode == other.inode &&
           size == other.size && modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec;
}

void DescribedNetwork::setPath(std::string path) {
    std::lock_guard lock(m_mutex);
    m_path = std::move(path);
}

DWORD DescribedNetwork::load(std::shared_ptr<const DescribedNetworkModel>* model, bool refresh) {
    std::lock_guard lock(m_mutex);
    // A walk opens every container below the root: one stat per walk, not per container.
    if (!refresh && m_model && m_loaded.path == m_path) {
        *model = m_model;
        return NO_ERROR;
    }
    const auto cannotReadBecause = [this](DWORD code, const std::string& why) {
        return reportExtendedError(code,
                                   m_path + ": cannot read the described network: " + why +
                                       " (expected a readable file named by "
                                       "WINNET_DESCRIBED_NETWORK)",
                                   std::string(kName));
    };
    const auto cannotRead = [&](int error) {
        return cannotReadBecause(error == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_OPEN_FAILED,
                                 std::strerror(error));
    };
    struct stat info {};
    if (::stat(m_path.c_str(), &info) != 0)
        return cannotRead(errno);
    if (S_ISDIR(info.st_mode))
        return cannotRead(EISDIR);
    if (!S_ISREG(info.st_mode))
        return cannotReadBecause(ERROR_OPEN_FAILED, "not a regular file");
    const FileStamp stamp{m_path, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    if (m_model && stamp == m_loaded) {
        *model = m_model;
        return NO_ERROR;
    }
    errno = 0;
    std::ifstream file(m_path, std::ios::binary);
    if (!file.is_open())
        return cannotRead(errno ? errno : EACCES);
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad())
        return cannotRead(EIO);
    DescribedNetworkParse parsed = parseDescribedNetwork(text.str(), m_path, kName);
    if (!parsed.model) {
        m_model.reset();
        return reportExtendedError(ERROR_BAD_FORMAT, parsed.error, std::string(kName));
    }
    m_model = std::move(parsed.model);
    m_loaded = stamp;
    *model = m_model;
    return NO_ERROR;
}

DWORD DescribedNetwork::open(const ContainerRef& container, const Filter& filter,
                             std::unique_ptr<Enumeration>* enumeration) {
    std::shared_ptr<const DescribedNetworkModel> model;
    if (const DWORD error = load(&model, container.isProviderTop); error != NO_ERROR)
        return error;
    const DescribedContainer* listing =
        container.isProviderTop ? &model->top : model->find(container.remoteName);
    if (!listing)
        return ERROR_BAD_NETPATH;
    if (listing->openError == ERROR_EXTENDED_ERROR)
        return reportExtendedError(ERROR_UNEXP_NET_ERR,
                                   std::string(container.remoteName) +
                                       ": opening fails, as the described network says",
                                   std::string(kName));
    if (listing->openError != NO_ERROR)
        return listing->openError;
    *enumeration =
        std::make_unique<ListEnumeration>(model, listing->children, filter, listing->failure);
    return NO_ERROR;
}

bool DescribedNetwork::owns(std::string_view remoteName) {
    std::shared_ptr<const DescribedNetworkModel> model;
    return load(&model, false) == NO_ERROR && model->find(remoteName) != nullptr;
}

} // namespace winnet
