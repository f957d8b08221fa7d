#pragma once

#include <QtCore/qglobal.h>

#if defined(RXCTL_LIBRARY)
#define RXCTL_EXPORT Q_DECL_EXPORT
#else
#define RXCTL_EXPORT Q_DECL_IMPORT
#endif
