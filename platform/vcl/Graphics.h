#pragma once

#include "Classes.h"

#include <QByteArray>

namespace vcl {

// A font as the class library describes it. Height is negative for a character height in
// pixels (the usual form), positive for a cell height.
class VCL_EXPORT TFont : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(vcl::TFontCharset Charset READ Charset WRITE SetCharset)
    Q_PROPERTY(vcl::TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(vcl::TFontPitch Pitch READ Pitch WRITE SetPitch)
    Q_PROPERTY(int Size READ Size WRITE SetSize STORED false)
    Q_PROPERTY(vcl::TFontStyles Style READ Style WRITE SetStyle)
    VCL_DEFAULT(Pitch, "fpDefault")
public:
    TFont();
    ~TFont() override;

    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    const String& Name() const { return FName; }
    void SetName(const String& Value);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch Value);
    // Points at the font's design resolution (96 pixels per inch).
    int Size() const;
    void SetSize(int Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);

    void Assign(TPersistent* Source) override;
    friend bool operator==(const TFont& a, const TFont& b);

Q_SIGNALS:
    void Changed();

private:
    TFontCharset FCharset = DEFAULT_CHARSET;
    TColor FColor = clWindowText;
    int FHeight = -11;
    static inline const String DefaultName = QStringLiteral("MS Sans Serif");
    String FName = DefaultName;
    TFontPitch FPitch = fpDefault;
    TFontStyles FStyle;
};

// A device-independent bitmap, kept as the bytes of a BMP file; streamed as binary "Data".
class VCL_EXPORT TBitmap : public TPersistent {
    Q_OBJECT
public:
    TBitmap();
    ~TBitmap() override;

    bool Empty() const { return FData.isEmpty(); }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Colours in the bitmap's palette (16 for a 4-bit bitmap), 0 for a true-colour one.
    int PaletteColors() const { return FColors; }
    const QByteArray& Data() const { return FData; }
    // Raises EInvalidGraphic-like EConvertError when Bytes are not a BMP file.
    void SetData(const QByteArray& Bytes);
    void LoadFromResourceName(const String& ResName);

    void Assign(TPersistent* Source) override;
    void DefineProperties(TFiler& Filer) override;

Q_SIGNALS:
    void Changed();

private:
    QByteArray FData;
    int FWidth = 0;
    int FHeight = 0;
    int FColors = 0;
};

} // namespace vcl
