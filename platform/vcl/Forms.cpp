#include "Forms.h"

#include "QtControls.h"
#include "QtGraphics.h"
#include "StdCtrls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMargins>
#include <QScreen>
#include <QWindow>

#include <cstdio>

namespace vcl {

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

namespace {

QList<TForm*>& ModalForms() {
    static QList<TForm*> forms;
    return forms;
}

bool formsHooked = false;

// Widgets must go before the QApplication does: forms the application still owns are
// destroyed from its destructor.
void DestroyApplicationForms() {
    formsHooked = false;
    if (Application)
        Application->DestroyComponents();
}

void HookFormsToQApplication() {
    if (!formsHooked) {
        qAddPostRoutine(DestroyApplicationForms);
        formsHooked = true;
    }
}

const bool registered = [] {
    RegisterClass<TForm>();
    return true;
}();

// Makes Window the active window, also where the platform still counts it as focused from an
// earlier showing (the offscreen platform does) and so would not tell the widgets again.
void Activate(QWidget* Window) {
    Window->activateWindow();
    if (QGuiApplication::focusWindow() == Window->windowHandle() &&
        QApplication::activeWindow() != Window) {
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
        QApplication::setActiveWindow(Window);
#else
        QT_WARNING_PUSH
        QT_WARNING_DISABLE_DEPRECATED
        QApplication::setActiveWindow(Window);
        QT_WARNING_POP
#endif
    }
}

} // namespace

void HandleEventException(std::exception_ptr Error) {
    Application->HandleException(std::move(Error));
}

// The window of a form: a dialog, so that Enter reaches the default button.
class TFormWindow : public QDialog {
public:
    TForm* FForm = nullptr;

protected:
    void keyPressEvent(QKeyEvent* Event) override {
        if (FForm && Event->matches(QKeySequence::Cancel)) {
            TForm* form = FForm;
            TControl::Dispatch([form] { form->CancelKey(); });
            return;
        }
        QDialog::keyPressEvent(Event);
    }
    void closeEvent(QCloseEvent* Event) override {
        // The form decides: a modal one ends its loop, another one hides itself.
        Event->ignore();
        if (FForm) {
            TForm* form = FForm;
            TControl::Dispatch([form] { form->FrameClosed(); });
        }
    }
    void reject() override {
        if (FForm)
            FForm->Close();
    }
    void moveEvent(QMoveEvent* Event) override {
        QDialog::moveEvent(Event);
        if (FForm)
            FForm->SyncFrameGeometry();
    }
    void resizeEvent(QResizeEvent* Event) override {
        QDialog::resizeEvent(Event);
        if (FForm)
            FForm->SyncFrameGeometry();
    }
};

// ---- TForm

TForm::TForm(TComponent* AOwner)
    : TWinControl(AOwner, NewWidget<TFormWindow>()), FWindow(static_cast<TFormWindow*>(Widget())),
      FPixelsPerInch(Screen->PixelsPerInch()) {
    HookFormsToQApplication();
    FWindow->FForm = this;
    FWindow->setAttribute(Qt::WA_DeleteOnClose, false);
    SetParentFont(false);
    TControl::SetVisible(false);
    ApplyWindowFlags();
    SetClientWidth(320);
    SetClientHeight(240);
}

TForm::~TForm() {
    SetComponentState(ComponentState() | csDestroying);
    ModalForms().removeAll(this);
    if (FModalLoop)
        FModalLoop->exit();
    FWindow->FForm = nullptr;
    // Components (and the controls among them) go while the window they sit on still exists.
    DestroyComponents();
}

void TForm::SetCaption(const String& Value) {
    FCaption = Value;
    FWindow->setWindowTitle(Value);
}

void TForm::SetBorderIcons(TBorderIcons Value) {
    FBorderIcons = Value;
    ApplyWindowFlags();
}

void TForm::SetBorderStyle(TFormBorderStyle Value) {
    FBorderStyle = Value;
    ApplyWindowFlags();
    ApplySizeConstraints();
}

void TForm::ApplyWindowFlags() {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
    switch (FBorderStyle) {
    case bsNone:
        flags = Qt::Dialog | Qt::FramelessWindowHint;
        break;
    case bsToolWindow:
    case bsSizeToolWin:
        flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        break;
    default:
        flags |= Qt::WindowTitleHint;
        break;
    }
    if (FBorderStyle != bsNone && FBorderIcons.testFlag(biSystemMenu)) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (FBorderStyle == bsSingle || FBorderStyle == bsSizeable) {
            if (FBorderIcons.testFlag(biMinimize))
                flags |= Qt::WindowMinimizeButtonHint;
            if (FBorderIcons.testFlag(biMaximize))
                flags |= Qt::WindowMaximizeButtonHint;
        }
        if (FBorderStyle == bsDialog && FBorderIcons.testFlag(biHelp))
            flags |= Qt::WindowContextHelpButtonHint;
    }
    if (flags == FWindow->windowFlags())
        return;
    const bool shown = FWindow->isVisible();
    FWindow->setWindowFlags(flags);
    if (shown)
        FWindow->show();
}

