#include "Controls.h"

#include "Forms.h"
#include "QtControls.h"
#include "QtGraphics.h"

#include <QApplication>
#include <QHash>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace vcl {

namespace {

const char* const ControlProperty = "_vcl_control";

QHash<HWND, TWinControl*>& Handles() {
    static QHash<HWND, TWinControl*> handles;
    return handles;
}

HWND RegisterHandle(TWinControl* Control) {
    // Handles are never reused, so a stale one never names a newer control.
    static quintptr next = 0x10000;
    next += 4;
    HWND handle = reinterpret_cast<HWND>(next);
    Handles().insert(handle, Control);
    return handle;
}

} // namespace

void RequireWidgets() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw EInvalidOperation(
            QStringLiteral("Controls need a running QApplication: create one before any form"));
}

int MulDiv(int A, int B, int C) {
    if (C == 0)
        return -1;
    return int(std::lround(double(A) * double(B) / double(C)));
}

void TControl::Dispatch(const std::function<void()>& Handler) {
    try {
        Handler();
    } catch (...) {
        HandleEventException(std::current_exception());
    }
}

// ---- TControl

TControl::TControl(TComponent* AOwner, QWidget* Widget)
    : TComponent(AOwner), FWidget(Widget), FFont(new TFont) {
    FFont->setParent(this);
    Widget->setProperty(ControlProperty, QVariant::fromValue<QObject*>(this));
    connect(FFont, &TFont::Changed, this, [this] {
        if (!FFollowingParent)
            FParentFont = false;
        FontChanged();
    });
    Widget->setFont(ToQFont(*FFont));
}

TControl::~TControl() {
    if (FParent)
        FParent->RemoveControl(this);
    FParent = nullptr;
    if (FWidget) {
        QObject::disconnect(FWidget, nullptr, this, nullptr);
        delete FWidget.data();
    }
}

QWidget* TControl::Widget() const {
    return FWidget;
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == FParent)
        return;
    for (TWinControl* p = AParent; p; p = p->FParent)
        if (p == this)
            throw EInvalidOperation(
                QStringLiteral("%1 cannot be its own parent or the parent of its parent")
                    .arg(Name().isEmpty() ? ClassName() : Name()));
    if (FParent)
        FParent->RemoveControl(this);
    FParent = AParent;
    if (!FWidget)
        return;
    if (AParent) {
        FWidget->setParent(AParent->Widget());
        UpdateWidgetBounds();
        FWidget->setVisible(FVisible);
        AParent->InsertControl(this);
        FollowParentFont();
    } else {
        FWidget->setParent(nullptr);
    }
}

int TControl::Left() const {
    return FLeft;
}
int TControl::Top() const {
    return FTop;
}
int TControl::Width() const {
    return FWidth;
}
int TControl::Height() const {
    return FHeight;
}
void TControl::SetLeft(int Value) {
    SetBounds(Value, FTop, FWidth, FHeight);
}
void TControl::SetTop(int Value) {
    SetBounds(FLeft, Value, FWidth, FHeight);
}
void TControl::SetWidth(int Value) {
    SetBounds(FLeft, FTop, Value, FHeight);
}
void TControl::SetHeight(int Value) {
    SetBounds(FLeft, FTop, FWidth, Value);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    FLeft = ALeft;
    FTop = ATop;
    FWidth = qMax(0, AWidth);
    FHeight = qMax(0, AHeight);
    UpdateWidgetBounds();
}

void TControl::UpdateWidgetBounds() {
    if (FWidget && FParent)
        FWidget->setGeometry(FLeft, FTop, FWidth, FHeight);
}

void TControl::SetEnabled(bool Value) {
    FEnabled = Value;
    if (FWidget)
        FWidget->setEnabled(Value);
}

void TControl::SetVisible(bool Value) {
    FVisible = Value;
    if (FWidget && FParent)
        FWidget->setVisible(Value);
}

void TControl::SetFont(TFont* Value) {
    if (Value)
        FFont->Assign(Value);
}

void TControl::SetParentFont(bool Value) {
    FParentFont = Value;
    if (Value)
        FollowParentFont();
}

void TControl::FollowParentFont() {
    if (!FParentFont || !FParent)
        return;
    FFollowingParent = true;
    try {
        FFont->Assign(FParent->Font());
    } catch (...) {
        FFollowingParent = false;
        throw;
    }
    FFollowingParent = false;
}

bool TControl::IsFontStored() const {
    return !FParentFont;
}

void TControl::FontChanged() {
    if (!FWidget)
        return;
    FWidget->setFont(ToQFont(*FFont));
    QPalette palette = FWidget->palette();
    const QPalette standard = QApplication::palette(FWidget);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            const QColor color = FFont->Color() == clWindowText ? standard.color(group, role)
                                                                : ToQColor(FFont->Color());
            palette.setColor(group, role, color);
        }
    }
    FWidget->setPalette(palette);
}

void TControl::ChangeScale(int M, int D) {
    const int left = MulDiv(FLeft, M, D);
    const int top = MulDiv(FTop, M, D);
    const int width = MulDiv(FLeft + FWidth, M, D) - left;
    const int height = MulDiv(FTop + FHeight, M, D) - top;
    SetBounds(left, top, width, height);
    if (!FParentFont)
        FFont->SetHeight(MulDiv(FFont->Height(), M, D));
}

bool TControl::HasParent() const {
    return true;
}

TComponent* TControl::GetParentComponent() const {
    return FParent;
}

