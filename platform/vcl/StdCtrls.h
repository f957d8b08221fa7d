#pragma once

// Standard controls: labels, edits and push buttons.

#include "Controls.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QStyle;

namespace vcl {

// A caption; "&" marks the next character as the accelerator ("&&" shows one "&").
class VCL_EXPORT TLabel : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    Q_INVOKABLE explicit TLabel(vcl::TComponent* AOwner);
    ~TLabel() override;

    const String& Caption() const { return FCaption; }
    void SetCaption(const String& Value);

private:
    QLabel* FLabel;
    String FCaption;
};

// A single-line edit. OnChange runs on every change of the text, typed or set in code.
class VCL_EXPORT TCustomEdit : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(int MaxLength READ MaxLength WRITE SetMaxLength)
    Q_PROPERTY(bool ReadOnly READ ReadOnly WRITE SetReadOnly)
    Q_PROPERTY(QString Text READ Text WRITE SetText)
    Q_PROPERTY(vcl::TNotifyEvent OnChange READ OnChange WRITE SetOnChange)
    VCL_DEFAULT(MaxLength, "0")
    VCL_DEFAULT(ReadOnly, "False")
    VCL_DEFAULT(TabStop, "True")
public:
    ~TCustomEdit() override;

    String Text() const;
    void SetText(const String& Value);
    int MaxLength() const;
    void SetMaxLength(int Value);
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    void Clear() { SetText(String()); }
    void SelectAll();

    TNotifyEvent OnChange() const { return FOnChange; }
    void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }

protected:
    explicit TCustomEdit(TComponent* AOwner);
    bool AcceptsFocus() const override { return true; }
    virtual void Change();
    // A null character shows the text; any other is shown once per character of the text.
    QChar PasswordCharacter() const { return FPasswordChar; }
    void SetPasswordCharacter(QChar Value);
    QLineEdit* EditWidget() const { return FEdit; }

private:
    QLineEdit* FEdit;
    QChar FPasswordChar;
    QStyle* FPasswordStyle = nullptr;
    TNotifyEvent FOnChange;
};

class VCL_EXPORT TEdit : public TCustomEdit {
    Q_OBJECT
    Q_PROPERTY(QString PasswordChar READ PasswordChar WRITE SetPasswordChar)
public:
    Q_INVOKABLE explicit TEdit(vcl::TComponent* AOwner);
    ~TEdit() override;

    // One character, or empty for plain text.
    String PasswordChar() const;
    void SetPasswordChar(const String& Value);
};

// A push button. Clicking it sets the form's ModalResult to its own (when not mrNone) and runs
// OnClick; Default makes it answer Enter anywhere on the form, Cancel makes it answer Escape.
class VCL_EXPORT TButton : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)
    Q_PROPERTY(vcl::TNotifyEvent OnClick READ OnClick WRITE SetOnClick)
    VCL_DEFAULT(Cancel, "False")
    VCL_DEFAULT(Default, "False")
    VCL_DEFAULT(ModalResult, "0")
    VCL_DEFAULT(TabStop, "True")
public:
    Q_INVOKABLE explicit TButton(vcl::TComponent* AOwner);
    ~TButton() override;

    String Caption() const;
    void SetCaption(const String& Value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    bool Default() const;
    void SetDefault(bool Value);
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    TNotifyEvent OnClick() const { return FOnClick; }
    void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }

    // What a click does (also for a click made in code).
    virtual void Click();
    // BM_CLICK: a click as the user makes it; ignored while the button cannot be clicked.
    LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam) override;

protected:
    bool AcceptsFocus() const override { return true; }
    QPushButton* ButtonWidget() const { return FButton; }

private:
    QPushButton* FButton;
    bool FCancel = false;
    TModalResult FModalResult = mrNone;
    TNotifyEvent FOnClick;
};

} // namespace vcl
