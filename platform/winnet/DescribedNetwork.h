#pragma once

#include "DescribedNetworkFile.h"
#include "Provider.h"

#include <ctime>
#include <mutex>
#include <string>

namespace winnet {

// The network listed in a text file (format in DescribedNetworkFile.h). The
// file is read again when the root is opened and the file has changed, so
// every walk sees it as it is; opening a container below reuses what was read.
class DescribedNetwork final : public Provider {
public:
    static constexpr std::string_view kName = "Described Network";

    void setPath(std::string path);

    // Reads the file if it changed (or, without refresh, if it was never
    // read): NO_ERROR, or ERROR_EXTENDED_ERROR with the file's problem reported.
    DWORD load(std::shared_ptr<const DescribedNetworkModel>* model, bool refresh = true);

    std::string_view name() const override { return kName; }
    DWORD open(const ContainerRef& container, const Filter& filter,
               std::unique_ptr<Enumeration>* enumeration) override;
    bool owns(std::string_view remoteName) override;

private:
    struct FileStamp {
        std::string path;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified{};
        bool operator==(const FileStamp& other) const;
    };

    std::mutex m_mutex;
    std::string m_path;
    FileStamp m_loaded;
    std::shared_ptr<const DescribedNetworkModel> m_model;
};

} // namespace winnet
