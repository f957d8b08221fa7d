#pragma once

// Two small forms built only from their descriptions (resources TSAMPLEFORM and
// TTREESAMPLEFORM), with handlers bound by name.

#include "rxctl/ToolEdit.h"
#include "vcl/Buttons.h"
#include "vcl/ComCtrls.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"

#include <QStringList>

#include <functional>

// A login-like dialog: a panel with labels, an edit with a button, a plain edit and a password
// edit, and OK/Cancel buttons.
class TSampleForm : public vcl::TForm {
    Q_OBJECT
    Q_PROPERTY(vcl::TPanel* Panel1 MEMBER Panel1 STORED false)
    Q_PROPERTY(vcl::TBitBtn* OKBtn MEMBER OKBtn STORED false)
    Q_PROPERTY(vcl::TBitBtn* CancelBtn MEMBER CancelBtn STORED false)
    Q_PROPERTY(vcl::TEdit* User MEMBER User STORED false)
    Q_PROPERTY(vcl::TEdit* Secret MEMBER Secret STORED false)
    Q_PROPERTY(vcl::TLabel* Label1 MEMBER Label1 STORED false)
    Q_PROPERTY(vcl::TLabel* Label2 MEMBER Label2 STORED false)
    Q_PROPERTY(vcl::TLabel* Label3 MEMBER Label3 STORED false)
    Q_PROPERTY(vcl::TComboEdit* Host MEMBER Host STORED false)
public:
    Q_INVOKABLE explicit TSampleForm(vcl::TComponent* AOwner) : TForm(AOwner) {
        InitInheritedComponent(this);
    }

    vcl::TPanel* Panel1 = nullptr;
    vcl::TBitBtn* OKBtn = nullptr;
    vcl::TBitBtn* CancelBtn = nullptr;
    vcl::TEdit* User = nullptr;
    vcl::TEdit* Secret = nullptr;
    vcl::TLabel* Label1 = nullptr;
    vcl::TLabel* Label2 = nullptr;
    vcl::TLabel* Label3 = nullptr;
    vcl::TComboEdit* Host = nullptr;

    int Shows = 0;
    int ButtonClicks = 0;
    QStringList UserChanges;
    bool ThrowOnButton = false;
    std::function<void()> OnButton; // what the test makes the button do

    Q_INVOKABLE void FormShow(vcl::TObject*) {
        ++Shows;
        SetActiveControl(Host);
    }
    Q_INVOKABLE void HostButtonClick(vcl::TObject*) {
        ++ButtonClicks;
        if (ThrowOnButton)
            throw vcl::EInvalidOperation(QStringLiteral("the button handler failed"));
        if (OnButton)
            OnButton();
    }
    Q_INVOKABLE void UserChange(vcl::TObject*) { UserChanges.append(User->Text()); }
};

// A list-like dialog: an edit that enables OK, and a tree whose selection fills the edit and
// whose double click acts as OK.
class TTreeSampleForm : public vcl::TForm {
    Q_OBJECT
    Q_PROPERTY(vcl::TEdit* Edit1 MEMBER Edit1 STORED false)
    Q_PROPERTY(vcl::TBitBtn* OKBtn MEMBER OKBtn STORED false)
    Q_PROPERTY(vcl::TBitBtn* CancelBtn MEMBER CancelBtn STORED false)
    Q_PROPERTY(vcl::TTreeView* Tree MEMBER Tree STORED false)
public:
    Q_INVOKABLE explicit TTreeSampleForm(vcl::TComponent* AOwner) : TForm(AOwner) {
        InitInheritedComponent(this);
    }

    vcl::TEdit* Edit1 = nullptr;
    vcl::TBitBtn* OKBtn = nullptr;
    vcl::TBitBtn* CancelBtn = nullptr;
    vcl::TTreeView* Tree = nullptr;

    QStringList Changes; // texts of the nodes TreeChange was given
    int DoubleClicks = 0;
    QList<vcl::TCursor> CursorsDuringShow;

    Q_INVOKABLE void Edit1Change(vcl::TObject*) { OKBtn->SetEnabled(!Edit1->Text().isEmpty()); }
    Q_INVOKABLE void TreeChange(vcl::TObject*, vcl::TTreeNode* Node) {
        Changes.append(Node->Text());
        Edit1->SetText(Node->Text());
    }
    Q_INVOKABLE void FormShow(vcl::TObject*) {
        using namespace vcl;
        Screen->Cursor = crHourGlass;
        CursorsDuringShow.append(Screen->Cursor);
        Tree->Items->Clear();
        for (const char* domain : {"ALPHA", "BETA"}) {
            TTreeNode* node = Tree->Items->Add(Tree->Items->GetFirstNode(), QLatin1String(domain));
            for (int i = 1; i <= 3; ++i)
                Tree->Items->AddChild(node,
                                      QStringLiteral("%1%2").arg(QLatin1String(domain)).arg(i));
        }
        Tree->Items->Add(Tree->Items->GetFirstNode(), QStringLiteral("EMPTY"));
        Tree->FullExpand();
        if (TTreeNode* first = Tree->Items->GetFirstNode())
            first->MakeVisible();
        Screen->Cursor = crArrow;
    }
    Q_INVOKABLE void TreeDblClick(vcl::TObject*) {
        ++DoubleClicks;
        vcl::SendMessageA(OKBtn->Handle(), vcl::BM_CLICK, 1, 0);
    }
};