void TControl::SetParentComponent(TComponent* Value) {
    auto* parent = qobject_cast<TWinControl*>(Value);
    if (Value && !parent)
        throw EInvalidOperation(QStringLiteral("%1 cannot hold the control %2: expected a "
                                               "windowed control (a form, a panel)")
                                    .arg(Value->ClassName(), Name()));
    SetParent(parent);
}

void TControl::DefineProperties(TFiler& Filer) {
    TPersistent::DefineProperties(Filer);
}

// ---- TWinControl

TWinControl::TWinControl(TComponent* AOwner, QWidget* Widget)
    : TControl(AOwner, Widget), FHandle(RegisterHandle(this)) {
    Widget->setFocusPolicy(Qt::NoFocus);
}

TWinControl::~TWinControl() {
    SetComponentState(ComponentState() | csDestroying);
    // The controls held here go before this widget does, whoever owns them.
    while (!FControls.isEmpty())
        delete FControls.last();
    // Past this point the control no longer counts as a windowed one for its parent.
    if (TWinControl* parent = Parent())
        parent->RemoveFromTabList(this);
    Handles().remove(FHandle);
}

TControl* TWinControl::Controls(int Index) const {
    if (Index < 0 || Index >= FControls.size())
        throw EInvalidOperation(QStringLiteral("Control index %1 out of bounds (0..%2)")
                                    .arg(Index)
                                    .arg(FControls.size() - 1));
    return FControls[Index];
}

void TWinControl::InsertControl(TControl* AControl) {
    FControls.append(AControl);
    if (auto* w = qobject_cast<TWinControl*>(AControl)) {
        FTabList.append(w);
        if (!(w->ComponentState() & csLoading))
            w->FTabOrder = int(FTabList.size()) - 1;
        w->TabOrderChanged();
    }
}

void TWinControl::RemoveControl(TControl* AControl) {
    FControls.removeAll(AControl);
    if (auto* w = qobject_cast<TWinControl*>(AControl))
        RemoveFromTabList(w);
}

void TWinControl::RemoveFromTabList(TWinControl* AControl) {
    if (FTabList.removeAll(AControl) == 0)
        return;
    for (int i = 0; i < FTabList.size(); ++i)
        if (!(FTabList[i]->ComponentState() & csLoading))
            FTabList[i]->FTabOrder = i;
    if (!(ComponentState() & csDestroying))
        TabOrderChanged();
}

int TWinControl::TabOrder() const {
    return FTabOrder;
}

void TWinControl::SetTabOrder(int Value) {
    if ((ComponentState() & csLoading) || !FParent) {
        FTabOrder = Value;
        return;
    }
    QList<TWinControl*>& list = FParent->FTabList;
    const int current = int(list.indexOf(this));
    const int target = qBound(0, Value, int(list.size()) - 1);
    if (current < 0 || target == current)
        return;
    list.move(current, target);
    for (int i = 0; i < list.size(); ++i)
        list[i]->FTabOrder = i;
    TabOrderChanged();
}

void TWinControl::FixupTabList() {
    std::stable_sort(
        FTabList.begin(), FTabList.end(),
        [](const TWinControl* a, const TWinControl* b) { return a->FTabOrder < b->FTabOrder; });
    for (int i = 0; i < FTabList.size(); ++i)
        FTabList[i]->FTabOrder = i;
}

void TWinControl::SetTabStop(bool Value) {
    FTabStop = Value;
    ApplyFocusPolicy();
    TabOrderChanged();
}

void TWinControl::ApplyFocusPolicy() {
    if (QWidget* w = FocusWidget())
        w->setFocusPolicy(!AcceptsFocus() ? Qt::NoFocus
                          : FTabStop      ? Qt::StrongFocus
                                          : Qt::ClickFocus);
}

void TWinControl::TabOrderChanged() {
    TForm* form = GetParentForm(this);
    if (form && !(form->ComponentState() & (csLoading | csDestroying)))
        form->UpdateTabChain();
}

QWidget* TWinControl::FocusWidget() const {
    return Widget();
}

bool TWinControl::Focused() const {
    QWidget* w = FocusWidget();
    return w && w->hasFocus();
}

bool TWinControl::CanFocus() const {
    const TControl* c = this;
    for (; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return GetParentForm(this) != nullptr;
}

void TWinControl::SetFocus() {
    if (TForm* form = GetParentForm(this)) {
        form->SetActiveControl(this);
        return;
    }
    if (QWidget* w = FocusWidget())
        w->setFocus(Qt::OtherFocusReason);
}

LRESULT TWinControl::Perform(UINT, WPARAM, LPARAM) {
    return 0;
}

void TWinControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    for (TControl* c : std::as_const(FControls))
        if (c->Owner() == Root)
            Proc(c);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    FixupTabList();
}

void TWinControl::ChangeScale(int M, int D) {
    TControl::ChangeScale(M, D);
    for (TControl* c : std::as_const(FControls))
        c->ChangeScale(M, D);
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    for (TControl* c : std::as_const(FControls))
        c->FollowParentFont();
}

// ---- lookups

TWinControl* FindControl(HWND Handle) {
    return Handles().value(Handle);
}

TControl* FindControl(const QWidget* Widget) {
    for (const QWidget* w = Widget; w; w = w->parentWidget())
        if (auto* c = qobject_cast<TControl*>(w->property(ControlProperty).value<QObject*>()))
            return c;
    return nullptr;
}

TForm* GetParentForm(const TControl* Control) {
    const TControl* top = Control;
    while (top && top->Parent())
        top = top->Parent();
    return qobject_cast<TForm*>(const_cast<TControl*>(top));
}

} // namespace vcl
