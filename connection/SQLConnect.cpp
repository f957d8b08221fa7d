#include "SQLConnect.h"

#include "connect.h"

#include <vcl/Forms.h>
#include <vcl/Packages.h>
#include <vcl/Registry.h>

#include <memory>

using namespace vcl;

namespace {

const String ServerNameValue = QStringLiteral("SERVER NAME");
const String UserNameValue = QStringLiteral("USER NAME");
const String PasswordValue = QStringLiteral("PASSWORD");
const String LangDriverValue = QStringLiteral("LANGDRIVER");
const String WestEuropeanDriver = QStringLiteral("DBWINWE0");

EComponentError NoDatabase(const TSQLConnect& Connect) {
    return EComponentError(
        QStringLiteral("%1: no Database is assigned: expected the TDatabase "
                       "whose parameters SetDBParams fills")
            .arg(Connect.Name().isEmpty() ? Connect.ClassName() : Connect.Name()));
}

} // namespace

TSQLConnect::TSQLConnect(TComponent* AOwner) : TComponent(AOwner) {}

TSQLConnect::~TSQLConnect() = default;

void TSQLConnect::SetDatabase(TDatabase* Value) {
    if (FDatabase == Value)
        return;
    if (FDatabase)
        FDatabase->RemoveFreeNotification(this);
    FDatabase = Value;
    if (FDatabase)
        FDatabase->FreeNotification(this);
}

void TSQLConnect::Notification(TComponent* AComponent, TOperation Operation) {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDatabase)
        FDatabase = nullptr;
}

bool TSQLConnect::SetDBParams() {
    if (!FDatabase)
        throw NoDatabase(*this);
    auto Reg = std::make_unique<TRegistry>();
    Reg->SetRootKey(HKEY_CURRENT_USER);
    // An empty RootKey names no settings key (it would be the root of the hive itself).
    const bool Opened = !FRootKey.isEmpty() && Reg->OpenKey(FRootKey, false);
    if (Opened && FCheckOnExec)
        return ApplyStoredSettings(*Reg);
    Reg->CloseKey();
    Reg.reset();
    return AskUser();
}

bool TSQLConnect::ApplyStoredSettings(TRegistry& Reg) {
    FDatabase->Close();
    for (const String& Name : {ServerNameValue, UserNameValue, PasswordValue, LangDriverValue})
        FDatabase->Params()->Values[Name] = Reg.ReadString(Name);
    FServerName = Reg.ReadString(ServerNameValue);
    FUserName = Reg.ReadString(UserNameValue);
    Reg.CloseKey();
    return true;
}

bool TSQLConnect::AskUser() {
    const TFormShowing<TConnectForm> Form(ConnectForm, Application);
    if (Form->ShowModal() != mrOk)
        return false;
    // The database may have gone while the form was open.
    if (!FDatabase)
        throw NoDatabase(*this);

    FDatabase->Close();
    TStrings* Params = FDatabase->Params();
    Params->Values[ServerNameValue] = Form->ServerName->Text();
    Params->Values[UserNameValue] = Form->UserName->Text();
    Params->Values[PasswordValue] = Form->Password->Text();
    Params->Values[LangDriverValue] = WestEuropeanDriver;

    TRegistry Reg;
    Reg.SetRootKey(HKEY_CURRENT_USER);
    if (FRootKey.isEmpty() || !Reg.OpenKey(FRootKey, true))
        throw ERegistryException(
            QStringLiteral("Cannot store the login settings: the key HKEY_CURRENT_USER\\%1 cannot "
                           "be opened or created; expected a RootKey naming a key the current "
                           "user may write (the connection parameters are set)")
                .arg(FRootKey));
    Reg.WriteString(ServerNameValue, Form->ServerName->Text());
    Reg.WriteString(UserNameValue, Form->UserName->Text());
    Reg.WriteString(PasswordValue, Form->Password->Text());
    Reg.WriteString(LangDriverValue, WestEuropeanDriver);
    Reg.CloseKey();

    FServerName = Form->ServerName->Text();
    FUserName = Form->UserName->Text();
    return true;
}

namespace SQLConnect {
void Register() {
    RegisterComponents(QStringLiteral("System"), {&TSQLConnect::staticMetaObject});
}
} // namespace SQLConnect
