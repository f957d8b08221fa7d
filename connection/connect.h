#pragma once

// The login form "Connect To SQL Server": server name (with a button that browses the
// network), user name and password.

#include <rxctl/ToolEdit.h>
#include <serverlist/ListReg.h>
#include <vcl/Buttons.h>
#include <vcl/ExtCtrls.h>
#include <vcl/Forms.h>
#include <vcl/StdCtrls.h>

class TConnectForm : public vcl::TForm {
    Q_OBJECT
    Q_PROPERTY(vcl::TPanel* Panel1 MEMBER Panel1 STORED false)
    Q_PROPERTY(vcl::TBitBtn* OKBtn MEMBER OKBtn STORED false)
    Q_PROPERTY(vcl::TBitBtn* CancelBtn MEMBER CancelBtn STORED false)
    Q_PROPERTY(vcl::TEdit* UserName MEMBER UserName STORED false)
    Q_PROPERTY(vcl::TEdit* Password MEMBER Password STORED false)
    Q_PROPERTY(vcl::TLabel* Label1 MEMBER Label1 STORED false)
    Q_PROPERTY(vcl::TLabel* Label3 MEMBER Label3 STORED false)
    Q_PROPERTY(vcl::TLabel* Label4 MEMBER Label4 STORED false)
    Q_PROPERTY(vcl::TComboEdit* ServerName MEMBER ServerName STORED false)
    Q_PROPERTY(TListServerDialog* ListServerDialog1 MEMBER ListServerDialog1 STORED false)
public:
    Q_INVOKABLE explicit TConnectForm(vcl::TComponent* AOwner);
    ~TConnectForm() override;

    vcl::TPanel* Panel1 = nullptr;
    vcl::TBitBtn* OKBtn = nullptr;
    vcl::TBitBtn* CancelBtn = nullptr;
    vcl::TEdit* UserName = nullptr;
    vcl::TEdit* Password = nullptr;
    vcl::TLabel* Label1 = nullptr;
    vcl::TLabel* Label3 = nullptr;
    vcl::TLabel* Label4 = nullptr;
    vcl::TComboEdit* ServerName = nullptr;
    TListServerDialog* ListServerDialog1 = nullptr;

    Q_INVOKABLE void FormShow(vcl::TObject* Sender);
    Q_INVOKABLE void ServerNameButtonClick(vcl::TObject* Sender);
};

// The form while it is shown; null otherwise.
extern TConnectForm* ConnectForm;
