// The UTF-8 codec of the POSIX backend.
#include "platform/posix/Utf8.h"

#include <langinfo.h>
#include <strings.h>

namespace cbf::platform::utf8 {

namespace {

bool isContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF)
{
    return byte >= low && byte <= high;
}

} // namespace

bool LocaleUsesUtf8()
{
    static const char* const utf8Names[] = {"UTF-8", "UTF8", "ANSI_X3.4-1968", "ASCII", "US-ASCII"};
    const char* codeSet = nl_langinfo(CODESET);
    if (codeSet == nullptr || *codeSet == '\0')
        return true;
    for (const char* name : utf8Names) {
        if (strcasecmp(codeSet, name) == 0)
            return true;
    }
    return false;
}

// The ranges of the second byte exclude overlong forms, surrogates and values
// above U+10FFFF.
std::size_t DecodeSequence(const unsigned char* p, const unsigned char* end, char32_t& codePoint)
{
    const unsigned char lead = *p;
    const std::size_t available = static_cast<std::size_t>(end - p);
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (available < 2 || !isContinuation(p[1]))
            return 0;
        codePoint = (char32_t(lead & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        if (available < 3 || !isContinuation(p[1], low, high) || !isContinuation(p[2]))
            return 0;
        codePoint = (char32_t(lead & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        if (available < 4 || !isContinuation(p[1], low, high) || !isContinuation(p[2]) || !isContinuation(p[3]))
            return 0;
        codePoint = (char32_t(lead & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) | (char32_t(p[2] & 0x3F) << 6) |
                    (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

void AppendEncoded(char32_t codePoint, std::string& out)
{
    if (codePoint < 0x80) {
        out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
}

} // namespace cbf::platform::utf8
