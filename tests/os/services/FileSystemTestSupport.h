// A private corner of the file system for the file-system tests, with the
// environment that names the user's folders pointed into it.
#pragma once

#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/Environment.h>
#include <cbfoundation/platform/Utf16.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

inline void PrintTo(const CStringW& text, std::ostream* out)
{
    *out << '"' << CStringA(text).GetString() << '"';
}

namespace cbf::test {

/// The separator of the paths the library builds on this system.
inline constexpr wchar_t kSeparator = static_cast<wchar_t>(std::filesystem::path::preferred_separator);

/// The path as wide text, whatever the locale (UTF-16 conversions of
/// std::filesystem do not consult it).
inline CStringW WideOf(const std::filesystem::path& path)
{
    const std::u16string units = path.u16string();
    std::wstring text(units.size(), L'\0');
    text.resize(cbf::platform::FromUtf16(units.data(), units.size(), text.data()));
    return CStringW(text.data(), static_cast<int>(text.size()));
}

inline void WriteFile(const std::filesystem::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// A fresh folder for one test. While it lives, the temporary folder (TMPDIR,
/// and TMP and TEMP for Windows), the home folder, the XDG folders and the
/// options store point into it, so no test touches the real ones; the old
/// values come back afterwards.
class FileSystemSandbox
{
public:
    FileSystemSandbox()
    {
        std::random_device random;
        m_root = std::filesystem::temp_directory_path() / ("cbf-fs-" + std::to_string(random()));
        std::filesystem::create_directories(m_root / "tmp");
        std::filesystem::create_directories(m_root / "home");
        for (const wchar_t* name : {L"TMPDIR", L"TMP", L"TEMP"})
            set(name, m_root / "tmp");
        set(L"HOME", m_root / "home");
        set(L"XDG_CONFIG_HOME", m_root / "config");
        set(L"XDG_DATA_HOME", m_root / "data");
        set(L"XDG_DATA_DIRS", m_root / "system");
        set(L"CBFOUNDATION_REGISTRY", m_root / "registry.sqlite3");
    }

    FileSystemSandbox(const FileSystemSandbox&) = delete;
    FileSystemSandbox& operator=(const FileSystemSandbox&) = delete;

    ~FileSystemSandbox()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
            cbf::platform::WriteEnvironmentVariable(it->first,
                                                    it->second.first ? it->second.second.GetString() : nullptr);
        std::error_code ignored;
        std::filesystem::remove_all(m_root, ignored);
    }

    const std::filesystem::path& Root() const { return m_root; }

    /// The wide text of a path inside the sandbox, or of the sandbox itself.
    CStringW operator()(const std::filesystem::path& relative = {}) const
    {
        return WideOf(relative.empty() ? m_root : m_root / relative);
    }

    /// Sets a variable until the sandbox goes; a null value removes it.
    void Set(const wchar_t* name, const wchar_t* value)
    {
        CStringW old;
        const bool wasSet = cbf::platform::ReadEnvironmentVariable(name, old);
        m_saved.emplace_back(CStringW(name), std::make_pair(wasSet, old));
        cbf::platform::WriteEnvironmentVariable(name, value);
    }

private:
    void set(const wchar_t* name, const std::filesystem::path& value) { Set(name, WideOf(value)); }

    std::filesystem::path m_root;
    std::vector<std::pair<CStringW, std::pair<bool, CStringW>>> m_saved;
};

} // namespace cbf::test
