#pragma once

#include "WinNet.h"

#include <string>

namespace winnet {

// The extended error behind ERROR_EXTENDED_ERROR, kept per thread.
struct ExtendedError {
    DWORD code = NO_ERROR;
    std::string message;
    std::string provider;
};

// Records the error and returns ERROR_EXTENDED_ERROR, for `return reportExtendedError(...)`.
DWORD reportExtendedError(DWORD code, std::string message, std::string provider);

const ExtendedError& lastExtendedError();

} // namespace winnet
