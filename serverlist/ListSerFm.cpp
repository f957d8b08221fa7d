#include "ListSerFm.h"

#include <vcl/Windows.h>

using namespace vcl;

TListServerForm* ListServerForm = nullptr;

namespace {

// Each level of the walk reads its container in batches of this size, held on its own stack.
constexpr DWORD BatchBufferSize = 1312;
constexpr int MaxServerNameLength = 255;

// The screen cursor goes back to the arrow on every way out of the walk.
class HourGlass {
public:
    HourGlass() { Screen->Cursor = crHourGlass; }
    ~HourGlass() { Screen->Cursor = crArrow; }
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;
};

class EnumHandle {
public:
    explicit EnumHandle(HANDLE h) : FHandle(h) {}
    ~EnumHandle() { WNetCloseEnum(FHandle); }
    EnumHandle(const EnumHandle&) = delete;
    EnumHandle& operator=(const EnumHandle&) = delete;

private:
    HANDLE FHandle;
};

// "\\NAME" becomes "NAME": the first two characters go, whatever they are, and at most 255
// characters stay. Counted in characters, so no UTF-8 sequence is ever cut.
String ServerNodeText(const char* RemoteName) {
    const QList<uint> chars = String::fromUtf8(RemoteName ? RemoteName : "").toUcs4();
    const QList<uint> kept = chars.mid(2, MaxServerNameLength);
    return String::fromUcs4(reinterpret_cast<const char32_t*>(kept.constData()), kept.size());
}

} // namespace

TListServerForm::TListServerForm(TComponent* AOwner) : TForm(AOwner) {
    InitInheritedComponent(this);
}

TListServerForm::~TListServerForm() = default;

void TListServerForm::FormShow(TObject*) {
    const HourGlass Busy;
    Tree->Items->Clear();
    EnumNet(nullptr, Tree->Items->GetFirstNode());
    Tree->FullExpand();
    if (TTreeNode* First = Tree->Items->GetFirstNode())
        First->MakeVisible();
}

bool TListServerForm::EnumNet(LPNETRESOURCEA Container, TTreeNode* ParentNode) {
    HANDLE hEnum = nullptr;
    if (WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, RESOURCEUSAGE_CONTAINER, Container,
                      &hEnum) != NO_ERROR)
        return true;
    const EnumHandle CloseAtEnd(hEnum);

    alignas(NETRESOURCEA) char Buffer[BatchBufferSize];
    DWORD Result;
    do {
        DWORD Count = 0xFFFFFFFF;
        DWORD Size = BatchBufferSize;
        Result = WNetEnumResourceA(hEnum, &Count, Buffer, &Size);
        // Any other answer (a network error, a record too large for the batch) would come back
        // the same on every retry: the container ends here.
        if (Result != NO_ERROR && Result != ERROR_NO_MORE_ITEMS)
            break;
        auto* Records = reinterpret_cast<NETRESOURCEA*>(Buffer);
        const int Delivered = static_cast<int>(Count);
        for (int i = 0; i < Delivered; ++i) {
            NETRESOURCEA* Record = &Records[i];
            TTreeNode* Node = ParentNode;
            switch (Record->dwDisplayType) {
            case RESOURCEDISPLAYTYPE_DOMAIN:
                Node = Tree->Items->Add(
                    ParentNode, String::fromUtf8(Record->lpRemoteName ? Record->lpRemoteName : ""));
                break;
            case RESOURCEDISPLAYTYPE_SERVER:
                Node = Tree->Items->AddChild(ParentNode, ServerNodeText(Record->lpRemoteName));
                break;
            default:
                break;
            }
            EnumNet(Record, Node);
        }
    } while (Result != ERROR_NO_MORE_ITEMS);
    return true;
}

void TListServerForm::TreeChange(TObject*, TTreeNode* Node) {
    if (!Node)
        return;
    Edit1->SetText(Node->Text());
    if (Node->HasChildren()) {
        SelectedDomain = Node->Text();
        SelectedServer.clear();
    } else {
        SelectedServer = Node->Text();
        SelectedDomain.clear();
    }
}

void TListServerForm::Edit1Change(TObject*) {
    OKBtn->SetEnabled(!Edit1->Text().isEmpty());
}

void TListServerForm::TreeDblClick(TObject*) {
    SendMessageA(OKBtn->Handle(), BM_CLICK, 1, 0);
}
