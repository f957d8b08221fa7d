#include "ComCtrls.h"

#include "QtControls.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QMouseEvent>
#include <QTreeView>

namespace vcl {

// The nodes as Qt sees them: each index points straight at its node, whose parent and
// position are stored, so no lookup walks the tree.
class TTreeNodesModel : public QAbstractItemModel {
public:
    explicit TTreeNodesModel(TTreeNodes* Nodes) : FNodes(Nodes) {}

    static TTreeNode* NodeOf(const QModelIndex& Index) {
        return static_cast<TTreeNode*>(Index.internalPointer());
    }
    QModelIndex IndexOf(const TTreeNode* Node) const {
        return Node ? createIndex(Node->FIndex, 0, const_cast<TTreeNode*>(Node)) : QModelIndex();
    }

    QModelIndex index(int Row, int Column, const QModelIndex& Parent) const override {
        const std::vector<TTreeNode*>& list =
            Parent.isValid() ? NodeOf(Parent)->FChildren : FNodes->FTopLevel;
        if (Column != 0 || Row < 0 || Row >= int(list.size()))
            return {};
        return createIndex(Row, 0, list[size_t(Row)]);
    }
    QModelIndex parent(const QModelIndex& Child) const override {
        return Child.isValid() ? IndexOf(NodeOf(Child)->FParent) : QModelIndex();
    }
    int rowCount(const QModelIndex& Parent) const override {
        if (!Parent.isValid())
            return int(FNodes->FTopLevel.size());
        return Parent.column() == 0 ? NodeOf(Parent)->Count() : 0;
    }
    int columnCount(const QModelIndex&) const override { return 1; }
    bool hasChildren(const QModelIndex& Parent) const override { return rowCount(Parent) > 0; }
    QVariant data(const QModelIndex& Index, int Role) const override {
        if (Index.isValid() && (Role == Qt::DisplayRole || Role == Qt::ToolTipRole))
            return NodeOf(Index)->FText;
        return {};
    }

    void BeginInsert(TTreeNode* Parent, int Row) { beginInsertRows(IndexOf(Parent), Row, Row); }
    void EndInsert() { endInsertRows(); }
    void BeginRemove(TTreeNode* Node) {
        beginRemoveRows(IndexOf(Node->FParent), Node->FIndex, Node->FIndex);
    }
    void EndRemove() { endRemoveRows(); }
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }
    void TextChanged(TTreeNode* Node) {
        const QModelIndex i = IndexOf(Node);
        Q_EMIT dataChanged(i, i, {Qt::DisplayRole});
    }

private:
    TTreeNodes* FNodes;
};

// The tree's window: reports double clicks to the control.
class TTreeViewWidget : public QTreeView {
public:
    TTreeView* FTree = nullptr;

protected:
    void mouseDoubleClickEvent(QMouseEvent* Event) override {
        QTreeView::mouseDoubleClickEvent(Event);
        if (FTree && Event->button() == Qt::LeftButton) {
            TTreeView* tree = FTree;
            TControl::Dispatch([tree] { tree->DblClick(); });
        }
    }
};

namespace {
int SubtreeSize(const TTreeNode* Node) {
    int size = 1;
    for (int i = 0; i < Node->Count(); ++i)
        size += SubtreeSize(Node->Item(i));
    return size;
}

const bool registered = [] {
    RegisterClass<TTreeView>();
    RegisterEventType<TTVChangedEvent>();
    return true;
}();
} // namespace

// ---- TTreeNode

TTreeNode::TTreeNode(TTreeNodes* Owner, TTreeNode* Parent, int Index, String Text)
    : FOwner(Owner), FParent(Parent), FIndex(Index), FText(std::move(Text)) {}

TTreeNode::~TTreeNode() {
    for (TTreeNode* child : FChildren)
        delete child;
}

const std::vector<TTreeNode*>& TTreeNode::Siblings() const {
    return FParent ? FParent->FChildren : FOwner->FTopLevel;
}

