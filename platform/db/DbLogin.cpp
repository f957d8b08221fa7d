#include "DbLogin.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace vcl {

namespace {

String Param(const TStrings& Params, const char* Name) {
    return Params.GetValue(QLatin1String(Name));
}

int PortNumber(const String& Text, const String& ServerName) {
    bool ok = false;
    const int port = Text.trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        throw EDatabaseError(QStringLiteral("Invalid port '%1' in %2 '%3': expected a number "
                                            "from 1 to 65535")
                                 .arg(Text, QLatin1String(DbParams::ServerName), ServerName));
    return port;
}

// Raises when Value cannot be carried in the connection string at all.
void CheckCarriable(const char* Name, const String& Value) {
    if (Value.contains(QChar(0)))
        throw EDatabaseError(QStringLiteral("%1 contains a NUL character, which an ODBC "
                                            "connection string cannot carry")
                                 .arg(QLatin1String(Name)));
}

// Qt's ODBC driver reads a connection string with ".dsn" in it as "FILEDSN=<string>".
void RefuseFileDsnText(const char* Name, const String& Value) {
    if (Value.contains(QLatin1String(".dsn"), Qt::CaseInsensitive))
        throw EDatabaseError(QStringLiteral("%1 contains \".dsn\", which Qt's ODBC driver takes "
                                            "for a file data source: it cannot be passed to the "
                                            "FreeTDS ODBC driver")
                                 .arg(QLatin1String(Name)));
}

[[noreturn]] void RefuseBrace(const char* Name, const char* Why) {
    throw EDatabaseError(QStringLiteral("%1 contains \"}\"%2, which cannot be passed to the "
                                        "FreeTDS ODBC driver without changing the connection")
                             .arg(QLatin1String(Name), QLatin1String(Why)));
}

String Attribute(const char* Key, const String& Value) {
    return QLatin1String(Key) + QStringLiteral("={") + Value + QStringLiteral("};");
}

} // namespace

TServerAddress ParseServerName(const String& ServerName) {
    TServerAddress address;
    const String text = ServerName.trimmed();
    const auto fail = [&] {
        throw EDatabaseError(QStringLiteral("Invalid %1 '%2': expected host, host,port or "
                                            "host\\instance")
                                 .arg(QLatin1String(DbParams::ServerName), ServerName));
    };
    if (text.isEmpty())
        throw EDatabaseError(QStringLiteral("%1 is empty: expected host, host,port or "
                                            "host\\instance")
                                 .arg(QLatin1String(DbParams::ServerName)));
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    const qsizetype backslash = text.indexOf(QLatin1Char('\\'));
    if (comma >= 0 && backslash >= 0)
        fail();
    if (comma >= 0) {
        address.Host = text.left(comma).trimmed();
        address.Port = PortNumber(text.mid(comma + 1), ServerName);
    } else if (backslash >= 0) {
        address.Host = text.left(backslash).trimmed();
        address.Instance = text.mid(backslash + 1).trimmed();
        if (address.Instance.isEmpty() || address.Instance.contains(QLatin1Char('\\')))
            fail();
    } else {
        address.Host = text;
    }
    static const QRegularExpression hostChars(QStringLiteral("^[^\\s\\x00-\\x1f,;={}\\\\]+$"));
    if (address.Host.isEmpty() || !hostChars.match(address.Host).hasMatch())
        fail();
    // The local machine's conventional name on the original platform.
    if (address.Host == QLatin1String("."))
        address.Host = QStringLiteral("localhost");
    return address;
}

