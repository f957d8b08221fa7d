#pragma once

// What a TDatabase's parameter list says about the login, and the FreeTDS connection string
// built from it. Kept apart from TDatabase so that it can be checked without a server.

#include "DB.h"

#include <vcl/Classes.h>

namespace vcl {

// Parameter names a TDatabase understands.
namespace DbParams {
inline const char* const ServerName = "SERVER NAME";
inline const char* const DatabaseName = "DATABASE NAME";
inline const char* const UserName = "USER NAME";
inline const char* const Password = "PASSWORD";
inline const char* const LangDriver = "LANGDRIVER";
inline const char* const ConnectTimeout = "CONNECT TIMEOUT"; // seconds
inline const char* const TdsVersion = "TDS VERSION";         // FreeTDS protocol version
} // namespace DbParams

// "SERVER NAME" taken apart: "host", "host,port" or "host\instance".
struct TServerAddress {
    String Host;
    int Port = 0; // 0: the driver's default
    String Instance;
    friend bool operator==(const TServerAddress&, const TServerAddress&) = default;
};

// Raises EDatabaseError naming the expected forms when ServerName is none of them.
DB_EXPORT TServerAddress ParseServerName(const String& ServerName);

struct TLoginSettings {
    TServerAddress Server;
    String Database;
    String User;
    String Password;
    String ClientCharset; // empty: the driver's default
    String TdsVersion;
    int ConnectTimeout = 0; // seconds
};

inline constexpr int DefaultConnectTimeout = 15;
inline const char* const DefaultTdsVersion = "7.4";

// Reads the login from Params; raises EDatabaseError for a value it cannot use.
DB_EXPORT TLoginSettings LoginSettingsFromParams(const TStrings& Params);

// The code page a language driver of the original database layer stands for ("CP1252" for
// "DBWINWE0"); empty for an empty name; raises EDatabaseError for one it does not know.
DB_EXPORT String CharsetOfLanguageDriver(const String& LangDriver);

// The FreeTDS ODBC driver: its library's path when installed in a known place, otherwise the
// name it is registered under in odbcinst.ini.
DB_EXPORT String FreeTdsDriver();

// A DSN-less connection string for FreeTDS. Every value is brace-quoted. The driver manager
// and FreeTDS read braces differently (the manager ends a value at the first lone "}", FreeTDS
// at the first "};", and FreeTDS does not undo doubled braces), so no doubling can be right for
// both. Values are therefore passed as they are and the password goes last: a "}" is refused in
// every other value, and in the password wherever either reader could take what follows it as
// another attribute. Qt's ODBC driver takes a connection string holding ".dsn" anywhere for a
// file data source name, so that text is refused in every value too. Raises EDatabaseError
// naming the parameter, never showing its value.
DB_EXPORT String FreeTdsConnectionString(const TLoginSettings& Settings, const String& Driver);

// A driver's reason for a failed login, fit to show: withheld whole when it quotes the
// password. Masking only the password would leave its place, and so often the password
// itself, readable from the text around it.
DB_EXPORT String DriverReason(const String& Text, const String& Password);

} // namespace vcl
