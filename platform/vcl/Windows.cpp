#include "Windows.h"

#include "Controls.h"

namespace vcl {

LRESULT SendMessageA(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    TWinControl* control = FindControl(Window);
    return control ? control->Perform(Msg, WParam, LParam) : 0;
}

bool IsWindow(HWND Window) {
    return FindControl(Window) != nullptr;
}

} // namespace vcl
