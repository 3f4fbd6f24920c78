// How the library's hot thread-local variables are reached.
#pragma once

// A thread-local variable of a shared library is normally found through a
// call into the dynamic loader on every access. Placing it in the static TLS
// block instead makes an access one instruction. That block has room for the
// few bytes the library needs even when a program loads the library late
// (through dlopen, as managed runtimes do); Windows has no such model.
#if defined(__ELF__)
#define CBF_STATIC_TLS [[gnu::tls_model("initial-exec")]]
#else
#define CBF_STATIC_TLS
#endif
