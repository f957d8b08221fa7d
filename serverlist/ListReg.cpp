#include "ListReg.h"

#include "ListSerFm.h"

#include <vcl/Forms.h>
#include <vcl/Packages.h>

using namespace vcl;

namespace {
// Frees the list form on every way out and clears ListServerForm with it.
struct ListServerFormGuard {
    ~ListServerFormGuard() {
        delete ListServerForm;
        ListServerForm = nullptr;
    }
};
} // namespace

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
    ListServerFormGuard FreeForm;
    ListServerForm = new TListServerForm(Application);
    ListServerForm->SetFont(FFont);
    ListServerForm->Tree->SetFont(FFont);
    ListServerForm->Edit1->SetFont(FFont);
    ListServerForm->SetCaption(FCaption);
    FDomain.clear();
    FServerName.clear();
    ListServerForm->OnlySQLServers = FSQLServerOnly;
    const TModalResult Result = ListServerForm->ShowModal();
    FDomain = ListServerForm->SelectedDomain;
    FServerName = ListServerForm->SelectedServer;
    return Result == mrOk;
}

namespace ListReg {
void Register() {
    RegisterComponents(QStringLiteral("System"), {&TListServerDialog::staticMetaObject});
}
} // namespace ListReg
