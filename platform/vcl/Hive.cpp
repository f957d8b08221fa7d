#include "Hive.h"

#include "HiveSqlite.h"

#include <QDir>

namespace vcl {

THive::~THive() = default;

void THive::ReleaseKey(THiveKey) {}

String UserHivePath() {
    // A relative XDG_CONFIG_HOME is ignored, as the XDG base directory rules require.
    String config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) {
        const String home = QDir::homePath();
        if (home.isEmpty() || home == QDir::rootPath())
            throw ERegistryException(QStringLiteral(
                "Cannot find the user's hive: neither XDG_CONFIG_HOME nor HOME is set"));
        config = home + QStringLiteral("/.config");
    }
    return QDir::cleanPath(config) + QStringLiteral("/vclreg/current-user.db");
}

std::unique_ptr<THive> OpenHive(HKEY Root) {
    if (Root != HKEY_CURRENT_USER)
        throw ERegistryException(
            QStringLiteral("Root key %1 is not available on this platform: only "
                           "HKEY_CURRENT_USER has a hive here")
                .arg(RootKeyName(Root)));
    return std::make_unique<TSqliteHive>(UserHivePath());
}

} // namespace vcl