void TForm::ApplySizeConstraints() {
    const bool sizeable = FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin;
    if (sizeable) {
        FWindow->setMinimumSize(0, 0);
        FWindow->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        FWindow->setFixedSize(FWindow->size());
    }
}

QMargins TForm::FrameMargins() const {
    const QWindow* window = FWindow->windowHandle();
    return window ? window->frameMargins() : QMargins();
}

int TForm::ClientWidth() const {
    return FWindow->width();
}

int TForm::ClientHeight() const {
    return FWindow->height();
}

void TForm::SetClientWidth(int Value) {
    const QMargins m = FrameMargins();
    SetBounds(Left(), Top(), qMax(0, Value) + m.left() + m.right(), Height());
}

void TForm::SetClientHeight(int Value) {
    const QMargins m = FrameMargins();
    SetBounds(Left(), Top(), Width(), qMax(0, Value) + m.top() + m.bottom());
}

void TForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    const QMargins m = FrameMargins();
    TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    FWindow->setMinimumSize(0, 0);
    FWindow->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    FWindow->resize(qMax(0, AWidth - m.left() - m.right()),
                    qMax(0, AHeight - m.top() - m.bottom()));
    ApplySizeConstraints();
    if (FWindow->isVisible())
        FWindow->move(ALeft, ATop);
}

void TForm::SyncFrameGeometry() {
    if (!FWindow->isVisible())
        return;
    const QRect frame = FWindow->frameGeometry();
    TControl::SetBounds(frame.x(), frame.y(), frame.width(), frame.height());
}

void TForm::ApplyPosition() {
    QPoint target;
    if (FPosition == poScreenCenter) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 640, 480);
        const QMargins m = FrameMargins();
        const QSize frame = FWindow->size().grownBy(m);
        target = QPoint(area.x() + (area.width() - frame.width()) / 2,
                        area.y() + (area.height() - frame.height()) / 2);
    } else if (FPosition == poDesigned) {
        target = QPoint(Left(), Top());
    } else {
        return;
    }
    if (FWindow->isVisible()) {
        FWindow->move(target);
    } else {
        // Before the window shows, Qt places its client area; the frame goes around it.
        const QMargins m = FrameMargins();
        FWindow->move(target + QPoint(m.left(), m.top()));
        TControl::SetBounds(target.x(), target.y(), Width(), Height());
    }
}

void TForm::DoShow() {
    if (FOnShow.Assigned())
        FOnShow(this);
}

void TForm::SetVisible(bool Value) {
    if (ComponentState() & (csLoading | csDestroying) || Parent()) {
        if (Parent())
            TWinControl::SetVisible(Value);
        else
            TControl::SetVisible(Value);
        return;
    }
    if (Value) {
        if (Visible() && FWindow->isVisible()) {
            Activate(FWindow);
            return;
        }
        DoShow();
        TControl::SetVisible(true);
        FWindow->winId();
        ApplyPosition();
        FWindow->show();
        if (FPosition == poScreenCenter || FPosition == poDesigned)
            ApplyPosition();
        SyncFrameGeometry();
        Activate(FWindow);
        FocusFirst();
    } else {
        // Hiding a modal form ends its loop: nobody could answer it any more.
        if (FModalLoop && FModalResult == mrNone) {
            SetModalResult(mrCancel);
            return;
        }
        if (!Visible() && !FWindow->isVisible())
            return;
        // The control that had the focus gets it again at the next showing.
        FActiveControl = ActiveControl();
        TControl::SetVisible(false);
        FWindow->hide();
        if (FOnHide.Assigned())
            FOnHide(this);
    }
}

