// The well-known folders on POSIX systems: XDG base and user directories.
#include "platform/FileSystem.h"

#include <cbfoundation/platform/NativePath.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <pwd.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace cbf::platform {

namespace {

CStringW wideOf(const std::string& native)
{
    const std::wstring wide = FromNativePath(native.data(), native.size());
    return CStringW(wide.data(), static_cast<int>(wide.size()));
}

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// The XDG variables hold absolute paths; anything else is to be ignored.
std::string absoluteVariable(const char* name)
{
    std::string value = variable(name);
    return !value.empty() && value.front() == '/' ? value : std::string();
}

std::string homeFolder()
{
    std::string home = variable("HOME");
    if (!home.empty())
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry;
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
        home = found->pw_dir;
    return home;
}

// $variable when it is absolute, else the home folder's subfolder; empty
// without a home.
std::string baseFolder(const char* variableName, const char* underHome)
{
    std::string folder = absoluteVariable(variableName);
    if (!folder.empty())
        return folder;
    const std::string home = homeFolder();
    return home.empty() ? home : home + "/" + underHome;
}

std::string configHome()
{
    return baseFolder("XDG_CONFIG_HOME", ".config");
}

std::string dataHome()
{
    return baseFolder("XDG_DATA_HOME", ".local/share");
}

// The first absolute entry of XDG_DATA_DIRS, or the first of its default.
std::string firstSystemDataFolder()
{
    const std::string list = variable("XDG_DATA_DIRS");
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        std::string entry = list.substr(start, end - start);
        if (!entry.empty() && entry.front() == '/')
            return entry;
        start = end + 1;
    }
    return "/usr/local/share";
}

// The quoted value of a line of user-dirs.dirs, shell quoting undone:
// "$HOME/..." or an absolute path.
bool parseUserDirectory(const std::string& quoted, std::string& folder)
{
    if (quoted.size() < 2 || quoted.front() != '"')
        return false;
    std::string value;
    for (std::size_t i = 1; i < quoted.size(); ++i) {
        if (quoted[i] == '"') {
            break;
        }
        if (quoted[i] == '\\' && i + 1 < quoted.size())
            ++i;
        value.push_back(quoted[i]);
    }
    const std::string homePrefix = "$HOME";
    if (value.compare(0, homePrefix.size(), homePrefix) == 0) {
        const std::string home = homeFolder();
        if (home.empty())
            return false;
        folder = home + value.substr(homePrefix.size());
        return true;
    }
    if (value.empty() || value.front() != '/')
        return false;
    folder = value;
    return true;
}

// The user's folder of one kind (DESKTOP, DOCUMENTS, PUBLICSHARE) as the
// user-dirs.dirs file of the configuration folder names it; without one the
// home folder's subfolder that the XDG user directories give it by default.
std::string userFolder(const std::string& kind, const char* defaultName)
{
    const std::string config = configHome();
    if (!config.empty()) {
        const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen((config + "/user-dirs.dirs").c_str(), "re"),
                                                         &std::fclose);
        const std::string key = "XDG_" + kind + "_DIR=";
        char line[4096];
        std::string folder;
        while (file && std::fgets(line, sizeof line, file.get()) != nullptr) {
            std::string text = line;
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
                text.pop_back();
            if (text.compare(0, key.size(), key) == 0 && parseUserDirectory(text.substr(key.size()), folder))
                return folder;
        }
    }
    const std::string home = homeFolder();
    return home.empty() ? home : home + "/" + defaultName;
}

std::string shellFolderOf(unsigned which)
{
    switch (which) {
    case 1:
        return userFolder("DESKTOP", "Desktop");
    case 2:
        return "/opt";
    case 4:
        return userFolder("DOCUMENTS", "Documents");
    case 5:
        return dataHome();
    case 6:
        return firstSystemDataFolder();
    case 8: {
        const std::string config = configHome();
        return config.empty() ? config : config + "/autostart";
    }
    case 11:
        return firstSystemDataFolder() + "/applications";
    case 12: {
        const std::string data = dataHome();
        return data.empty() ? data : data + "/fonts";
    }
    case 13:
        return userFolder("PUBLICSHARE", "Public");
    default:
        // Program files of another architecture, favorites, recent files and
        // send-to targets have no folder here.
        return std::string();
    }
}

} // namespace

CStringW TemporaryFolder()
{
    std::string folder = variable("TMPDIR");
    if (folder.empty())
        folder = "/tmp";
    if (folder.back() != '/')
        folder.push_back('/');
    return wideOf(folder);
}

CStringW CurrentFolder()
{
    std::vector<char> buffer(256);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE)
            return CStringW();
        buffer.resize(buffer.size() * 2);
    }
    return wideOf(buffer.data());
}

CStringW ExecutableFile()
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return CStringW();
        if (static_cast<std::size_t>(length) < buffer.size())
            return wideOf(std::string(buffer.data(), static_cast<std::size_t>(length)));
        buffer.resize(buffer.size() * 2);
    }
}

CStringW ShellFolder(unsigned which)
{
    return wideOf(shellFolderOf(which));
}

} // namespace cbf::platform
