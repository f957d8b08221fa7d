#include "ToolEdit.h"

#include "vcl/QtGraphics.h"

#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

namespace vcl {

namespace {
const bool registered = [] {
    RegisterClass<TComboEdit>();
    return true;
}();
} // namespace

TComboEdit::TComboEdit(TComponent* AOwner)
    : TCustomEdit(AOwner), FButton(new QPushButton(EditWidget())), FGlyph(new TBitmap) {
    FGlyph->setParent(this);
    // Not a default button, never focused: Enter and the focus stay with the edit.
    FButton->setAutoDefault(false);
    FButton->setDefault(false);
    FButton->setFocusPolicy(Qt::NoFocus);
    FButton->setCursor(Qt::ArrowCursor);
    EditWidget()->installEventFilter(this);
    connect(FButton, &QPushButton::clicked, this, [this] { Dispatch([this] { ButtonClick(); }); });
    connect(FGlyph, &TBitmap::Changed, this, [this] { GlyphChanged(); });
    PlaceButton();
}

TComboEdit::~TComboEdit() {
    if (QWidget* edit = EditWidget())
        edit->removeEventFilter(this);
}

void TComboEdit::SetButtonWidth(int Value) {
    FButtonWidth = qMax(0, Value);
    PlaceButton();
}

void TComboEdit::SetGlyph(TBitmap* Value) {
    if (Value)
        FGlyph->Assign(Value);
}

void TComboEdit::SetNumGlyphs(int Value) {
    FNumGlyphs = qBound(1, Value, 4);
    GlyphChanged();
}

void TComboEdit::GlyphChanged() {
    FButton->setIcon(GlyphIcon(*FGlyph, FNumGlyphs));
    if (!FGlyph->Empty())
        FButton->setIconSize(GlyphSize(*FGlyph, FNumGlyphs));
}

void TComboEdit::ButtonClick() {
    if (FOnButtonClick.Assigned())
        FOnButtonClick(this);
}

void TComboEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    TCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    PlaceButton();
}

// From the control's own size: a hidden widget hears of its size only when it shows.
void TComboEdit::PlaceButton() {
    QLineEdit* edit = EditWidget();
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    const int width = qMin(FButtonWidth, qMax(0, Width() - 2 * frame));
    FButton->setGeometry(Width() - frame - width, frame, width, qMax(0, Height() - 2 * frame));
    FButton->setVisible(width > 0);
    edit->setTextMargins(0, 0, width, 0);
}

bool TComboEdit::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == EditWidget() &&
        (Event->type() == QEvent::Resize || Event->type() == QEvent::StyleChange))
        PlaceButton();
    return TCustomEdit::eventFilter(Watched, Event);
}

} // namespace vcl
