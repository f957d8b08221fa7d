#pragma once

// Panels: a bevelled area that holds other controls.

#include "Controls.h"

namespace vcl {

class TPanelWidget;

class VCL_EXPORT TPanel : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(vcl::TBevelCut BevelInner READ BevelInner WRITE SetBevelInner)
    Q_PROPERTY(vcl::TBevelCut BevelOuter READ BevelOuter WRITE SetBevelOuter)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE SetBevelWidth)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    VCL_DEFAULT(BevelInner, "bvNone")
    VCL_DEFAULT(BevelOuter, "bvRaised")
    VCL_DEFAULT(BevelWidth, "1")
public:
    Q_INVOKABLE explicit TPanel(vcl::TComponent* AOwner);
    ~TPanel() override;

    TBevelCut BevelInner() const;
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const;
    void SetBevelOuter(TBevelCut Value);
    int BevelWidth() const;
    void SetBevelWidth(int Value);
    // Drawn in the middle of the panel.
    String Caption() const;
    void SetCaption(const String& Value);

private:
    TPanelWidget* FPanel;
};

} // namespace vcl
