#include "DB.h"

namespace vcl {

EDatabaseError::~EDatabaseError() = default;

} // namespace vcl
