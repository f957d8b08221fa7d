#pragma once

// Forms, the application object and the screen object.
//
// A form class of the system derives from TForm, declares its controls as Q_PROPERTY fields
// (pointer type, STORED false, named after the control: they are set as the description
// creates the controls and cleared when a control goes) and its handlers as Q_INVOKABLE
// methods, and ends its constructor by reading its description:
//
//     TConnectForm::TConnectForm(vcl::TComponent* AOwner) : TForm(AOwner) {
//         InitInheritedComponent(this); // reads the resource "TCONNECTFORM"
//     }
//
// TForm's own constructor reads nothing, so that the fields and handlers of the derived class
// exist before the description binds them.

#include "Controls.h"
#include "FormText.h"
#include "Types.h"

#include <memory>

class QEventLoop;
class QMargins;

namespace vcl {

class TApplication;
class TScreen;
class TFormWindow;

class VCL_EXPORT TForm : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(vcl::TWinControl* ActiveControl READ ActiveControl WRITE SetActiveControl)
    Q_PROPERTY(vcl::TBorderIcons BorderIcons READ BorderIcons WRITE SetBorderIcons)
    Q_PROPERTY(vcl::TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int ClientHeight READ ClientHeight WRITE SetClientHeight)
    Q_PROPERTY(int ClientWidth READ ClientWidth WRITE SetClientWidth)
    Q_PROPERTY(vcl::TPosition Position READ Position WRITE SetPosition)
    Q_PROPERTY(bool Scaled READ Scaled WRITE SetScaled)
    Q_PROPERTY(int PixelsPerInch READ PixelsPerInch WRITE SetPixelsPerInch)
    Q_PROPERTY(int TextHeight READ TextHeight WRITE SetTextHeight)
    Q_PROPERTY(vcl::TNotifyEvent OnHide READ OnHide WRITE SetOnHide)
    Q_PROPERTY(vcl::TNotifyEvent OnShow READ OnShow WRITE SetOnShow)
    VCL_STORED(Width, IsFrameSizeStored)
    VCL_STORED(Height, IsFrameSizeStored)
    VCL_DEFAULT(ParentFont, "False")
    VCL_DEFAULT(Visible, "False")
    VCL_STORED(TabOrder, NeverStored)
    VCL_STORED(TabStop, NeverStored)
    VCL_DEFAULT(BorderIcons, "[biSystemMenu, biMinimize, biMaximize]")
    VCL_DEFAULT(BorderStyle, "bsSizeable")
    VCL_DEFAULT(Position, "poDesigned")
    VCL_DEFAULT(Scaled, "True")
public:
    Q_INVOKABLE explicit TForm(vcl::TComponent* AOwner);
    ~TForm() override;

    // Shows the form and runs its modal loop until ModalResult is set (a button with a
    // ModalResult, Escape on a Cancel button, closing from the frame: mrCancel), then hides it
    // and returns the result. An error raised by OnShow, or by a handler while the loop runs,
    // ends the loop and is raised from here.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value);
    // Closes the form: a modal one ends its loop with mrCancel, another one is hidden.
    void Close();
    void SetVisible(bool Value) override;

    // The control that has (or, while the form is hidden, will get) the focus.
    TWinControl* ActiveControl() const;
    void SetActiveControl(TWinControl* Control);

    const String& Caption() const { return FCaption; }
    void SetCaption(const String& Value);
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientWidth(int Value);
    void SetClientHeight(int Value);
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    // A form laid out at PixelsPerInch with a font TextHeight pixels high is rescaled on load
    // to the screen's resolution and the font's real height, so it keeps its proportions.
    bool Scaled() const { return FScaled; }
    void SetScaled(bool Value) { FScaled = Value; }
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value) { FPixelsPerInch = Value; }
    int TextHeight() const { return FTextHeight; }
    void SetTextHeight(int Value) { FTextHeight = Value; }

    TNotifyEvent OnShow() const { return FOnShow; }
    void SetOnShow(const TNotifyEvent& Value) { FOnShow = Value; }
    TNotifyEvent OnHide() const { return FOnHide; }
    void SetOnHide(const TNotifyEvent& Value) { FOnHide = Value; }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void Loaded() override;
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void SetFocus() override;

    // Rebuilds the keyboard focus chain from the controls' TabOrder (called by the controls).
    void UpdateTabChain();
    // A form stores its client size, not its frame size, and has no place in a tab order.
    Q_INVOKABLE bool IsFrameSizeStored() const { return false; }
    Q_INVOKABLE bool NeverStored() const { return false; }