void TForm::FocusFirst() {
    TWinControl* target = FActiveControl;
    if (!target || !target->CanFocus()) {
        target = nullptr;
        std::function<TWinControl*(const TWinControl*)> first =
            [&first](const TWinControl* parent) -> TWinControl* {
            for (TWinControl* c : parent->TabList()) {
                if (!c->Visible() || !c->Enabled())
                    continue;
                QWidget* w = c->FocusWidget();
                if (c->TabStop() && w && (w->focusPolicy() & Qt::TabFocus))
                    return c;
                if (TWinControl* inner = first(c))
                    return inner;
            }
            return nullptr;
        };
        target = first(this);
    }
    if (target) {
        FActiveControl = target;
        target->FocusWidget()->setFocus(Qt::ActiveWindowFocusReason);
    }
}

TModalResult TForm::ShowModal() {
    if (FModalLoop || (Visible() && FWindow->isVisible()))
        throw EInvalidOperation(
            QStringLiteral("Cannot show %1 modally: it is already shown").arg(Name()));
    FModalResult = mrNone;
    FModalError = nullptr;
    // The window that was active gets the activation back when this one closes.
    const QPointer<QWidget> previous = QApplication::activeWindow();
    FWindow->setWindowModality(Qt::ApplicationModal);
    ModalForms().append(this);
    QEventLoop loop;
    QPointer<TForm> self(this);
    // Qt forgets a modal window only if it is still modal when it hides.
    const auto leaveModal = [&] {
        ModalForms().removeAll(this);
        FModalLoop = nullptr;
        FWindow->hide();
        TControl::SetVisible(false);
        FWindow->setWindowModality(Qt::NonModal);
        if (previous && previous != FWindow && previous->isVisible())
            Activate(previous);
    };
    try {
        SetVisible(true);
        FModalLoop = &loop;
        loop.exec(QEventLoop::DialogExec);
        if (!self)
            return mrCancel;
        // The loop ends with a result or an error; without either the application is quitting.
        if (FModalResult == mrNone && !FModalError)
            FModalResult = mrCancel;
        FModalLoop = nullptr;
        if (const std::exception_ptr error = std::exchange(FModalError, nullptr))
            std::rethrow_exception(error);
        SetVisible(false);
    } catch (...) {
        if (self)
            leaveModal();
        throw;
    }
    leaveModal();
    return FModalResult;
}

void TForm::SetModalResult(TModalResult Value) {
    FModalResult = Value;
    if (Value != mrNone && FModalLoop)
        FModalLoop->exit();
}

void TForm::HandleError(std::exception_ptr Error) {
    if (!FModalError)
        FModalError = std::move(Error);
    if (FModalLoop)
        FModalLoop->exit();
}

void TForm::Close() {
    if (FModalLoop)
        SetModalResult(mrCancel);
    else
        SetVisible(false);
}

void TForm::FrameClosed() {
    Close();
}

void TForm::CancelKey() {
    std::function<TButton*(const TWinControl*)> find = [&find](const TWinControl* parent) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            TControl* c = parent->Controls(i);
            if (!c->Visible() || !c->Enabled())
                continue;
            if (auto* button = qobject_cast<TButton*>(c); button && button->Cancel())
                return button;
            if (auto* w = qobject_cast<TWinControl*>(c))
                if (TButton* inner = find(w))
                    return inner;
        }
        return static_cast<TButton*>(nullptr);
    };
    if (TButton* button = find(this))
        button->Perform(BM_CLICK, 0, 0);
}

TWinControl* TForm::ActiveControl() const {
    if (FWindow->isVisible())
        if (QWidget* focus = FWindow->focusWidget())
            if (auto* c = qobject_cast<TWinControl*>(FindControl(focus)); c && c != this)
                return c;
    return FActiveControl;
}

