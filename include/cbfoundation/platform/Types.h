// Fixed-width integer names the API shares with Windows code.
//
// __int64 is a compiler keyword on Windows. Elsewhere it is supplied here as a
// macro (not a typedef) so that "unsigned __int64" keeps working in client
// code written for Windows.
#pragma once

#if !defined(_WIN32) && !defined(__int64)
#define __int64 long long
#endif

#include <cstdint>

static_assert(sizeof(__int64) == 8, "__int64 must be 64 bits wide");
static_assert(sizeof(int) == 4, "int must be 32 bits wide");
static_assert(sizeof(short) == 2, "short must be 16 bits wide");