private:
    friend class TFormWindow;
    friend class TApplication;
    void DoShow();
    void ApplyWindowFlags();
    void ApplySizeConstraints();
    void ApplyPosition();
    void FocusFirst();
    void ScaleToScreen();
    void FrameClosed();
    void CancelKey();
    void HandleError(std::exception_ptr Error);
    void SyncFrameGeometry();
    QMargins FrameMargins() const;

    TFormWindow* FWindow;
    String FCaption;
    TBorderIcons FBorderIcons = TBorderIcons(biSystemMenu) | biMinimize | biMaximize;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TPosition FPosition = poDesigned;
    bool FScaled = true;
    int FPixelsPerInch;
    int FTextHeight = 0;
    QPointer<TWinControl> FActiveControl;
    TModalResult FModalResult = mrNone;
    QEventLoop* FModalLoop = nullptr;
    std::exception_ptr FModalError;
    TNotifyEvent FOnShow;
    TNotifyEvent FOnHide;
};

// The application object: owner of the forms the system creates. Forms it still owns are
// destroyed before the QApplication goes.
class VCL_EXPORT TApplication : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TApplication(vcl::TComponent* AOwner);
    ~TApplication() override;

    void ProcessMessages();
    // Takes an error raised by an event handler called from the event loop: the innermost
    // modal form ends with it and raises it from ShowModal; without a modal form it is
    // reported on the error output.
    void HandleException(std::exception_ptr Error);
};

// The screen object.
class VCL_EXPORT TScreen : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TScreen(vcl::TComponent* AOwner);
    ~TScreen() override;

    // The cursor of the whole application; crDefault lets each control show its own.
    TCursor GetCursor() const { return FCursor; }
    void SetCursor(TCursor Value);
    int PixelsPerInch() const;
    int Width() const;
    int Height() const;

    // Screen->Cursor = crHourGlass; TCursor c = Screen->Cursor; Screen->Cursor()
    class VCL_EXPORT CursorProperty {
    public:
        explicit CursorProperty(TScreen& Owner) : FOwner(Owner) {}
        CursorProperty& operator=(TCursor Value) {
            FOwner.SetCursor(Value);
            return *this;
        }
        CursorProperty& operator=(const CursorProperty& Other) { return *this = TCursor(Other); }
        operator TCursor() const { return FOwner.GetCursor(); }
        TCursor operator()() const { return FOwner.GetCursor(); }

    private:
        TScreen& FOwner;
    };
    CursorProperty Cursor{*this};

private:
    TCursor FCursor = crDefault;
    bool FOverriding = false;
};

VCL_EXPORT extern TApplication* Application;
VCL_EXPORT extern TScreen* Screen;

// A form made for one showing: the call that shows it owns it (it is freed on every way out,
// also when an error escapes), and Variable names it for as long as it lives, then names again
// what it named before, so a nested showing never clears or frees another one's form.
template <class TFormClass> class TFormShowing {
public:
    TFormShowing(TFormClass*& Variable, TComponent* Owner)
        : FForm(new TFormClass(Owner)), FVariable(Variable), FPrevious(Variable) {
        FVariable = FForm.get();
    }
    ~TFormShowing() { FVariable = FPrevious; }
    TFormShowing(const TFormShowing&) = delete;
    TFormShowing& operator=(const TFormShowing&) = delete;

    TFormClass* operator->() const { return FForm.get(); }

private:
    std::unique_ptr<TFormClass> FForm;
    TFormClass*& FVariable;
    TFormClass* FPrevious;
};

} // namespace vcl