void TTreeNode::SetText(const String& Value) {
    if (Value == FText)
        return;
    FText = Value;
    FOwner->FModel->TextChanged(this);
}

TTreeNode* TTreeNode::Item(int Index) const {
    if (Index < 0 || Index >= Count())
        throw EInvalidOperation(
            QStringLiteral("Tree node index %1 out of bounds (0..%2)").arg(Index).arg(Count() - 1));
    return FChildren[size_t(Index)];
}

int TTreeNode::Level() const {
    int level = 0;
    for (const TTreeNode* p = FParent; p; p = p->FParent)
        ++level;
    return level;
}

TTreeNode* TTreeNode::GetFirstChild() const {
    return FChildren.empty() ? nullptr : FChildren.front();
}

TTreeNode* TTreeNode::GetLastChild() const {
    return FChildren.empty() ? nullptr : FChildren.back();
}

TTreeNode* TTreeNode::GetNextSibling() const {
    const std::vector<TTreeNode*>& list = Siblings();
    return size_t(FIndex) + 1 < list.size() ? list[size_t(FIndex) + 1] : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
    return FIndex > 0 ? Siblings()[size_t(FIndex) - 1] : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
    if (!FChildren.empty())
        return FChildren.front();
    for (const TTreeNode* n = this; n; n = n->FParent)
        if (TTreeNode* sibling = n->GetNextSibling())
            return sibling;
    return nullptr;
}

bool TTreeNode::Expanded() const {
    return FOwner->FOwner->FView->isExpanded(FOwner->FModel->IndexOf(this));
}

void TTreeNode::Expand(bool Recurse) {
    QTreeView* view = FOwner->FOwner->FView;
    const QModelIndex index = FOwner->FModel->IndexOf(this);
    if (Recurse)
        view->expandRecursively(index);
    else
        view->expand(index);
}

void TTreeNode::Collapse(bool Recurse) {
    QTreeView* view = FOwner->FOwner->FView;
    view->collapse(FOwner->FModel->IndexOf(this));
    if (Recurse)
        for (TTreeNode* child : FChildren)
            child->Collapse(true);
}

bool TTreeNode::Selected() const {
    return FOwner->FOwner->Selected() == this;
}

void TTreeNode::MakeVisible() {
    QTreeView* view = FOwner->FOwner->FView;
    for (TTreeNode* p = FParent; p; p = p->FParent)
        view->expand(FOwner->FModel->IndexOf(p));
    view->scrollTo(FOwner->FModel->IndexOf(this), QAbstractItemView::EnsureVisible);
}

void TTreeNode::Delete() {
    FOwner->Delete(this);
}

// ---- TTreeNodes

TTreeNodes::TTreeNodes(TTreeView* Owner) : FOwner(Owner), FModel(new TTreeNodesModel(this)) {
    FModel->setParent(this);
}

TTreeNodes::~TTreeNodes() {
    for (TTreeNode* n : FTopLevel)
        delete n;
    FTopLevel.clear();
}

TTreeNode* TTreeNodes::GetFirstNode() const {
    return FTopLevel.empty() ? nullptr : FTopLevel.front();
}

void TTreeNodes::CheckNode(const TTreeNode* Node, const char* Operation) const {
    if (Node && Node->FOwner != this)
        throw EInvalidOperation(
            QStringLiteral("%1: the node belongs to another tree").arg(QLatin1String(Operation)));
}

TTreeNode* TTreeNodes::Append(TTreeNode* Parent, const String& S) {
    std::vector<TTreeNode*>& list = Parent ? Parent->FChildren : FTopLevel;
    const int row = int(list.size());
    auto* node = new TTreeNode(this, Parent, row, S);
    FModel->BeginInsert(Parent, row);
    list.push_back(node);
    ++FCount;
    FModel->EndInsert();
    return node;
}

TTreeNode* TTreeNodes::Add(TTreeNode* Node, const String& S) {
    CheckNode(Node, "Add");
    return Append(Node ? Node->FParent : nullptr, S);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* Node, const String& S) {
    CheckNode(Node, "AddChild");
    return Append(Node, S);
}

