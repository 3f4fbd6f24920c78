// The well-known folders through the Win32 and shell calls.
#include "platform/FileSystem.h"

#include <windows.h>

#include <shlobj.h>

#include <iterator>

namespace cbf::platform {

namespace {

// The shell folder identifiers of eSpecialDirectoryDesktop (1) to
// eSpecialDirectoryCommonDocuments (13).
constexpr int kShellFolders[] = {
    CSIDL_DESKTOPDIRECTORY, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PERSONAL, CSIDL_LOCAL_APPDATA,
    CSIDL_COMMON_APPDATA,   CSIDL_FAVORITES,     CSIDL_STARTUP,          CSIDL_RECENT,   CSIDL_SENDTO,
    CSIDL_COMMON_STARTMENU, CSIDL_FONTS,         CSIDL_COMMON_DOCUMENTS,
};

// Texts the system returns are read into buffers of MAX_PATH (260)
// characters; a call that fails or needs more leaves the text empty.
template <typename Call>
CStringW fromBuffer(Call call)
{
    wchar_t buffer[MAX_PATH] = {};
    call(buffer);
    buffer[MAX_PATH - 1] = L'\0';
    return CStringW(buffer);
}

} // namespace

CStringW TemporaryFolder()
{
    return fromBuffer([](wchar_t* buffer) { ::GetTempPathW(MAX_PATH, buffer); });
}

CStringW CurrentFolder()
{
    return fromBuffer([](wchar_t* buffer) { ::GetCurrentDirectoryW(MAX_PATH, buffer); });
}

CStringW ExecutableFile()
{
    return fromBuffer([](wchar_t* buffer) { ::GetModuleFileNameW(nullptr, buffer, MAX_PATH); });
}

CStringW ShellFolder(unsigned which)
{
    if (which < 1 || which > std::size(kShellFolders))
        return CStringW();
    return fromBuffer([which](wchar_t* buffer) {
        ::SHGetFolderPathW(nullptr, kShellFolders[which - 1], nullptr, SHGFP_TYPE_CURRENT, buffer);
    });
}

} // namespace cbf::platform
