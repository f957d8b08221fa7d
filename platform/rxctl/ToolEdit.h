#pragma once

// The edit-with-button control package. TComboEdit is an edit with a small button at the right
// end inside its field; the button never takes the focus and is never a default button, so
// Enter in the field still reaches the form's default button.

#include "RxCtlExport.h"

#include "vcl/StdCtrls.h"

class QPushButton;

namespace vcl {

class RXCTL_EXPORT TComboEdit : public TCustomEdit {
    Q_OBJECT
    Q_PROPERTY(int ButtonWidth READ ButtonWidth WRITE SetButtonWidth)
    Q_PROPERTY(vcl::TBitmap* Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(int NumGlyphs READ NumGlyphs WRITE SetNumGlyphs)
    Q_PROPERTY(vcl::TNotifyEvent OnButtonClick READ OnButtonClick WRITE SetOnButtonClick)
    VCL_DEFAULT(ButtonWidth, "21")
    VCL_DEFAULT(NumGlyphs, "1")
public:
    Q_INVOKABLE explicit TComboEdit(vcl::TComponent* AOwner);
    ~TComboEdit() override;

    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int Value);
    // A strip of NumGlyphs images side by side: normal, then disabled.
    TBitmap* Glyph() const { return FGlyph; }
    void SetGlyph(TBitmap* Value);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int Value);

    TNotifyEvent OnButtonClick() const { return FOnButtonClick; }
    void SetOnButtonClick(const TNotifyEvent& Value) { FOnButtonClick = Value; }
    // What a click of the button does (also for a click made in code).
    virtual void ButtonClick();
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    // The button (tests only).
    QPushButton* Button() const { return FButton; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void GlyphChanged();
    void PlaceButton();

    QPushButton* FButton;
    TBitmap* FGlyph;
    int FNumGlyphs = 1;
    int FButtonWidth = 21;
    TNotifyEvent FOnButtonClick;
};

} // namespace vcl
