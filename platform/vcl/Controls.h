#pragma once

// What every visual control shares. A control owns one Qt widget, the way a control of the
// class library owns its window: the widget is made with the control and goes with it, and a
// windowed control destroys the controls it holds before its own widget goes, so no control is
// ever left with a dangling widget. Positions are pixels relative to the parent's client area.

#include "Classes.h"
#include "Graphics.h"
#include "Windows.h"

#include <QPointer>

#include <exception>
#include <functional>

class QWidget;

namespace vcl {

class TWinControl;
class TForm;

class VCL_EXPORT TControl : public TComponent {
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(vcl::TFont* Font READ Font WRITE SetFont)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    VCL_DEFAULT(Enabled, "True")
    VCL_STORED(Font, IsFontStored)
    VCL_DEFAULT(ParentFont, "True")
    VCL_DEFAULT(Visible, "True")
public:
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    // Moves the control (and its widget) into AParent; null takes it out of any parent.
    virtual void SetParent(TWinControl* AParent);

    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int Value);
    void SetTop(int Value);
    void SetWidth(int Value);
    void SetHeight(int Value);
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool Value);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    TFont* Font() const { return FFont; }
    // Copies Value; the control then no longer follows its parent's font.
    void SetFont(TFont* Value);
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool Value);

    // Rescales position, size and own font by M/D (form scaling).
    virtual void ChangeScale(int M, int D);

    bool HasParent() const override;
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    // Controls have real Left/Top properties: no design position is streamed for them.
    void DefineProperties(TFiler& Filer) override;

    Q_INVOKABLE bool IsFontStored() const;

    // The Qt widget standing in for the control's window (tests and other stand-ins only).
    QWidget* Widget() const;

    // Runs an event handler called from Qt: an error it raises goes to the application
    // (which ends the innermost modal form with it) instead of unwinding through Qt.
    static void Dispatch(const std::function<void()>& Handler);

protected:
    // Widget is the control's own; it is deleted with the control.
    TControl(TComponent* AOwner, QWidget* Widget);

    // Applies Font to the widget.
    virtual void FontChanged();

private:
    friend class TWinControl;
    void UpdateWidgetBounds();
    void FollowParentFont();

    QPointer<QWidget> FWidget;
    TWinControl* FParent = nullptr;
    TFont* FFont;
    bool FParentFont = true;
    bool FFollowingParent = false;
    bool FEnabled = true;
    bool FVisible = true;
    int FLeft = 0;
    int FTop = 0;
    int FWidth = 0;
    int FHeight = 0;
};

// A control that can hold other controls and take the focus; it has a window handle.
class VCL_EXPORT TWinControl : public TControl {
    Q_OBJECT
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    VCL_DEFAULT(TabStop, "False")
public:
    ~TWinControl() override;

    int ControlCount() const { return int(FControls.size()); }
    TControl* Controls(int Index) const;

    // Position among the parent's windowed controls when tabbing; while a description is read
    // the value is kept and applied once the whole form is read.
    int TabOrder() const;
    void SetTabOrder(int Value);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool Value);

    HWND Handle() const { return FHandle; }
    bool Focused() const;
    bool CanFocus() const;
    // Gives the control the focus; on a hidden form it becomes the form's ActiveControl.
    virtual void SetFocus();
    // Handles a window message (see SendMessageA); 0 for messages the control ignores.
    virtual LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);

    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void Loaded() override;
    void ChangeScale(int M, int D) override;

    // The widget that takes the focus for this control (a composite may forward it).
    virtual QWidget* FocusWidget() const;
    // Windowed controls in tab order (this control's own tab list).
    QList<TWinControl*> TabList() const { return FTabList; }

protected:
    TWinControl(TComponent* AOwner, QWidget* Widget);
    void FontChanged() override;
    // Whether the control can take the focus at all (an edit, a button), tab stop or not.
    virtual bool AcceptsFocus() const { return false; }
    // Called when this control's place in the tab order or its tab stop changed.
    void TabOrderChanged();

private:
    friend class TControl;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    void RemoveFromTabList(TWinControl* AControl);
    void FixupTabList();
    void ApplyFocusPolicy();

    QList<TControl*> FControls;
    QList<TWinControl*> FTabList;
    int FTabOrder = -1;
    bool FTabStop = false;
    HWND FHandle;
};

// The control whose window Handle names; null when none lives.
VCL_EXPORT TWinControl* FindControl(HWND Handle);
// The control a Qt widget belongs to (the widget itself or its nearest ancestor that is one).
VCL_EXPORT TControl* FindControl(const QWidget* Widget);
// The form a control sits on; null when it is on none.
VCL_EXPORT TForm* GetParentForm(const TControl* Control);
// Rounds A*B/C to the nearest integer, as layouts scale.
VCL_EXPORT int MulDiv(int A, int B, int C);

// Reports an error raised by an event handler called from Qt (see TControl::Dispatch).
VCL_EXPORT void HandleEventException(std::exception_ptr Error);

} // namespace vcl