void TTreeNodes::Delete(TTreeNode* Node) {
    if (!Node)
        return;
    CheckNode(Node, "Delete");
    const int removed = SubtreeSize(Node);
    std::vector<TTreeNode*>& list = Node->FParent ? Node->FParent->FChildren : FTopLevel;
    FModel->BeginRemove(Node);
    list.erase(list.begin() + Node->FIndex);
    for (size_t i = size_t(Node->FIndex); i < list.size(); ++i)
        list[i]->FIndex = int(i);
    FCount -= removed;
    FModel->EndRemove();
    delete Node;
}

void TTreeNodes::Clear() {
    FModel->BeginReset();
    for (TTreeNode* n : FTopLevel)
        delete n;
    FTopLevel.clear();
    FCount = 0;
    FModel->EndReset();
}

void TTreeNodes::BeginUpdate() {
    if (FUpdating++ == 0)
        FOwner->FView->setUpdatesEnabled(false);
}

void TTreeNodes::EndUpdate() {
    if (FUpdating > 0 && --FUpdating == 0)
        FOwner->FView->setUpdatesEnabled(true);
}

// ---- TTreeView

TTreeView::TTreeView(TComponent* AOwner)
    : TWinControl(AOwner, NewWidget<TTreeViewWidget>()), Items(new TTreeNodes(this)),
      FView(static_cast<QTreeView*>(Widget())) {
    Items->setParent(this);
    static_cast<TTreeViewWidget*>(FView)->FTree = this;
    FView->setHeaderHidden(true);
    FView->setUniformRowHeights(true);
    FView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FView->setSelectionMode(QAbstractItemView::SingleSelection);
    FView->setIndentation(19);
    FView->setModel(Items->FModel);
    SetTabStop(true);
    SetBounds(0, 0, 121, 97);
    connect(FView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (TTreeNode* node = Selected())
            Dispatch([this, node] { Change(node); });
    });
}

TTreeView::~TTreeView() {
    if (FView) {
        QObject::disconnect(FView->selectionModel(), nullptr, this, nullptr);
        static_cast<TTreeViewWidget*>(FView)->FTree = nullptr;
    }
}

void TTreeView::FullExpand() {
    FView->expandAll();
}

void TTreeView::FullCollapse() {
    FView->collapseAll();
}

TTreeNode* TTreeView::Selected() const {
    const QModelIndexList selected = FView->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : TTreeNodesModel::NodeOf(selected.first());
}

void TTreeView::SetSelected(TTreeNode* Node) {
    Items->CheckNode(Node, "Selected");
    if (!Node) {
        FView->selectionModel()->clearSelection();
        return;
    }
    FView->selectionModel()->setCurrentIndex(Items->FModel->IndexOf(Node),
                                             QItemSelectionModel::ClearAndSelect);
}

int TTreeView::Indent() const {
    return FView->indentation();
}

void TTreeView::SetIndent(int Value) {
    FView->setIndentation(Value);
}

bool TTreeView::ShowRoot() const {
    return FView->rootIsDecorated();
}

void TTreeView::SetShowRoot(bool Value) {
    FView->setRootIsDecorated(Value);
}

void TTreeView::Change(TTreeNode* Node) {
    if (FOnChange.Assigned())
        FOnChange(this, Node);
}

void TTreeView::DblClick() {
    if (FOnDblClick.Assigned())
        FOnDblClick(this);
}

TTreeNode* TTreeView::GetNodeAt(int X, int Y) const {
    const QModelIndex index = FView->indexAt(QPoint(X, Y));
    return index.isValid() ? TTreeNodesModel::NodeOf(index) : nullptr;
}

QRect TTreeView::NodeRect(const TTreeNode* Node) const {
    return Node ? FView->visualRect(Items->FModel->IndexOf(Node)) : QRect();
}

} // namespace vcl