String CharsetOfLanguageDriver(const String& LangDriver) {
    const String name = LangDriver.trimmed();
    if (name.isEmpty())
        return String();
    // The Windows ANSI (West European and US) language drivers.
    if (name.compare(QLatin1String("DBWINWE0"), Qt::CaseInsensitive) == 0 ||
        name.compare(QLatin1String("DBWINUS0"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("CP1252");
    throw EDatabaseError(QStringLiteral("Unknown %1 '%2': expected DBWINWE0 or DBWINUS0")
                             .arg(QLatin1String(DbParams::LangDriver), LangDriver));
}

TLoginSettings LoginSettingsFromParams(const TStrings& Params) {
    TLoginSettings s;
    s.Server = ParseServerName(Param(Params, DbParams::ServerName));
    s.Database = Param(Params, DbParams::DatabaseName);
    s.User = Param(Params, DbParams::UserName);
    s.Password = Param(Params, DbParams::Password);
    // No driver can carry a NUL: each would cut the value short, or fail without naming it.
    CheckCarriable(DbParams::DatabaseName, s.Database);
    CheckCarriable(DbParams::UserName, s.User);
    CheckCarriable(DbParams::Password, s.Password);
    s.ClientCharset = CharsetOfLanguageDriver(Param(Params, DbParams::LangDriver));
    s.TdsVersion = Param(Params, DbParams::TdsVersion).trimmed();
    if (s.TdsVersion.isEmpty())
        s.TdsVersion = QLatin1String(DefaultTdsVersion);
    static const QRegularExpression version(QStringLiteral("^[0-9]\\.[0-9]$"));
    if (!version.match(s.TdsVersion).hasMatch())
        throw EDatabaseError(QStringLiteral("Invalid %1 '%2': expected a protocol version such "
                                            "as 7.4")
                                 .arg(QLatin1String(DbParams::TdsVersion), s.TdsVersion));
    const String timeout = Param(Params, DbParams::ConnectTimeout).trimmed();
    s.ConnectTimeout = DefaultConnectTimeout;
    if (!timeout.isEmpty()) {
        bool ok = false;
        s.ConnectTimeout = timeout.toInt(&ok);
        if (!ok || s.ConnectTimeout < 1 || s.ConnectTimeout > 3600)
            throw EDatabaseError(QStringLiteral("Invalid %1 '%2': expected seconds from 1 to "
                                                "3600")
                                     .arg(QLatin1String(DbParams::ConnectTimeout), timeout));
    }
    return s;
}

String FreeTdsDriver() {
    QStringList candidates;
    const String multiarch = QStringLiteral(FREETDS_MULTIARCH_DIR);
    if (!multiarch.isEmpty())
        candidates << QStringLiteral("/usr/lib/%1/odbc/libtdsodbc.so").arg(multiarch);
    candidates << QStringLiteral("/usr/lib/odbc/libtdsodbc.so")
               << QStringLiteral("/usr/lib64/libtdsodbc.so.0")
               << QStringLiteral("/usr/local/lib/libtdsodbc.so");
    for (const String& path : candidates)
        if (QFileInfo(path).isFile())
            return path;
    return QStringLiteral("FreeTDS");
}

String FreeTdsConnectionString(const TLoginSettings& Settings, const String& Driver) {
    struct Item {
        const char* Key;
        const char* Param;
        String Value;
    };
    const TServerAddress& server = Settings.Server;
    const String host =
        server.Instance.isEmpty() ? server.Host : server.Host + QLatin1Char('\\') + server.Instance;
    QList<Item> items{{"Driver", "the FreeTDS driver", Driver},
                      {"Server", DbParams::ServerName, host}};
    if (server.Port)
        items.append({"Port", DbParams::ServerName, QString::number(server.Port)});
    if (!Settings.Database.isEmpty())
        items.append({"Database", DbParams::DatabaseName, Settings.Database});
    items.append({"UID", DbParams::UserName, Settings.User});
    items.append({"TDS_Version", DbParams::TdsVersion, Settings.TdsVersion});
    if (!Settings.ClientCharset.isEmpty())
        items.append({"ClientCharset", DbParams::LangDriver, Settings.ClientCharset});

    String text;
    for (const Item& item : items) {
        CheckCarriable(item.Param, item.Value);
        RefuseFileDsnText(item.Param, item.Value);
        if (item.Value.contains(QLatin1Char('}')))
            RefuseBrace(item.Param, "");
        text += Attribute(item.Key, item.Value);
    }
    // Last, so that nothing of ours follows it. FreeTDS keeps a value up to the first "};";
    // the driver manager ends it at the first "}" and reads on, which is harmless only while
    // no "=" follows that "}".
    const String& password = Settings.Password;
    CheckCarriable(DbParams::Password, password);
    RefuseFileDsnText(DbParams::Password, password);
    if (password.contains(QStringLiteral("};")))
        RefuseBrace(DbParams::Password, " followed by \";\"");
    const qsizetype brace = password.indexOf(QLatin1Char('}'));
    if (brace >= 0 && password.indexOf(QLatin1Char('='), brace) >= 0)
        RefuseBrace(DbParams::Password, " before \"=\"");
    return text + Attribute("PWD", password);
}

String DriverReason(const String& Text, const String& Password) {
    if (!Password.isEmpty() && Text.contains(Password))
        return QStringLiteral("(the driver's reason is withheld: it quotes the password)");
    return Text;
}

} // namespace vcl
