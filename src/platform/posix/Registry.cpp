// The registry where Windows has none: names checked and folded here, kept by RegistryDatabase.

#include <cbfoundation/platform/Registry.h>
#include <cbfoundation/platform/Utf16.h>

#include "RegistryCaseFold.h"
#include "RegistryDatabase.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

namespace cbf::platform {
namespace {

// The handles Windows gives its predefined keys; the database stores their
// low bits as the root of each key.
constexpr std::uintptr_t kRootBase = 0x80000000;
constexpr std::uintptr_t kRoots[] = {kRootBase, kRootBase + 1, kRootBase + 2, kRootBase + 3, kRootBase + 5};

// The registry's limits: a key name of at most 255 characters, a value name
// of at most 16383.
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

constexpr char16_t kSeparator = u'\\';

// The names of one operation in UTF-16, as given and folded. One per thread,
// so that an operation allocates nothing once the buffers have grown.
class Names
{
public:
    // Null when the root is not a predefined key, or when the path has an
    // empty level (a doubled, or leading, separator; one trailing separator
    // is ignored) or a name longer than the registry allows.
    static const registry::Location* Prepare(HKEY root, const wchar_t* keyPath, const wchar_t* name)
    {
        thread_local Names names;
        return names.prepare(root, keyPath, name) ? &names.m_location : nullptr;
    }

private:
    bool prepare(HKEY root, const wchar_t* keyPath, const wchar_t* name)
    {
        const auto handle = reinterpret_cast<std::uintptr_t>(root);
        if (std::find(std::begin(kRoots), std::end(kRoots), handle) == std::end(kRoots))
            return false;
        Convert(keyPath, m_keyPath, m_foldedKeyPath);
        Convert(name, m_name, m_foldedName);
        if (!m_keyPath.empty() && m_keyPath.back() == kSeparator) {
            m_keyPath.pop_back();
            m_foldedKeyPath.pop_back();
        }
        if (m_name.size() > kMaxValueNameLength || !splitLevels())
            return false;
        m_location = {static_cast<unsigned>(handle - kRootBase),
                      m_keyPath,
                      m_foldedKeyPath,
                      m_levelEnds.data(),
                      m_levelEnds.size(),
                      m_name,
                      m_foldedName};
        return true;
    }

    static void Convert(const wchar_t* text, std::u16string& given, std::u16string& folded)
    {
        const std::size_t length = std::wcslen(text);
        given.resize(Utf16Length(text, length));
        ToUtf16(text, length, given.data());
        folded.resize(given.size());
        for (std::size_t index = 0; index < given.size(); ++index)
            folded[index] = registry::FoldCase(given[index]);
    }

    bool splitLevels()
    {
        m_levelEnds.clear();
        if (m_keyPath.empty()) {
            m_levelEnds.push_back(0);
            return true;
        }
        std::size_t start = 0;
        while (true) {
            std::size_t end = m_keyPath.find(kSeparator, start);
            if (end == std::u16string::npos)
                end = m_keyPath.size();
            if (end == start || end - start > kMaxKeyNameLength)
                return false;
            m_levelEnds.push_back(end);
            if (end == m_keyPath.size())
                return true;
            start = end + 1;
        }
    }

    std::u16string m_keyPath;
    std::u16string m_foldedKeyPath;
    std::u16string m_name;
    std::u16string m_foldedName;
    std::vector<std::size_t> m_levelEnds;
    registry::Location m_location{};
};

} // namespace

HKEY RegistryRootKey(unsigned index)
{
    return index < std::size(kRoots) ? reinterpret_cast<HKEY>(kRoots[index]) : nullptr;
}

bool RegistryQueryValue(HKEY root, const wchar_t* keyPath, const wchar_t* name, void* data, std::uint32_t& size)
{
    const std::uint32_t capacity = size;
    size = 0;
    const registry::Location* const location = Names::Prepare(root, keyPath, name);
    return location != nullptr && registry::RegistryDatabase::Read(*location, data, capacity, size);
}

bool RegistrySetValue(HKEY root, const wchar_t* keyPath, const wchar_t* name, std::uint32_t type, const void* data,
                      std::uint32_t size)
{
    const registry::Location* const location = Names::Prepare(root, keyPath, name);
    return location != nullptr && registry::RegistryDatabase::Write(*location, type, data, size);
}

bool RegistryDeleteValue(HKEY root, const wchar_t* keyPath, const wchar_t* name)
{
    const registry::Location* const location = Names::Prepare(root, keyPath, name);
    return location != nullptr && registry::RegistryDatabase::Delete(*location);
}

bool RegistryListValues(HKEY root, const wchar_t* keyPath, RegistryValueVisitor visit, void* context)
{
    const registry::Location* const location = Names::Prepare(root, keyPath, L"");
    return location != nullptr && registry::RegistryDatabase::List(*location, visit, context);
}

} // namespace cbf::platform
