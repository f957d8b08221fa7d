#include "StdCtrls.h"

#include "Forms.h"
#include "QtControls.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleFactory>

namespace vcl {

namespace {

// The edit control shows its chosen character for each hidden one; Qt asks the style.
class PasswordCharStyle : public QProxyStyle {
public:
    explicit PasswordCharStyle(QChar Char)
        : QProxyStyle(QStyleFactory::create(QApplication::style()->name())), FChar(Char) {}

    int styleHint(StyleHint Hint, const QStyleOption* Option, const QWidget* Widget,
                  QStyleHintReturn* Return) const override {
        if (Hint == SH_LineEdit_PasswordCharacter)
            return FChar.unicode();
        if (Hint == SH_LineEdit_PasswordMaskDelay)
            return 0;
        return QProxyStyle::styleHint(Hint, Option, Widget, Return);
    }

private:
    QChar FChar;
};

const bool registered = [] {
    RegisterClass<TLabel>();
    RegisterClass<TEdit>();
    RegisterClass<TButton>();
    return true;
}();

} // namespace

// ---- TLabel

TLabel::TLabel(TComponent* AOwner)
    : TControl(AOwner, NewWidget<QLabel>()), FLabel(static_cast<QLabel*>(Widget())) {
    FLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    FLabel->setTextFormat(Qt::PlainText);
    SetBounds(0, 0, 65, 13);
}

TLabel::~TLabel() = default;

void TLabel::SetCaption(const String& Value) {
    FCaption = Value;
    String shown;
    for (qsizetype i = 0; i < Value.size(); ++i) {
        if (Value[i] == QLatin1Char('&') && i + 1 < Value.size())
            ++i;
        shown += Value[i];
    }
    FLabel->setText(shown);
}

// ---- TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner)
    : TWinControl(AOwner, NewWidget<QLineEdit>()), FEdit(static_cast<QLineEdit*>(Widget())) {
    FEdit->setMaxLength(32767);
    SetTabStop(true);
    SetBounds(0, 0, 121, 21);
    connect(FEdit, &QLineEdit::textChanged, this, [this] { Dispatch([this] { Change(); }); });
}

TCustomEdit::~TCustomEdit() {
    delete FPasswordStyle;
}

String TCustomEdit::Text() const {
    return FEdit->text();
}

void TCustomEdit::SetText(const String& Value) {
    FEdit->setText(Value);
}

int TCustomEdit::MaxLength() const {
    return FEdit->maxLength() == 32767 ? 0 : FEdit->maxLength();
}

void TCustomEdit::SetMaxLength(int Value) {
    FEdit->setMaxLength(Value <= 0 ? 32767 : Value);
}

bool TCustomEdit::ReadOnly() const {
    return FEdit->isReadOnly();
}

void TCustomEdit::SetReadOnly(bool Value) {
    FEdit->setReadOnly(Value);
}

void TCustomEdit::SelectAll() {
    FEdit->selectAll();
}

void TCustomEdit::Change() {
    if (FOnChange.Assigned())
        FOnChange(this);
}

void TCustomEdit::SetPasswordCharacter(QChar Value) {
    if (Value == FPasswordChar)
        return;
    FPasswordChar = Value;
    QStyle* old = FPasswordStyle;
    FPasswordStyle = Value.isNull() ? nullptr : new PasswordCharStyle(Value);
    FEdit->setStyle(FPasswordStyle);
    FEdit->setEchoMode(Value.isNull() ? QLineEdit::Normal : QLineEdit::Password);
    delete old;
}

// ---- TEdit

TEdit::TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

TEdit::~TEdit() = default;

String TEdit::PasswordChar() const {
    return PasswordCharacter().isNull() ? String() : String(PasswordCharacter());
}

void TEdit::SetPasswordChar(const String& Value) {
    if (Value.size() > 1)
        throw EConvertError(
            QStringLiteral("PasswordChar takes one character, not '%1'").arg(Value));
    SetPasswordCharacter(Value.isEmpty() ? QChar() : Value[0]);
}

// ---- TButton

TButton::TButton(TComponent* AOwner)
    : TWinControl(AOwner, NewWidget<QPushButton>()), FButton(static_cast<QPushButton*>(Widget())) {
    // As with the class library's buttons: a focused button answers Enter itself.
    FButton->setAutoDefault(true);
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
    connect(FButton, &QPushButton::clicked, this, [this] { Dispatch([this] { Click(); }); });
}

TButton::~TButton() = default;

String TButton::Caption() const {
    return FButton->text();
}

void TButton::SetCaption(const String& Value) {
    FButton->setText(Value);
}

bool TButton::Default() const {
    return FButton->isDefault();
}

void TButton::SetDefault(bool Value) {
    FButton->setDefault(Value);
}

void TButton::Click() {
    if (FModalResult != mrNone)
        if (TForm* form = GetParentForm(this))
            form->SetModalResult(FModalResult);
    if (FOnClick.Assigned())
        FOnClick(this);
}

LRESULT TButton::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == BM_CLICK) {
        // QAbstractButton::click does nothing while the button (or a parent) is disabled.
        FButton->click();
        return 0;
    }
    return TWinControl::Perform(Msg, WParam, LParam);
}

} // namespace vcl
