#pragma once

// Qt-side helpers for building controls (the class library's controls and other stand-ins).

#include "VclExport.h"

#include <utility>

namespace vcl {

// Raises EInvalidOperation unless a QApplication runs: controls need one for their widgets.
VCL_EXPORT void RequireWidgets();

template <class W, class... A> W* NewWidget(A&&... Args) {
    RequireWidgets();
    return new W(std::forward<A>(Args)...);
}

} // namespace vcl
