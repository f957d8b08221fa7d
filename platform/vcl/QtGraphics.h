#pragma once

// How fonts, colours and bitmaps of the class library look on Qt. For controls only: the
// system's own code never needs these.

#include "Graphics.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QSize>

namespace vcl {

// A family that exists here: the font's own, else a close installed one (a condensed sans
// serif for the narrow Windows dialog fonts, which keeps captions inside their labels).
VCL_EXPORT QString ResolveFontFamily(const String& Name, TFontPitch Pitch = fpDefault);
VCL_EXPORT QFont ToQFont(const TFont& Font);
// System colours (clWindowText, clBtnFace...) come from the application palette.
VCL_EXPORT QColor ToQColor(TColor Color);
// Text height of a font in pixels, as forms measure it for scaling.
VCL_EXPORT int TextHeightOf(const TFont& Font);

// The bitmap as an image; the colour of its bottom-left pixel becomes transparent, as glyphs
// of buttons are drawn. A null image when the bitmap is empty.
VCL_EXPORT QImage GlyphImage(const TBitmap& Glyph);
// Size of one of NumGlyphs images laid side by side in Glyph.
VCL_EXPORT QSize GlyphSize(const TBitmap& Glyph, int NumGlyphs);
// The images of a glyph strip as an icon: first normal, second disabled (generated when the
// strip has only one).
VCL_EXPORT QIcon GlyphIcon(const TBitmap& Glyph, int NumGlyphs);

} // namespace vcl
