#include "DBTables.h"

#include "DbLogin.h"

#include <QSqlError>

#include <atomic>
#include <optional>

namespace vcl {

namespace {

enum class TDriverKind { Mssql, Pgsql };

std::optional<TDriverKind> DriverKind(const String& Name) {
    if (Name.compare(QLatin1String("MSSQL"), Qt::CaseInsensitive) == 0)
        return TDriverKind::Mssql;
    if (Name.compare(QLatin1String("PGSQL"), Qt::CaseInsensitive) == 0)
        return TDriverKind::Pgsql;
    return std::nullopt;
}

String ServerText(const TServerAddress& Server) {
    if (!Server.Instance.isEmpty())
        return Server.Host + QLatin1Char('\\') + Server.Instance;
    if (Server.Port)
        return Server.Host + QLatin1Char(',') + QString::number(Server.Port);
    return Server.Host;
}

// Form descriptions create a TDatabase by class name.
const bool Registered = [] {
    RegisterClass<TDatabase>();
    return true;
}();

} // namespace

TDatabase::TDatabase(TComponent* AOwner) : TComponent(AOwner), FParams(new TStringList) {
    Q_UNUSED(Registered);
}

TDatabase::~TDatabase() {
    Close();
}

void TDatabase::CheckInactive(const char* Property) const {
    if (Connected())
        throw EDatabaseError(QStringLiteral("Cannot change %1 of %2 while it is connected")
                                 .arg(QLatin1String(Property), DisplayName()));
}

String TDatabase::DisplayName() const {
    if (!FDatabaseName.isEmpty())
        return QStringLiteral("database '%1'").arg(FDatabaseName);
    if (!Name().isEmpty())
        return Name();
    return QStringLiteral("the database");
}

void TDatabase::SetDatabaseName(const String& Value) {
    if (Value == FDatabaseName)
        return;
    CheckInactive("DatabaseName");
    FDatabaseName = Value;
}

void TDatabase::SetDriverName(const String& Value) {
    if (Value == FDriverName)
        return;
    CheckInactive("DriverName");
    FDriverName = Value;
}

void TDatabase::SetParams(TStrings* Value) {
    FParams->Assign(Value);
}

void TDatabase::SetConnected(bool Value) {
    if (ComponentState() & csLoading) {
        FStreamedConnected = Value; // opened once every property has been read
        return;
    }
    if (Value)
        Open();
    else
        Close();
}

void TDatabase::Loaded() {
    TComponent::Loaded();
    if (FStreamedConnected) {
        FStreamedConnected = false;
        Open();
    }
}

void TDatabase::Open() {
    if (Connected())
        return;
    const std::optional<TDriverKind> kind = DriverKind(FDriverName);
    if (!kind)
        throw EDatabaseError(
            QStringLiteral("Cannot open %1: unknown DriverName '%2', expected MSSQL or PGSQL")
                .arg(DisplayName(), FDriverName));
    const auto settings = [&] {
        try {
            return LoginSettingsFromParams(*FParams);
        } catch (const EDatabaseError& e) {
            throw EDatabaseError(
                QStringLiteral("Cannot open %1: %2").arg(DisplayName(), e.Message()));
        }
    }();
    const String plugin =
        kind == TDriverKind::Mssql ? QStringLiteral("QODBC") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(plugin))
        throw EDatabaseError(
            QStringLiteral("Cannot open %1: the Qt SQL driver %2 is not installed (available: %3)")
                .arg(DisplayName(), plugin, QSqlDatabase::drivers().join(QStringLiteral(", "))));

    static std::atomic<quint64> serial{0};
    const String name = QStringLiteral("vcl.TDatabase.%1").arg(++serial);
    String failure;
    try {
        QSqlDatabase db = QSqlDatabase::addDatabase(plugin, name);
        if (kind == TDriverKind::Mssql) {
            db.setDatabaseName(FreeTdsConnectionString(settings, FreeTdsDriver()));
            // FreeTDS waits forever on a server that accepts and never answers without it.
            db.setConnectOptions(
                QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(settings.ConnectTimeout));
        } else {
            if (!settings.Server.Instance.isEmpty())
                throw EDatabaseError(
                    QStringLiteral("%1 '%2' names an instance, which PostgreSQL "
                                   "does not have: expected host or host,port")
                        .arg(QLatin1String(DbParams::ServerName), ServerText(settings.Server)));
            db.setHostName(settings.Server.Host);
            if (settings.Server.Port)
                db.setPort(settings.Server.Port);
            db.setDatabaseName(settings.Database);
            db.setUserName(settings.User);
            db.setPassword(settings.Password);
            db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(settings.ConnectTimeout));
        }
        if (db.open()) {
            FConnection = db;
            FConnectionName = name;
            return;
        }
        failure = db.lastError().text().trimmed();
    } catch (const EDatabaseError& e) {
        QSqlDatabase::removeDatabase(name);
        throw EDatabaseError(QStringLiteral("Cannot open %1: %2").arg(DisplayName(), e.Message()));
    } catch (...) {
        QSqlDatabase::removeDatabase(name);
        throw;
    }
    QSqlDatabase::removeDatabase(name);
    // A message is one line; drivers write several. The password is looked for before the
    // blanks change.
    failure = DriverReason(failure, settings.Password).simplified();
    if (failure.isEmpty())
        failure = QStringLiteral("the driver gave no reason");
    QStringList login;
    if (!settings.Database.isEmpty())
        login << QStringLiteral("database '%1'").arg(settings.Database);
    if (!settings.User.isEmpty())
        login << QStringLiteral("user '%1'").arg(settings.User);
    const String as =
        login.isEmpty() ? String() : QStringLiteral(" (%1)").arg(login.join(QStringLiteral(", ")));
    throw EDatabaseError(
        QStringLiteral("Cannot connect %1 to the %2 server %3%4: %5")
            .arg(DisplayName(), FDriverName.toUpper(), ServerText(settings.Server), as, failure));
}

void TDatabase::Close() {
    if (FConnectionName.isEmpty())
        return;
    FConnection.close();
    FConnection = QSqlDatabase();
    QSqlDatabase::removeDatabase(FConnectionName);
    FConnectionName.clear();
}

} // namespace vcl
