#pragma once

// The class library's enumerations, sets and named integer constants. They live in one
// meta-object namespace so that form descriptions can name them.

#include "VclExport.h"

#include <QFlags>
#include <QObject>

namespace vcl {
Q_NAMESPACE_EXPORT(VCL_EXPORT)

enum TComponentState { csLoading = 0x1, csReading = 0x2, csDestroying = 0x4, csDesigning = 0x8 };
Q_DECLARE_FLAGS(TComponentStates, TComponentState)
Q_FLAG_NS(TComponentStates)

enum TOperation { opInsert, opRemove };
Q_ENUM_NS(TOperation)

// Colours: system colours have the high bit set, others are $00BBGGRR.
enum TColor : int {
    clBlack = 0x000000,
    clMaroon = 0x000080,
    clGreen = 0x008000,
    clOlive = 0x008080,
    clNavy = 0x800000,
    clPurple = 0x800080,
    clTeal = 0x808000,
    clGray = 0x808080,
    clSilver = 0xC0C0C0,
    clRed = 0x0000FF,
    clLime = 0x00FF00,
    clYellow = 0x00FFFF,
    clBlue = 0xFF0000,
    clFuchsia = 0xFF00FF,
    clAqua = 0xFFFF00,
    clWhite = 0xFFFFFF,
    clScrollBar = int(0x80000000),
    clBackground = int(0x80000001),
    clActiveCaption = int(0x80000002),
    clInactiveCaption = int(0x80000003),
    clMenu = int(0x80000004),
    clWindow = int(0x80000005),
    clWindowFrame = int(0x80000006),
    clMenuText = int(0x80000007),
    clWindowText = int(0x80000008),
    clCaptionText = int(0x80000009),
    clActiveBorder = int(0x8000000A),
    clInactiveBorder = int(0x8000000B),
    clAppWorkSpace = int(0x8000000C),
    clHighlight = int(0x8000000D),
    clHighlightText = int(0x8000000E),
    clBtnFace = int(0x8000000F),
    clBtnShadow = int(0x80000010),
    clGrayText = int(0x80000011),
    clBtnText = int(0x80000012),
    clInactiveCaptionText = int(0x80000013),
    clBtnHighlight = int(0x80000014),
    clNone = 0x1FFFFFFF,
    clDefault = 0x20000000,
};
Q_ENUM_NS(TColor)

enum TFontCharset : int {
    ANSI_CHARSET = 0,
    DEFAULT_CHARSET = 1,
    SYMBOL_CHARSET = 2,
    SHIFTJIS_CHARSET = 128,
    HANGEUL_CHARSET = 129,
    GB2312_CHARSET = 134,
    CHINESEBIG5_CHARSET = 136,
    OEM_CHARSET = 255,
    JOHAB_CHARSET = 130,
    HEBREW_CHARSET = 177,
    ARABIC_CHARSET = 178,
    GREEK_CHARSET = 161,
    TURKISH_CHARSET = 162,
    VIETNAMESE_CHARSET = 163,
    THAI_CHARSET = 222,
    EASTEUROPE_CHARSET = 238,
    RUSSIAN_CHARSET = 204,
    MAC_CHARSET = 77,
    BALTIC_CHARSET = 186,
};
Q_ENUM_NS(TFontCharset)

enum TFontStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_FLAG_NS(TFontStyles)

enum TFontPitch { fpDefault, fpVariable, fpFixed };
Q_ENUM_NS(TFontPitch)

// Cursors are integers with names, as the screen object takes them.
enum TCursor : int {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSize = -5,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crDrag = -12,
    crNoDrop = -13,
    crHSplit = -14,
    crVSplit = -15,
    crMultiDrag = -16,
    crSQLWait = -17,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
};
Q_ENUM_NS(TCursor)

// Modal results are plain integers; these are the named ones.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
Q_ENUM_NS(TAlign)

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
Q_ENUM_NS(TFormBorderStyle)

enum TBorderIcon { biSystemMenu = 0x1, biMinimize = 0x2, biMaximize = 0x4, biHelp = 0x8 };
Q_DECLARE_FLAGS(TBorderIcons, TBorderIcon)
Q_FLAG_NS(TBorderIcons)

enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter };
Q_ENUM_NS(TPosition)

enum TBevelCut { bvNone, bvLowered, bvRaised };
Q_ENUM_NS(TBevelCut)

enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
Q_ENUM_NS(TBitBtnKind)

} // namespace vcl

Q_DECLARE_OPERATORS_FOR_FLAGS(vcl::TComponentStates)
Q_DECLARE_OPERATORS_FOR_FLAGS(vcl::TFontStyles)
Q_DECLARE_OPERATORS_FOR_FLAGS(vcl::TBorderIcons)
