#pragma once

// The database connection component.

#include "DB.h"
#include "DbExport.h"

#include <vcl/Classes.h>

#include <QSqlDatabase>

#include <memory>

namespace vcl {

// A connection to a database server, configured by its DriverName and its Params (NAME=value
// lines: "SERVER NAME", "DATABASE NAME", "USER NAME", "PASSWORD", "LANGDRIVER", and optionally
// "CONNECT TIMEOUT" in seconds and, for MSSQL, "TDS VERSION").
//
// DriverName "MSSQL" reaches SQL Server through FreeTDS's ODBC driver; "PGSQL" reaches
// PostgreSQL. "SERVER NAME" is host, host,port or (MSSQL only) host\instance.
class DB_EXPORT TDatabase : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString DatabaseName READ DatabaseName WRITE SetDatabaseName)
    Q_PROPERTY(QString DriverName READ DriverName WRITE SetDriverName)
    Q_PROPERTY(vcl::TStrings* Params READ Params WRITE SetParams)
    Q_PROPERTY(bool Connected READ Connected WRITE SetConnected)
    VCL_DEFAULT(Connected, "False")
public:
    Q_INVOKABLE explicit TDatabase(vcl::TComponent* AOwner);
    ~TDatabase() override;

    // The name the application knows this connection by; shown in error messages.
    const String& DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const String& Value);
    const String& DriverName() const { return FDriverName; }
    void SetDriverName(const String& Value);
    TStrings* Params() const { return FParams.get(); }
    // Copies the lines of Value.
    void SetParams(TStrings* Value);

    bool Connected() const { return FConnection.isOpen(); }
    void SetConnected(bool Value);
    // Opens the connection from the parameters; raises EDatabaseError when it cannot.
    void Open();
    // Closing a closed connection does nothing.
    void Close();

    // The open Qt SQL connection, for running statements; invalid while closed.
    QSqlDatabase Connection() const { return FConnection; }

    void Loaded() override;

private:
    void CheckInactive(const char* Property) const;
    String DisplayName() const;

    String FDatabaseName;
    String FDriverName;
    std::unique_ptr<TStrings> FParams;
    QSqlDatabase FConnection;
    String FConnectionName;
    bool FStreamedConnected = false;
};

} // namespace vcl
