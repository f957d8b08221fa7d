#include "ListReg.h"

#include "ListSerFm.h"

#include <vcl/Forms.h>
#include <vcl/Packages.h>

using namespace vcl;

TListServerDialog::TListServerDialog(TComponent* AOwner) : TComponent(AOwner), FFont(new TFont) {
    if (auto* OwnerForm = qobject_cast<TForm*>(AOwner))
        FFont->Assign(OwnerForm->Font());
}

TListServerDialog::~TListServerDialog() {
    delete FFont;
}

void TListServerDialog::SetFont(TFont* Value) {
    FFont->Assign(Value);
}

bool TListServerDialog::Execute() {
    const TFormShowing<TListServerForm> Form(ListServerForm, Application);
    Form->SetFont(FFont);
    Form->Tree->SetFont(FFont);
    Form->Edit1->SetFont(FFont);
    Form->SetCaption(FCaption);
    FDomain.clear();
    FServerName.clear();
    Form->OnlySQLServers = FSQLServerOnly;
    const TModalResult Result = Form->ShowModal();
    FDomain = Form->SelectedDomain;
    FServerName = Form->SelectedServer;
    return Result == mrOk;
}

namespace ListReg {
void Register() {
    RegisterComponents(QStringLiteral("System"), {&TListServerDialog::staticMetaObject});
}
} // namespace ListReg
