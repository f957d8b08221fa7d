#pragma once

#if defined(WINNET_LIBRARY)
#define WINNET_EXPORT __attribute__((visibility("default")))
#else
#define WINNET_EXPORT
#endif
