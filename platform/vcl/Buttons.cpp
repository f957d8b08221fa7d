#include "Buttons.h"

#include "Forms.h"
#include "QtGraphics.h"
#include "Resources.h"

#include <QPushButton>

namespace vcl {

namespace {

struct KindInfo {
    const char* caption;
    TModalResult result;
    const char* glyph; // resource of the vcl module, or null
};

KindInfo Info(TBitBtnKind Kind) {
    switch (Kind) {
    case bkOK:
        return {"OK", mrOk, "BBOK"};
    case bkCancel:
        return {"Cancel", mrCancel, "BBCANCEL"};
    case bkHelp:
        return {"&Help", mrNone, nullptr};
    case bkYes:
        return {"&Yes", mrYes, nullptr};
    case bkNo:
        return {"&No", mrNo, nullptr};
    case bkClose:
        return {"&Close", mrNone, nullptr};
    case bkAbort:
        return {"Abort", mrAbort, nullptr};
    case bkRetry:
        return {"&Retry", mrRetry, nullptr};
    case bkIgnore:
        return {"&Ignore", mrIgnore, nullptr};
    case bkAll:
        return {"&All", mrAll, nullptr};
    default:
        return {"", mrNone, nullptr};
    }
}

const bool registered = [] {
    RegisterClass<TBitBtn>();
    return true;
}();

} // namespace

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(new TBitmap) {
    FGlyph->setParent(this);
    connect(FGlyph, &TBitmap::Changed, this, [this] { GlyphChanged(); });
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::SetKind(TBitBtnKind Value) {
    FKind = Value;
    if (Value == bkCustom)
        return;
    const KindInfo info = Info(Value);
    SetDefault(Value == bkOK || Value == bkYes);
    SetCancel(Value == bkCancel || Value == bkNo);
    // A caption read before the kind is a custom one: keep it.
    if (!(ComponentState() & csLoading) || Caption().isEmpty())
        SetCaption(QString::fromLatin1(info.caption));
    SetModalResult(info.result);
    if (info.glyph && ModuleResourceExists(QStringLiteral("vcl"), QLatin1String(info.glyph))) {
        FNumGlyphs = 2;
        FGlyph->SetData(ModuleResourceData(QStringLiteral("vcl"), QLatin1String(info.glyph)));
    } else {
        FGlyph->SetData(QByteArray());
    }
}

bool TBitBtn::IsCustomCaption() const {
    return Caption() != QString::fromLatin1(Info(FKind).caption);
}

void TBitBtn::SetGlyph(TBitmap* Value) {
    if (Value)
        FGlyph->Assign(Value);
}

void TBitBtn::SetNumGlyphs(int Value) {
    FNumGlyphs = qBound(1, Value, 4);
    GlyphChanged();
}

void TBitBtn::GlyphChanged() {
    ButtonWidget()->setIcon(GlyphIcon(*FGlyph, FNumGlyphs));
    if (!FGlyph->Empty())
        ButtonWidget()->setIconSize(GlyphSize(*FGlyph, FNumGlyphs));
}

void TBitBtn::Click() {
    if (FKind == bkClose)
        if (TForm* form = GetParentForm(this)) {
            form->Close();
            return;
        }
    TButton::Click();
}

} // namespace vcl
