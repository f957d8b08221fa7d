#pragma once

// Named resources carried by the libraries (Qt resource system, under ":/res/<module>/<NAME>").

#include "SysUtils.h"

#include <QByteArray>
#include <QStringList>

namespace vcl {

// The resource's bytes; raises EResNotFound when no module carries it.
VCL_EXPORT QByteArray FindResourceData(const String& Name);
VCL_EXPORT bool ResourceExists(const String& Name);
// Resources of one module only.
VCL_EXPORT bool ModuleResourceExists(const String& Module, const String& Name);
VCL_EXPORT QByteArray ModuleResourceData(const String& Module, const String& Name);
VCL_EXPORT QStringList ModuleResourceNames(const String& Module);

} // namespace vcl
