#pragma once

// Buttons with a glyph. A Kind other than bkCustom makes a standard button: its caption,
// modal result, default or cancel role and glyph come from the kind and are not stored.

#include "StdCtrls.h"

namespace vcl {

class VCL_EXPORT TBitBtn : public TButton {
    Q_OBJECT
    Q_PROPERTY(vcl::TBitBtnKind Kind READ Kind WRITE SetKind)
    Q_PROPERTY(vcl::TBitmap* Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE SetNumGlyphs)
    VCL_DEFAULT(Kind, "bkCustom")
    VCL_DEFAULT(NumGlyphs, "1")
    VCL_STORED(Caption, IsCustomCaption)
    VCL_STORED(Cancel, IsCustom)
    VCL_STORED(Default, IsCustom)
    VCL_STORED(ModalResult, IsCustom)
    VCL_STORED(Glyph, IsCustom)
    VCL_STORED(NumGlyphs, IsCustom)
public:
    Q_INVOKABLE explicit TBitBtn(vcl::TComponent* AOwner);
    ~TBitBtn() override;

    // bkOK: "OK", default button, mrOk; bkCancel: "Cancel", answers Escape, mrCancel; ...
    TBitBtnKind Kind() const { return FKind; }
    void SetKind(TBitBtnKind Value);
    // A strip of NumGlyphs images: normal, disabled, (pressed, down).
    TBitmap* Glyph() const { return FGlyph; }
    void SetGlyph(TBitmap* Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);

    void Click() override;

    Q_INVOKABLE bool IsCustom() const { return FKind == bkCustom; }
    Q_INVOKABLE bool IsCustomCaption() const;

private:
    void GlyphChanged();

    TBitBtnKind FKind = bkCustom;
    TBitmap* FGlyph;
    int FNumGlyphs = 1;
};

} // namespace vcl
