#pragma once

// The database layer's error.

#include "DbExport.h"

#include <vcl/SysUtils.h>

namespace vcl {

// Raised when a database cannot be opened or is misconfigured. The message names what failed
// and carries the driver's own text; it never contains a password.
class DB_EXPORT EDatabaseError : public Exception {
public:
    using Exception::Exception;
    ~EDatabaseError() override;
};

} // namespace vcl
