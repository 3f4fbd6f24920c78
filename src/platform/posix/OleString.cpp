// OLE strings on POSIX: malloc'd blocks laid out as .NET's runtime frees them.
#include <cbfoundation/platform/OleString.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The text starts this far into its block; the 4 bytes just before the text
// hold its length in bytes (the 4 before those only keep the text 8-aligned).
constexpr std::size_t kTextOffset = 8;
constexpr std::size_t kByteLengthSize = sizeof(std::uint32_t);

unsigned char* blockOf(BSTR text)
{
    return reinterpret_cast<unsigned char*>(text) - kTextOffset;
}

std::uint32_t byteLengthOf(BSTR text)
{
    std::uint32_t bytes;
    std::memcpy(&bytes, reinterpret_cast<const unsigned char*>(text) - kByteLengthSize, kByteLengthSize);
    return bytes;
}

} // namespace

namespace cbf::platform {

BSTR AllocateOleString(const OLECHAR* text, unsigned int length)
{
    if (length > kLongestOleString)
        return nullptr;
    const std::uint32_t bytes = length * static_cast<std::uint32_t>(sizeof(OLECHAR));
    auto* const block = static_cast<unsigned char*>(std::malloc(kTextOffset + bytes + sizeof(OLECHAR)));
    if (block == nullptr)
        return nullptr;
    std::memset(block, 0, kTextOffset - kByteLengthSize);
    std::memcpy(block + kTextOffset - kByteLengthSize, &bytes, kByteLengthSize);
    const BSTR result = reinterpret_cast<BSTR>(block + kTextOffset);
    if (text != nullptr && bytes != 0)
        std::memcpy(result, text, bytes);
    result[length] = u'\0';
    return result;
}

} // namespace cbf::platform

BSTR CbSysAllocString(const OLECHAR* text)
{
    if (text == nullptr)
        return nullptr;
    const std::size_t length = std::char_traits<OLECHAR>::length(text);
    if (length > cbf::platform::kLongestOleString)
        return nullptr;
    return cbf::platform::AllocateOleString(text, static_cast<unsigned int>(length));
}

void CbSysFreeString(BSTR text)
{
    if (text != nullptr)
        std::free(blockOf(text));
}

unsigned int CbSysStringLen(BSTR text)
{
    return text != nullptr ? byteLengthOf(text) / sizeof(OLECHAR) : 0;
}
