#include "connect.h"

using namespace vcl;

TConnectForm* ConnectForm = nullptr;

TConnectForm::TConnectForm(TComponent* AOwner) : TForm(AOwner) {
    InitInheritedComponent(this);
}

TConnectForm::~TConnectForm() = default;

void TConnectForm::FormShow(TObject*) {
    SetActiveControl(ServerName);
}

void TConnectForm::ServerNameButtonClick(TObject*) {
    if (ListServerDialog1->Execute()) {
        ServerName->SetText(ListServerDialog1->ServerName());
        SetActiveControl(UserName);
    }
}
