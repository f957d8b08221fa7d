#include "Graphics.h"

#include "Resources.h"

#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cmath>

namespace vcl {

TFont::TFont() = default;
TFont::~TFont() = default;

void TFont::SetCharset(TFontCharset Value) {
    if (Value != FCharset) {
        FCharset = Value;
        Q_EMIT Changed();
    }
}
void TFont::SetColor(TColor Value) {
    if (Value != FColor) {
        FColor = Value;
        Q_EMIT Changed();
    }
}
void TFont::SetHeight(int Value) {
    if (Value != FHeight) {
        FHeight = Value;
        Q_EMIT Changed();
    }
}
// A font always has a face: no name means the default one. An empty name would not even be
// written to a description, which would then read back with the default face.
void TFont::SetName(const String& Value) {
    const String& face = Value.isEmpty() ? DefaultName : Value;
    if (face != FName) {
        FName = face;
        Q_EMIT Changed();
    }
}
void TFont::SetPitch(TFontPitch Value) {
    if (Value != FPitch) {
        FPitch = Value;
        Q_EMIT Changed();
    }
}
int TFont::Size() const {
    return int(std::lround(-double(FHeight) * 72.0 / 96.0));
}
void TFont::SetSize(int Value) {
    // Clamped: a point size near the int limits has no pixel height that fits.
    const long pixels = std::lround(Value * 96.0 / 72.0);
    SetHeight(-int(std::clamp<long>(pixels, -INT_MAX, INT_MAX)));
}
void TFont::SetStyle(TFontStyles Value) {
    if (Value != FStyle) {
        FStyle = Value;
        Q_EMIT Changed();
    }
}

void TFont::Assign(TPersistent* Source) {
    if (auto* f = qobject_cast<TFont*>(Source)) {
        if (*f == *this)
            return;
        // Fields, not setters: one notification for the whole copy.
        FCharset = f->FCharset;
        FColor = f->FColor;
        FHeight = f->FHeight;
        FName = f->FName;
        FPitch = f->FPitch;
        FStyle = f->FStyle;
        Q_EMIT Changed();
        return;
    }
    TPersistent::Assign(Source);
}

bool operator==(const TFont& a, const TFont& b) {
    return a.FCharset == b.FCharset && a.FColor == b.FColor && a.FHeight == b.FHeight &&
           a.FName == b.FName && a.FPitch == b.FPitch && a.FStyle == b.FStyle;
}

TBitmap::TBitmap() = default;
TBitmap::~TBitmap() = default;

void TBitmap::SetData(const QByteArray& Bytes) {
    if (Bytes.isEmpty()) {
        FData.clear();
        FWidth = FHeight = FColors = 0;
        Q_EMIT Changed();
        return;
    }
    // BITMAPFILEHEADER (14 bytes) then BITMAPINFOHEADER (at least 40 bytes).
    if (Bytes.size() < 54 || Bytes[0] != 'B' || Bytes[1] != 'M')
        throw EConvertError(QStringLiteral("Bitmap image is not valid: expected a BMP file"));
    const auto* p = reinterpret_cast<const uchar*>(Bytes.constData());
    const qint32 width = qFromLittleEndian<qint32>(p + 18);
    const qint32 height = qFromLittleEndian<qint32>(p + 22);
    const quint16 bits = qFromLittleEndian<quint16>(p + 28);
    const quint32 used = qFromLittleEndian<quint32>(p + 46);
    if (width <= 0 || height == 0 || bits == 0)
        throw EConvertError(QStringLiteral("Bitmap image is not valid: bad dimensions"));
    FData = Bytes;
    FWidth = width;
    FHeight = std::abs(height);
    FColors = bits <= 8 ? int(used ? used : (1u << bits)) : 0;
    Q_EMIT Changed();
}

void TBitmap::LoadFromResourceName(const String& ResName) {
    SetData(FindResourceData(ResName));
}

void TBitmap::Assign(TPersistent* Source) {
    if (auto* b = qobject_cast<TBitmap*>(Source)) {
        SetData(b->FData);
        return;
    }
    TPersistent::Assign(Source);
}

void TBitmap::DefineProperties(TFiler& Filer) {
    Filer.DefineProperty(
        QStringLiteral("Data"),
        [this](const QVariant& v) {
            if (v.typeId() != QMetaType::QByteArray)
                throw EReadError(QStringLiteral("expected binary data in braces"));
            SetData(v.toByteArray());
        },
        [this] { return QVariant(FData); }, !FData.isEmpty());
}

} // namespace vcl
