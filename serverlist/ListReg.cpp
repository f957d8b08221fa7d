#include "ListReg.h"

#include "ListSerFm.h"

#include <vcl/Forms.h>
#include <vcl/Packages.h>

#include <memory>

using namespace vcl;

namespace {
// ListServerForm names the form for as long as it is shown, and what it named before afterwards.
class ShownAs {
public:
    ShownAs(TListServerForm* Form) : FPrevious(ListServerForm) { ListServerForm = Form; }
    ~ShownAs() { ListServerForm = FPrevious; }
    ShownAs(const ShownAs&) = delete;
    ShownAs& operator=(const ShownAs&) = delete;

private:
    TListServerForm* FPrevious;
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
    // Freed on every way out, also when an error escapes.
    const std::unique_ptr<TListServerForm> Form(new TListServerForm(Application));
    const ShownAs Shown(Form.get());
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
