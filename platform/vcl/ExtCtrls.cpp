#include "ExtCtrls.h"

#include "QtControls.h"
#include "QtGraphics.h"

#include <QPainter>
#include <QWidget>

namespace vcl {

class TPanelWidget : public QWidget {
public:
    TBevelCut Inner = bvNone;
    TBevelCut Outer = bvRaised;
    int BevelWidth = 1;
    String Caption;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QRect r = rect();
        DrawBevel(p, r, Outer);
        DrawBevel(p, r, Inner);
        if (!Caption.isEmpty()) {
            p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                     QPalette::WindowText));
            p.setFont(font());
            p.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, Caption);
        }
    }

private:
    // A raised bevel is light at the top and left and shadowed at the bottom and right.
    void DrawBevel(QPainter& p, QRect& r, TBevelCut Cut) const {
        if (Cut == bvNone)
            return;
        const QColor light = ToQColor(clBtnHighlight);
        const QColor dark = ToQColor(clBtnShadow);
        const QColor topLeft = Cut == bvRaised ? light : dark;
        const QColor bottomRight = Cut == bvRaised ? dark : light;
        for (int i = 0; i < BevelWidth && r.width() > 1 && r.height() > 1; ++i) {
            p.setPen(topLeft);
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(bottomRight);
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
            r.adjust(1, 1, -1, -1);
        }
    }
};

namespace {
const bool registered = [] {
    RegisterClass<TPanel>();
    return true;
}();
} // namespace

TPanel::TPanel(TComponent* AOwner)
    : TWinControl(AOwner, NewWidget<TPanelWidget>()), FPanel(static_cast<TPanelWidget*>(Widget())) {
    SetBounds(0, 0, 185, 41);
}

TPanel::~TPanel() = default;

TBevelCut TPanel::BevelInner() const {
    return FPanel->Inner;
}
void TPanel::SetBevelInner(TBevelCut Value) {
    FPanel->Inner = Value;
    FPanel->update();
}
TBevelCut TPanel::BevelOuter() const {
    return FPanel->Outer;
}
void TPanel::SetBevelOuter(TBevelCut Value) {
    FPanel->Outer = Value;
    FPanel->update();
}
int TPanel::BevelWidth() const {
    return FPanel->BevelWidth;
}
void TPanel::SetBevelWidth(int Value) {
    FPanel->BevelWidth = qMax(1, Value);
    FPanel->update();
}
String TPanel::Caption() const {
    return FPanel->Caption;
}
void TPanel::SetCaption(const String& Value) {
    FPanel->Caption = Value;
    FPanel->update();
}

} // namespace vcl
