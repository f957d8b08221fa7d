#include "LastError.h"

namespace winnet {

namespace {
thread_local ExtendedError lastError;
}

DWORD reportExtendedError(DWORD code, std::string message, std::string provider) {
    lastError = ExtendedError{code, std::move(message), std::move(provider)};
    return ERROR_EXTENDED_ERROR;
}

const ExtendedError& lastExtendedError() {
    return lastError;
}

} // namespace winnet
