#pragma once

// Form descriptions: the text a form (or any component tree) is built from and written back to.

#include "Classes.h"

namespace vcl {

// Reads Text into Root, or into a new root component (owned by Owner) when Root is null, and
// returns the root. SourceName (a resource name, a file) appears in error messages. On any
// error raises EReadError naming the source, line, column and what was expected, and destroys
// every component it created.
VCL_EXPORT TComponent* ReadComponentText(const String& Text, const String& SourceName,
                                         TComponent* Root = nullptr, TComponent* Owner = nullptr);
// Reads the description resource named after Instance's class, in upper case.
VCL_EXPORT void InitInheritedComponent(TComponent* Instance);
// Writes Root and everything it holds, following the persistence rules.
VCL_EXPORT String WriteComponentText(TComponent* Root);

} // namespace vcl
