// CB_API marks every class and function that cbfoundation exports.
//
// The library is built with hidden visibility: only what carries CB_API is
// reachable by clients. On Windows the same macro switches between
// exporting (while the DLL itself is built) and importing (in clients).
#pragma once

#if defined(_WIN32)
#if defined(CBFOUNDATION_BUILDING)
#define CB_API __declspec(dllexport)
#else
#define CB_API __declspec(dllimport)
#endif
#else
#define CB_API __attribute__((visibility("default")))
#endif

// Plain C exports (the entry point for managed callers) use C linkage on top.
#if defined(__cplusplus)
#define CB_EXTERN_C extern "C"
#else
#define CB_EXTERN_C
#endif
