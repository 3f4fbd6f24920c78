// OsPersistentOptions: typed options over the registry functions of the platform layer.

#include <cbfoundation/os/services/OsPersistentOptions.h>
#include <cbfoundation/platform/Utf16.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr const char* kSource = "OsPersistentOptions";

enum Line : unsigned
{
    kLineReadVariantType = 232,
    kLineWriteVariantType = 266,
};

// What a variant read as a text may hold, in UTF-16 code units.
constexpr unsigned long kVariantTextLength = 1024;

// Texts are first read into a buffer of at most this many code units; a
// longer one that the caller's maximum admits is read again into a buffer of
// its size. Most maximums fit, and a huge one costs no huge buffer.
constexpr std::size_t kFirstTextBuffer = 4096;

// The store's sizes are 32-bit byte counts.
constexpr std::uint32_t kMaxSize = std::numeric_limits<std::uint32_t>::max();

// The registry takes names up to their first NUL: a name with one inside
// would reach another option than the caller named.
bool HasEmbeddedNul(const CStringW& text)
{
    return std::wcslen(text.GetString()) != static_cast<std::size_t>(text.GetLength());
}

std::uint32_t ClampedSize(unsigned long size)
{
    return static_cast<std::uint32_t>(std::min<unsigned long>(size, kMaxSize));
}

void RequireFits32Bits(unsigned long value, const char* function)
{
    if (!std::in_range<std::uint32_t>(value))
        throw CbException(kSource, OsPersistentOptions::kUnsignedLongOutOfRangeLine, function);
}

} // namespace

HKEY OsPersistentOptions::getKey(EPersistentOptionsCategory category)
{
    return cbf::platform::RegistryRootKey(category);
}

int OsPersistentOptions::readValue(const CStringW& keyPath, const CStringW& name, void* data, unsigned long& size,
                                   EPersistentOptionsCategory category)
{
    const HKEY root = getKey(category);
    std::uint32_t bytes = ClampedSize(size);
    if (root == nullptr || HasEmbeddedNul(keyPath) || HasEmbeddedNul(name)) {
        size = 0;
        return 0;
    }
    const bool read = cbf::platform::RegistryQueryValue(root, keyPath.GetString(), name.GetString(), data, bytes);
    size = bytes;
    return read ? 1 : 0;
}

int OsPersistentOptions::writeValue(const CStringW& keyPath, const CStringW& name, unsigned long type, const void* data,
                                    unsigned long size, EPersistentOptionsCategory category)
{
    const HKEY root = getKey(category);
    if (root == nullptr || HasEmbeddedNul(keyPath) || HasEmbeddedNul(name) || size > kMaxSize || type > kMaxSize)
        return 0;
    return cbf::platform::RegistrySetValue(root, keyPath.GetString(), name.GetString(),
                                           static_cast<std::uint32_t>(type), data, static_cast<std::uint32_t>(size))
               ? 1
               : 0;
}

int OsPersistentOptions::ReadOption(const CStringW& keyPath, const CStringW& name, int& value,
                                    EPersistentOptionsCategory category)
{
    std::int32_t stored = 0;
    unsigned long size = sizeof stored;
    if (readValue(keyPath, name, &stored, size, category) == 0)
        return 0;
    value = stored;
    return 1;
}

int OsPersistentOptions::ReadOption(const CStringW& keyPath, const CStringW& name, unsigned long& value,
                                    EPersistentOptionsCategory category)
{
    std::uint32_t stored = 0;
    unsigned long size = sizeof stored;
    if (readValue(keyPath, name, &stored, size, category) == 0)
        return 0;
    value = stored;
    return 1;
}

int OsPersistentOptions::ReadOption(const CStringW& keyPath, const CStringW& name, bool& value,
                                    EPersistentOptionsCategory category)
{
    std::uint32_t stored = 0;
    unsigned long size = sizeof stored;
    if (readValue(keyPath, name, &stored, size, category) == 0)
        return 0;
    value = stored == 1;
    return 1;
}

int OsPersistentOptions::ReadOption(const CStringW& keyPath, const CStringW& name, CStringW& value,
                                    unsigned long maxLength, EPersistentOptionsCategory category)
{
    // No stored text exceeds 32 bits of bytes, so any larger maximum admits
    // every text, as the largest 32-bit one does.
    const std::size_t limit = std::min<unsigned long>(maxLength, kMaxSize / sizeof(char16_t));
    // Zero-filled, so that the text ends at the first NUL or at the buffer's
    // end; never empty, so that the store always gets a buffer to fill.
    std::vector<char16_t> units(std::max<std::size_t>(1, std::min(limit, kFirstTextBuffer)));
    while (true) {
        unsigned long size = std::min(units.size(), limit) * sizeof(char16_t);
        if (readValue(keyPath, name, units.data(), size, category) != 0) {
            const std::size_t stored = std::min(units.size(), limit);
            const std::size_t length = std::find(units.begin(), units.begin() + stored, u'\0') - units.begin();
            wchar_t* const text = value.GetBuffer(static_cast<int>(length));
            value.ReleaseBuffer(static_cast<int>(cbf::platform::FromUtf16(units.data(), length, text)));
            return 1;
        }
        // Larger than the buffer but within the maximum: read again into a
        // buffer of its size. Only a writer that makes the text longer in
        // between brings the loop round again.
        const std::size_t needed = (size + 1) / sizeof(char16_t);
        if (needed <= units.size() || needed > limit)
            return 0;
        units.assign(needed, u'\0');
    }
}

