#pragma once

#include <QtCore/qglobal.h>

#if defined(VCL_LIBRARY)
#define VCL_EXPORT Q_DECL_EXPORT
#else
#define VCL_EXPORT Q_DECL_IMPORT
#endif
