/* A plain C caller on Windows: loads the DLL at run time, calls GetExternalDataPath through GetProcAddress and frees
 * with SysFreeString. */
#include <windows.h>

#include <oleauto.h>
#include <stdint.h>
#include <stdio.h>
#include <wchar.h>

typedef BSTR(WINAPI* GetExternalDataPathFunction)(const char* path, uint32_t* status);

int main(int argc, char** argv)
{
    static const WCHAR text[] = L"D:\\Donn\u00e9es\\\u65e5\u672c\\\U0001F600.dat";
    static const struct
    {
        const char* file;
        const char* status; /* the name of the exported status word expected */
        const WCHAR* text;
    } cases[] = {{"text.par", "OK", text},
                 {"compressed.par", "OK", text},
                 {"integer.par", "ERROR_UNKNOWN", L""},
                 {"missing.par", "ERROR_FILENOTFOUND", L""}};
    HMODULE library = LoadLibraryW(CBF_LIBRARY_NAME);
    GetExternalDataPathFunction call;
    int failures = 0;
    size_t i;

    if (argc != 2 || library == NULL) {
        printf("usage: %s FIXTURE_FOLDER; or cannot load the library (error %lu)\n", argv[0], GetLastError());
        return 2;
    }
    call = (GetExternalDataPathFunction)(void*)GetProcAddress(library, "GetExternalDataPath");
    for (i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const uint32_t* expected = (const uint32_t*)(void*)GetProcAddress(library, cases[i].status);
        char path[MAX_PATH];
        uint32_t status = 99;
        BSTR result;
        if (call == NULL || expected == NULL) {
            printf("an export is missing\n");
            return 1;
        }
        snprintf(path, sizeof path, "%s\\%s", argv[1], cases[i].file);
        result = call(path, &status);
        if (result == NULL || status != *expected || SysStringLen(result) != wcslen(cases[i].text) ||
            wcscmp(result, cases[i].text) != 0) {
            printf("%s: status %u, %u code units\n", path, (unsigned)status, result ? SysStringLen(result) : 0u);
            ++failures;
        }
        /* The library's string is the system's own: the system frees it. */
        SysFreeString(result);
    }
    FreeLibrary(library);
    printf("%d failures\n", failures);
    return failures == 0 ? 0 : 1;
}
