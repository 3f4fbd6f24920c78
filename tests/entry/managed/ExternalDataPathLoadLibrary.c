/* A plain C caller on Windows: loads the DLL at run time, calls GetExternalDataPath through GetProcAddress and frees
 * with SysFreeString. */
#include <windows.h>

#include <oleauto.h>
#include <stdint.h>
#include <stdio.h>
#include <wchar.h>

typedef BSTR(WINAPI* GetExternalDataPathFunction)(const char* path, uint32_t* status);

static int failures = 0;

static void expect(GetExternalDataPathFunction call, const char* path, uint32_t expectedStatus,
                   const WCHAR* expectedText)
{
    uint32_t status = 99;
    BSTR text = call(path, &status);
    if (text == NULL) {
        printf("%s: no string returned\n", path);
        ++failures;
        return;
    }
    if (status != expectedStatus || SysStringLen(text) != wcslen(expectedText) || wcscmp(text, expectedText) != 0) {
        printf("%s: status %u, %u code units; expected status %u, %u code units\n", path, (unsigned)status,
               SysStringLen(text), (unsigned)expectedStatus, (unsigned)wcslen(expectedText));
        ++failures;
    }
    /* The library's string is the system's own: the system frees it. */
    SysFreeString(text);
}

int main(int argc, char** argv)
{
    char path[MAX_PATH];
    HMODULE library;
    GetExternalDataPathFunction call;
    const uint32_t* ok;
    const uint32_t* unknown;
    const uint32_t* notFound;

    if (argc != 2) {
        printf("usage: %s FIXTURE_FOLDER\n", argv[0]);
        return 2;
    }
    library = LoadLibraryW(CBF_LIBRARY_NAME);
    if (library == NULL) {
        printf("cannot load the library (error %lu)\n", GetLastError());
        return 1;
    }
    call = (GetExternalDataPathFunction)(void*)GetProcAddress(library, "GetExternalDataPath");
    ok = (const uint32_t*)(void*)GetProcAddress(library, "OK");
    unknown = (const uint32_t*)(void*)GetProcAddress(library, "ERROR_UNKNOWN");
    notFound = (const uint32_t*)(void*)GetProcAddress(library, "ERROR_FILENOTFOUND");
    if (call == NULL || ok == NULL || unknown == NULL || notFound == NULL) {
        printf("an export is missing\n");
        return 1;
    }
    snprintf(path, sizeof path, "%s\\text.par", argv[1]);
    expect(call, path, *ok, L"D:\\Donn\u00e9es\\\u65e5\u672c\\\U0001F600.dat");
    snprintf(path, sizeof path, "%s\\compressed.par", argv[1]);
    expect(call, path, *ok, L"D:\\Donn\u00e9es\\\u65e5\u672c\\\U0001F600.dat");
    snprintf(path, sizeof path, "%s\\integer.par", argv[1]);
    expect(call, path, *unknown, L"");
    snprintf(path, sizeof path, "%s\\missing.par", argv[1]);
    expect(call, path, *notFound, L"");
    FreeLibrary(library);
    printf("%d failures\n", failures);
    return failures == 0 ? 0 : 1;
}
