#include "SysUtils.h"

namespace vcl {

Exception::Exception(String message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}

Exception::~Exception() = default;

} // namespace vcl
