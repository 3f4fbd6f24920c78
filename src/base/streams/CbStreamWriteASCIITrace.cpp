// CbStreamWriteASCIITrace: cuts trace text into messages of bounded length.
#include <cbfoundation/base/streams/CbStreamWriteASCIITrace.h>

#include <algorithm>
#include <string_view>

namespace {

template <class Character, class Message>
void cutIntoMessages(const Character* text, Message message)
{
    std::basic_string_view<Character> rest(text);
    while (!rest.empty()) {
        const std::size_t length = std::min(rest.size(), CbStreamWriteASCIITrace::kMessageLength);
        message(rest.data(), length);
        rest.remove_prefix(length);
    }
}

} // namespace

CbStreamWrite& CbStreamWriteASCIITrace::write(const wchar_t* text)
{
    cutIntoMessages(text, [this](const wchar_t* piece, std::size_t length) { message(piece, length); });
    return *this;
}

CbStreamWrite& CbStreamWriteASCIITrace::write(const char* text)
{
    cutIntoMessages(text, [this](const char* piece, std::size_t length) { message(piece, length); });
    return *this;
}

void CbStreamWriteASCIITrace::message(const wchar_t*, std::size_t)
{}

void CbStreamWriteASCIITrace::message(const char*, std::size_t)
{}