int OsPersistentOptions::ReadOption(const CStringW& keyPath, const CStringW& name, CbVariant& value,
                                    CbVariant::EVariantType type, EPersistentOptionsCategory category)
{
    switch (type) {
    case CbVariant::eVariantTypeBool:
    case CbVariant::eVariantTypeInt: {
        int stored = 0;
        if (ReadOption(keyPath, name, stored, category) == 0)
            return 0;
        value.SetNull();
        value = stored;
        return 1;
    }
    case CbVariant::eVariantTypeUInt: {
        std::uint32_t stored = 0;
        unsigned long size = sizeof stored;
        if (readValue(keyPath, name, &stored, size, category) == 0)
            return 0;
        value.SetNull();
        value = static_cast<unsigned int>(stored);
        return 1;
    }
    case CbVariant::eVariantTypeFloat:
    case CbVariant::eVariantTypeDouble:
    case CbVariant::eVariantTypeStringW: {
        CStringW stored;
        if (ReadOption(keyPath, name, stored, kVariantTextLength, category) == 0)
            return 0;
        value = stored;
        return 1;
    }
    default:
        throw CbException(kSource, kLineReadVariantType, "OsPersistentOptions::ReadOption");
    }
}

int OsPersistentOptions::WriteOption(const CStringW& keyPath, const CStringW& name, const CStringW& value,
                                     EPersistentOptionsCategory category)
{
    const auto length = static_cast<std::size_t>(value.GetLength());
    const std::uint64_t count = cbf::platform::Utf16Length(value.GetString(), length);
    if (count > kMaxSize / sizeof(char16_t))
        return 0;
    std::vector<char16_t> units(count);
    cbf::platform::ToUtf16(value.GetString(), length, units.data());
    return writeValue(keyPath, name, cbf::platform::kRegistryTypeText, units.data(), count * sizeof(char16_t),
                      category);
}

int OsPersistentOptions::WriteOption(const CStringW& keyPath, const CStringW& name, const wchar_t* value,
                                     EPersistentOptionsCategory category)
{
    return WriteOption(keyPath, name, CStringW(value), category);
}

int OsPersistentOptions::WriteOption(const CStringW& keyPath, const CStringW& name, const CbVariant& value,
                                     EPersistentOptionsCategory category)
{
    switch (value.GetType()) {
    case CbVariant::eVariantTypeBool:
        return WriteOption(keyPath, name, static_cast<bool>(value), category);
    case CbVariant::eVariantTypeInt:
        return WriteOption(keyPath, name, static_cast<int>(value), category);
    case CbVariant::eVariantTypeUInt: {
        const std::uint32_t stored = static_cast<unsigned int>(value);
        return writeValue(keyPath, name, cbf::platform::kRegistryTypeNumber, &stored, sizeof stored, category);
    }
    case CbVariant::eVariantTypeStringW:
        return WriteOption(keyPath, name, static_cast<const CStringW&>(value), category);
    default:
        throw CbException(kSource, kLineWriteVariantType, "OsPersistentOptions::WriteOption");
    }
}

int OsPersistentOptions::WriteOption(const CStringW& keyPath, const CStringW& name, int value,
                                     EPersistentOptionsCategory category)
{
    const std::int32_t stored = value;
    return writeValue(keyPath, name, cbf::platform::kRegistryTypeNumber, &stored, sizeof stored, category);
}

int OsPersistentOptions::WriteOption(const CStringW& keyPath, const CStringW& name, unsigned long value,
                                     EPersistentOptionsCategory category)
{
    RequireFits32Bits(value, "OsPersistentOptions::WriteOption");
    const auto stored = static_cast<std::uint32_t>(value);
    return writeValue(keyPath, name, cbf::platform::kRegistryTypeNumber, &stored, sizeof stored, category);
}

int OsPersistentOptions::WriteOption(const CStringW& keyPath, const CStringW& name, bool value,
                                     EPersistentOptionsCategory category)
{
    const std::uint32_t stored = value ? 1 : 0;
    return writeValue(keyPath, name, cbf::platform::kRegistryTypeNumber, &stored, sizeof stored, category);
}

bool OsPersistentOptions::DeleteOption(const CStringW& keyPath, const CStringW& name,
                                       EPersistentOptionsCategory category)
{
    const HKEY root = getKey(category);
    return root != nullptr && !HasEmbeddedNul(keyPath) && !HasEmbeddedNul(name) &&
           cbf::platform::RegistryDeleteValue(root, keyPath.GetString(), name.GetString());
}
