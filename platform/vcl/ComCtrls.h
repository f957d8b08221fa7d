#pragma once

// The tree view and its nodes. Nodes carry a text; adding a node, moving to the next one and
// asking a node for its parent, index or children are constant-time, so building or walking a
// tree costs time in proportion to its size.

#include "Controls.h"

#include <QRect>

#include <vector>

class QTreeView;

namespace vcl {

class TTreeNodes;
class TTreeView;
class TTreeNodesModel;

class VCL_EXPORT TTreeNode {
public:
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    const String& Text() const { return FText; }
    void SetText(const String& Value);

    // Whether the node has child nodes.
    bool HasChildren() const { return !FChildren.empty(); }
    int Count() const { return int(FChildren.size()); }
    TTreeNode* Item(int Index) const;
    // Null for a top-level node.
    TTreeNode* Parent() const { return FParent; }
    // Position among its siblings.
    int Index() const { return FIndex; }
    int Level() const;

    TTreeNode* GetFirstChild() const;
    TTreeNode* GetLastChild() const;
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // The next node in depth-first order (children before siblings); null after the last.
    TTreeNode* GetNext() const;

    bool Expanded() const;
    void Expand(bool Recurse);
    void Collapse(bool Recurse);
    bool Selected() const;
    // Expands the node's parents and scrolls it into view; the selection stays as it is.
    void MakeVisible();
    // Removes the node and its children from the tree and destroys them.
    void Delete();

    TTreeNodes* Owner() const { return FOwner; }

private:
    friend class TTreeNodes;
    friend class TTreeNodesModel;
    TTreeNode(TTreeNodes* Owner, TTreeNode* Parent, int Index, String Text);
    ~TTreeNode();
    const std::vector<TTreeNode*>& Siblings() const;

    TTreeNodes* FOwner;
    TTreeNode* FParent;
    int FIndex;
    String FText;
    std::vector<TTreeNode*> FChildren;
};

class VCL_EXPORT TTreeNodes : public TPersistent {
    Q_OBJECT
public:
    explicit TTreeNodes(TTreeView* Owner);
    ~TTreeNodes() override;

    // Number of nodes at all levels.
    int Count() const { return FCount; }
    // The first top-level node; null when the tree is empty.
    TTreeNode* GetFirstNode() const;
    // A new node after the last sibling of Node, or after the last top-level node when Node
    // is null.
    TTreeNode* Add(TTreeNode* Node, const String& S);
    // A new node after the last child of Node, or after the last top-level node when Node is
    // null.
    TTreeNode* AddChild(TTreeNode* Node, const String& S);
    void Delete(TTreeNode* Node);
    void Clear();
    void BeginUpdate();
    void EndUpdate();

    TTreeView* Owner() const { return FOwner; }

private:
    friend class TTreeNode;
    friend class TTreeView;
    friend class TTreeNodesModel;
    TTreeNode* Append(TTreeNode* Parent, const String& S);
    void CheckNode(const TTreeNode* Node, const char* Operation) const;

    TTreeView* FOwner;
    TTreeNodesModel* FModel;
    std::vector<TTreeNode*> FTopLevel;
    int FCount = 0;
    int FUpdating = 0;
};

using TTVChangedEvent = TEvent<vcl::TObject*, vcl::TTreeNode*>;

class VCL_EXPORT TTreeView : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(int Indent READ Indent WRITE SetIndent)
    Q_PROPERTY(bool ShowRoot READ ShowRoot WRITE SetShowRoot)
    Q_PROPERTY(vcl::TTVChangedEvent OnChange READ OnChange WRITE SetOnChange)
    Q_PROPERTY(vcl::TNotifyEvent OnDblClick READ OnDblClick WRITE SetOnDblClick)
    VCL_DEFAULT(ShowRoot, "True")
    VCL_DEFAULT(TabStop, "True")
public:
    Q_INVOKABLE explicit TTreeView(vcl::TComponent* AOwner);
    ~TTreeView() override;

    // Tree->Items->AddChild(Node, Text)
    TTreeNodes* const Items;

    void FullExpand();
    void FullCollapse();
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* Node);

    int Indent() const;
    void SetIndent(int Value);
    // Whether top-level nodes get expand buttons too.
    bool ShowRoot() const;
    void SetShowRoot(bool Value);

    // Runs with the newly selected node whenever the selection moves to a node.
    TTVChangedEvent OnChange() const { return FOnChange; }
    void SetOnChange(const TTVChangedEvent& Value) { FOnChange = Value; }
    // Runs on a double click in the tree, after the first click has selected the node under
    // the mouse.
    TNotifyEvent OnDblClick() const { return FOnDblClick; }
    void SetOnDblClick(const TNotifyEvent& Value) { FOnDblClick = Value; }

    // The node at a point of the tree's client area; null when there is none.
    TTreeNode* GetNodeAt(int X, int Y) const;
    // Where the node is drawn in the tree's client area; empty when it is not shown.
    QRect NodeRect(const TTreeNode* Node) const;

protected:
    bool AcceptsFocus() const override { return true; }
    virtual void Change(TTreeNode* Node);
    virtual void DblClick();

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    friend class TTreeViewWidget;
    QTreeView* FView;
    TTVChangedEvent FOnChange;
    TNotifyEvent FOnDblClick;
};

} // namespace vcl

Q_DECLARE_METATYPE(vcl::TTreeNode*)
Q_DECLARE_METATYPE(vcl::TTVChangedEvent)
