#include "QtGraphics.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QPalette>
#include <QPixmap>

namespace vcl {

namespace {

QString FirstInstalled(const QStringList& Candidates) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& c : Candidates)
        if (installed.contains(c, Qt::CaseInsensitive))
            return c;
    return {};
}

const QStringList& NarrowSans() {
    static const QStringList narrowSans{
        QStringLiteral("ms sans serif"),  QStringLiteral("ms shell dlg"),
        QStringLiteral("ms shell dlg 2"), QStringLiteral("microsoft sans serif"),
        QStringLiteral("small fonts"),    QStringLiteral("system"),
        QStringLiteral("tahoma")};
    return narrowSans;
}

QString Substitute(const String& Name, TFontPitch Pitch) {
    static const QStringList serif{QStringLiteral("ms serif"), QStringLiteral("times new roman"),
                                   QStringLiteral("times"), QStringLiteral("roman")};
    static const QStringList fixed{QStringLiteral("courier new"), QStringLiteral("courier"),
                                   QStringLiteral("fixedsys"), QStringLiteral("terminal"),
                                   QStringLiteral("lucida console")};
    const QString key = Name.toLower();
    QString found;
    if (Pitch == fpFixed || fixed.contains(key))
        found = FirstInstalled({QStringLiteral("DejaVu Sans Mono"),
                                QStringLiteral("Liberation Mono"), QStringLiteral("Monospace")});
    else if (serif.contains(key))
        found = FirstInstalled({QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif"),
                                QStringLiteral("Serif")});
    else if (NarrowSans().contains(key))
        found = FirstInstalled({QStringLiteral("DejaVu Sans Condensed"),
                                QStringLiteral("Liberation Sans Narrow"),
                                QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    if (found.isEmpty())
        found = FirstInstalled({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("Sans Serif")});
    return found.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont).family() : found;
}

} // namespace

QString ResolveFontFamily(const String& Name, TFontPitch Pitch) {
    static QHash<QString, QString> cache;
    const QString key = Name.toLower() + QLatin1Char('/') + QString::number(int(Pitch));
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return it.value();
    const QString family =
        !Name.isEmpty() && QFontDatabase::families().contains(Name, Qt::CaseInsensitive)
            ? Name
            : Substitute(Name, Pitch);
    cache.insert(key, family);
    return family;
}

QFont ToQFont(const TFont& Font) {
    const QString family = ResolveFontFamily(Font.Name(), Font.Pitch());
    QFont f(family);
    f.setStyleHint(Font.Pitch() == fpFixed ? QFont::TypeWriter : QFont::SansSerif);
    // Standing in for a narrow dialog font with a wider face: narrow it, so captions keep
    // fitting the labels they were laid out for.
    if (NarrowSans().contains(Font.Name().toLower()) &&
        !family.contains(QLatin1String("Condensed"), Qt::CaseInsensitive) &&
        !family.contains(QLatin1String("Narrow"), Qt::CaseInsensitive))
        f.setStretch(QFont::SemiCondensed);
    int pixels = -Font.Height();
    if (Font.Height() > 0) {
        // A positive height is the whole cell; take the character part of it.
        QFont probe = f;
        probe.setPixelSize(100);
        const QFontMetrics m(probe);
        pixels = qMax(1, qRound(Font.Height() * 100.0 / qMax(1, m.height())));
    }
    f.setPixelSize(qMax(1, pixels));
    const TFontStyles style = Font.Style();
    f.setBold(style.testFlag(fsBold));
    f.setItalic(style.testFlag(fsItalic));
    f.setUnderline(style.testFlag(fsUnderline));
    f.setStrikeOut(style.testFlag(fsStrikeOut));
    return f;
}

int TextHeightOf(const TFont& Font) {
    return QFontMetrics(ToQFont(Font)).height();
}

QColor ToQColor(TColor Color) {
    const quint32 raw = quint32(Color);
    if (!(raw & 0x80000000u))
        return QColor(int(raw & 0xFF), int((raw >> 8) & 0xFF), int((raw >> 16) & 0xFF));
    const QPalette p = QApplication::palette();
    switch (Color) {
    case clWindow:
        return p.color(QPalette::Base);
    case clWindowText:
    case clMenuText:
        return p.color(QPalette::WindowText);
    case clBtnFace:
    case clMenu:
    case clScrollBar:
        return p.color(QPalette::Button);
    case clBtnText:
        return p.color(QPalette::ButtonText);
    case clBtnShadow:
        return p.color(QPalette::Dark);
    case clBtnHighlight:
        return p.color(QPalette::Light);
    case clHighlight:
    case clActiveCaption:
        return p.color(QPalette::Highlight);
    case clHighlightText:
    case clCaptionText:
        return p.color(QPalette::HighlightedText);
    case clGrayText:
    case clInactiveCaptionText:
        return p.color(QPalette::Disabled, QPalette::Text);
    case clWindowFrame:
    case clActiveBorder:
    case clInactiveBorder:
        return p.color(QPalette::Shadow);
    case clBackground:
    case clAppWorkSpace:
    case clInactiveCaption:
        return p.color(QPalette::Mid);
    default:
        return p.color(QPalette::Window);
    }
}

QImage GlyphImage(const TBitmap& Glyph) {
    if (Glyph.Empty())
        return {};
    QImage image = QImage::fromData(Glyph.Data(), "BMP");
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == transparent)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}

QSize GlyphSize(const TBitmap& Glyph, int NumGlyphs) {
    if (Glyph.Empty())
        return {};
    return QSize(Glyph.Width() / qMax(1, NumGlyphs), Glyph.Height());
}

QIcon GlyphIcon(const TBitmap& Glyph, int NumGlyphs) {
    const QImage strip = GlyphImage(Glyph);
    if (strip.isNull())
        return {};
    const int count = qBound(1, NumGlyphs, 4);
    const int width = strip.width() / count;
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(strip.copy(0, 0, width, strip.height())), QIcon::Normal);
    if (count >= 2)
        icon.addPixmap(QPixmap::fromImage(strip.copy(width, 0, width, strip.height())),
                       QIcon::Disabled);
    return icon;
}

} // namespace vcl
