#pragma once

// The network server list: walks the network into a tree of domains and servers each time it
// is shown, and records the node the user selects.

#include <vcl/Buttons.h>
#include <vcl/ComCtrls.h>
#include <vcl/Forms.h>
#include <vcl/StdCtrls.h>
#include <winnet/WinNet.h>

class TListServerForm : public vcl::TForm {
    Q_OBJECT
    Q_PROPERTY(vcl::TEdit* Edit1 MEMBER Edit1 STORED false)
    Q_PROPERTY(vcl::TBitBtn* OKBtn MEMBER OKBtn STORED false)
    Q_PROPERTY(vcl::TBitBtn* CancelBtn MEMBER CancelBtn STORED false)
    Q_PROPERTY(vcl::TTreeView* Tree MEMBER Tree STORED false)
public:
    Q_INVOKABLE explicit TListServerForm(vcl::TComponent* AOwner);
    ~TListServerForm() override;

    vcl::TEdit* Edit1 = nullptr;
    vcl::TBitBtn* OKBtn = nullptr;
    vcl::TBitBtn* CancelBtn = nullptr;
    vcl::TTreeView* Tree = nullptr;

    Q_INVOKABLE void Edit1Change(vcl::TObject* Sender);
    Q_INVOKABLE void TreeChange(vcl::TObject* Sender, vcl::TTreeNode* Node);
    Q_INVOKABLE void FormShow(vcl::TObject* Sender);
    Q_INVOKABLE void TreeDblClick(vcl::TObject* Sender);

    // Adds the records below Container (the whole network when null) to the tree, placed
    // against ParentNode. A container that cannot be enumerated adds nothing. Always true.
    bool EnumNet(LPNETRESOURCEA Container, vcl::TTreeNode* ParentNode);

    // Text of the last selected node with children, and of the last one without.
    vcl::String SelectedDomain;
    vcl::String SelectedServer;
    // Set from the dialog before showing; it does not change what is listed.
    bool OnlySQLServers = false;
};

// The form while it is shown; null otherwise.
extern TListServerForm* ListServerForm;
