#pragma once

// Window handles and the one window message the system sends. A handle names a windowed
// control (TWinControl); it is valid from the control's creation to its destruction.

#include "VclExport.h"

#include <QtGlobal>

namespace vcl {

using HWND = struct HWND__*;
using UINT = unsigned int;
using WPARAM = quintptr;
using LPARAM = qintptr;
using LRESULT = qintptr;

inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT BM_CLICK = 0x00F5;

// Delivers Msg to the control that owns Window, synchronously, and returns its answer; 0 for a
// handle that names no live control. BM_CLICK clicks a button as the user would: nothing
// happens while the button is disabled.
VCL_EXPORT LRESULT SendMessageA(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
VCL_EXPORT bool IsWindow(HWND Window);

} // namespace vcl
