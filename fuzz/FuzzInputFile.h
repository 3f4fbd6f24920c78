// The file on disk that the targets reading files write each input to.
#pragma once

#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/Utf16.h>

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace cbf::fuzz {

// One file per fuzzing process, rewritten for every input and removed when
// the process ends.
class InputFile
{
public:
    InputFile()
        : m_path(std::filesystem::temp_directory_path() /
                 ("cbf-fuzz-input-" + std::to_string(std::random_device{}()) + ".bin"))
    {}
    ~InputFile()
    {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

inline const std::filesystem::path& InputPath()
{
    static const InputFile file;
    return file.path();
}

// The path as the library's wide-path constructors take it.
inline CStringW WideInputPath()
{
    const std::u16string units = InputPath().u16string();
    std::wstring text(units.size(), L'\0');
    text.resize(cbf::platform::FromUtf16(units.data(), units.size(), text.data()));
    return CStringW(text.data(), static_cast<int>(text.size()));
}

} // namespace cbf::fuzz
