#pragma once

// TSQLConnect fills a database connection's login parameters, from the settings stored for the
// current user or from the login form, and stores what the user typed for the next run.

#include <db/DBTables.h>
#include <vcl/Classes.h>

namespace vcl {
class TRegistry;
}

class TSQLConnect : public vcl::TComponent {
    Q_OBJECT
    Q_PROPERTY(vcl::TDatabase* Database READ Database WRITE SetDatabase)
    Q_PROPERTY(bool CheckOnExec MEMBER FCheckOnExec)
    Q_PROPERTY(QString RootKey MEMBER FRootKey)
    Q_PROPERTY(QString ServerName MEMBER FServerName)
    Q_PROPERTY(QString UserName MEMBER FUserName)
public:
    Q_INVOKABLE explicit TSQLConnect(vcl::TComponent* AOwner);
    ~TSQLConnect() override;

    // True when parameters were applied (stored settings, or the login form closed with OK).
    bool SetDBParams();

    vcl::TDatabase* Database() const { return FDatabase; }
    void SetDatabase(vcl::TDatabase* Value);
    bool CheckOnExec() const { return FCheckOnExec; }
    void SetCheckOnExec(bool Value) { FCheckOnExec = Value; }
    const vcl::String& RootKey() const { return FRootKey; }
    void SetRootKey(const vcl::String& Value) { FRootKey = Value; }
    const vcl::String& ServerName() const { return FServerName; }
    void SetServerName(const vcl::String& Value) { FServerName = Value; }
    const vcl::String& UserName() const { return FUserName; }
    void SetUserName(const vcl::String& Value) { FUserName = Value; }

protected:
    void Notification(vcl::TComponent* AComponent, vcl::TOperation Operation) override;

private:
    bool ApplyStoredSettings(vcl::TRegistry& Reg);
    bool AskUser();

    vcl::TDatabase* FDatabase = nullptr;
    bool FCheckOnExec = false;
    vcl::String FServerName;
    vcl::String FUserName;
    vcl::String FRootKey;
};

namespace SQLConnect {
// Puts TSQLConnect on the "System" page of the palette.
void Register();
} // namespace SQLConnect
