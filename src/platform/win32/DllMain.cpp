// The DLL's entry point.
#include <windows.h>

#include "platform/win32/HeapThreadCache.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    // Per-thread state (the small-object heap's caches) is handed over through
    // a fiber-local slot's callback, so the loader need not call in for every
    // thread the host starts and ends.
    if (reason == DLL_PROCESS_ATTACH)
        ::DisableThreadLibraryCalls(instance);
    // Unloaded by FreeLibrary (not at process exit): the slot's callback
    // would otherwise point into the unloaded library.
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
        cbf::platform::heap::ReleaseThreadCacheSlot();
    return TRUE;
}