void TForm::SetActiveControl(TWinControl* Control) {
    if (Control && GetParentForm(Control) != this)
        throw EInvalidOperation(QStringLiteral("%1 cannot be the active control of %2: it is "
                                               "not on that form")
                                    .arg(Control->Name(), Name()));
    FActiveControl = Control;
    if (!Control || (ComponentState() & csLoading) || !FWindow->isVisible())
        return;
    if (!Control->CanFocus())
        throw EInvalidOperation(
            QStringLiteral("Cannot focus %1: it is disabled or invisible").arg(Control->Name()));
    Control->FocusWidget()->setFocus(Qt::OtherFocusReason);
}

void TForm::SetFocus() {
    if (FWindow->isVisible())
        Activate(FWindow);
}

LRESULT TForm::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_CLOSE) {
        Close();
        return 0;
    }
    return TWinControl::Perform(Msg, WParam, LParam);
}

void TForm::UpdateTabChain() {
    QList<QWidget*> chain;
    std::function<void(const TWinControl*)> collect = [&](const TWinControl* parent) {
        for (TWinControl* c : parent->TabList()) {
            QWidget* w = c->FocusWidget();
            if (c->TabStop() && w && (w->focusPolicy() & Qt::TabFocus))
                chain.append(w);
            collect(c);
        }
    };
    collect(this);
    for (int i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

void TForm::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
    TWinControl::GetChildren(Proc, Root);
    if (Root != this)
        return;
    for (int i = 0; i < ComponentCount(); ++i)
        if (!Components(i)->HasParent())
            Proc(Components(i));
}

void TForm::ScaleToScreen() {
    if (!FScaled)
        return;
    const int screenPixels = Screen->PixelsPerInch();
    if (FPixelsPerInch > 0 && FPixelsPerInch != screenPixels)
        Font()->SetHeight(MulDiv(Font()->Height(), screenPixels, FPixelsPerInch));
    FPixelsPerInch = screenPixels;
    if (FTextHeight <= 0)
        return;
    const int now = TextHeightOf(*Font());
    if (now == FTextHeight)
        return;
    const int width = MulDiv(ClientWidth(), now, FTextHeight);
    const int height = MulDiv(ClientHeight(), now, FTextHeight);
    for (int i = 0; i < ControlCount(); ++i)
        Controls(i)->ChangeScale(now, FTextHeight);
    SetClientWidth(width);
    SetClientHeight(height);
    FTextHeight = now;
}

void TForm::Loaded() {
    TWinControl::Loaded();
    ScaleToScreen();
    UpdateTabChain();
    if (Visible()) {
        TControl::SetVisible(false);
        SetVisible(true);
    }
}

// ---- TApplication

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {}
TApplication::~TApplication() = default;

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents();
}

void TApplication::HandleException(std::exception_ptr Error) {
    if (!ModalForms().isEmpty()) {
        ModalForms().last()->HandleError(std::move(Error));
        return;
    }
    try {
        std::rethrow_exception(Error);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Error in an event handler: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "Error in an event handler (not a class library error)\n");
    }
}

// ---- TScreen

namespace {
Qt::CursorShape CursorShape(TCursor Cursor) {
    switch (Cursor) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSize:
        return Qt::SizeAllCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
        return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    default:
        return Qt::ArrowCursor;
    }
}
} // namespace

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}
TScreen::~TScreen() = default;

void TScreen::SetCursor(TCursor Value) {
    FCursor = Value;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (Value == crDefault) {
        if (FOverriding)
            QGuiApplication::restoreOverrideCursor();
        FOverriding = false;
        return;
    }
    const QCursor cursor(CursorShape(Value));
    if (FOverriding)
        QGuiApplication::changeOverrideCursor(cursor);
    else
        QGuiApplication::setOverrideCursor(cursor);
    FOverriding = true;
}

int TScreen::PixelsPerInch() const {
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

int TScreen::Width() const {
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    return screen ? screen->geometry().width() : 0;
}

int TScreen::Height() const {
    const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::primaryScreen()
                                : nullptr;
    return screen ? screen->geometry().height() : 0;
}

} // namespace vcl
