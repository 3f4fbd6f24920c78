// <windows.h> as the public headers include it on Windows: without its min
// and max macros, which would break std::min and std::max in client code.
#pragma once

#if !defined(NOMINMAX)
#define NOMINMAX
#endif
#include <windows.h>
