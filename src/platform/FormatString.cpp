// printf-style formatting into CStringT with the conversions' Windows meaning.
#include <cbfoundation/platform/FormatString.h>

#include <cbfoundation/platform/CodePage.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string_view>
#include <type_traits>

namespace cbf::platform {

namespace {

// A private copy of the caller's argument list, from which the formatter
// takes the arguments one by one.
class ArgumentList
{
public:
    explicit ArgumentList(va_list arguments) { va_copy(m_list, arguments); }

    ~ArgumentList() { va_end(m_list); }

    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;

    template <typename T>
    T Next()
    {
        return va_arg(m_list, T);
    }

private:
    va_list m_list;
};

enum class LengthModifier
{
    None,
    Char,
    Short,
    Long,
    LongLong,
    Int32,
    IntMax,
    Size,
    PtrDiff,
    LongDouble,
    Wide
};

// One conversion of the format, with '*' widths and precisions resolved.
struct Conversion
{
    std::string flags;
    int width = -1;
    int precision = -1;
    LengthModifier length = LengthModifier::None;
    char type = '\0';

    bool HasFlag(char flag) const { return flags.find(flag) != std::string::npos; }
};

template <typename CharT>
char asciiOf(CharT character)
{
    const auto value = static_cast<std::make_unsigned_t<CharT>>(character);
    return value < 0x80 ? static_cast<char>(value) : '\0';
}

bool isKnownType(char type)
{
    return type != '\0' && std::string_view("diuoxXeEfFgGaAcCsSpn%").find(type) != std::string_view::npos;
}

std::wstring toOtherWidth(const char* text, std::size_t length)
{
    return NarrowToWide(text, length);
}

std::string toOtherWidth(const wchar_t* text, std::size_t length)
{
    return WideToNarrow(text, length);
}

void appendNumberText(std::string& out, const char* text, std::size_t length)
{
    out.append(text, length);
}

// Numbers are ASCII unless the locale has an unusual decimal point.
void appendNumberText(std::wstring& out, const char* text, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) {
            out += NarrowToWide(text, length);
            return;
        }
    }
    out.append(text, text + length);
}

template <typename CharT>
std::size_t boundedLength(const CharT* text, int maximum)
{
    std::size_t length = 0;
    while (length < static_cast<std::size_t>(maximum) && text[length] != CharT())
        ++length;
    return length;
}

template <typename CharT>
class Formatter
{
public:
    Formatter(std::basic_string<CharT>& out, va_list arguments)
        : m_out(out)
        , m_arguments(arguments)
    {}

    void Run(const CharT* format)
    {
        const CharT* p = format;
        while (*p != CharT()) {
            const CharT* percent = p;
            while (*percent != CharT() && *percent != CharT('%'))
                ++percent;
            m_out.append(p, percent);
            if (*percent == CharT())
                return;
            p = percent + 1;
            Conversion conversion;
            if (!parse(p, conversion)) {
                m_out.append(percent);
                return;
            }
            emit(conversion);
        }
    }

private:
    static int readNumber(const CharT*& p)
    {
        int value = 0;
        for (; *p >= CharT('0') && *p <= CharT('9'); ++p) {
            const int digit = static_cast<int>(*p - CharT('0'));
            value = value > (INT_MAX - digit) / 10 ? INT_MAX : value * 10 + digit;
        }
        return value;
    }

    static bool startsWith(const CharT* p, const char* text)
    {
        for (; *text != '\0'; ++p, ++text) {
            if (*p != CharT(*text))
                return false;
        }
        return true;
    }

    // Reads the conversion that follows a '%' and moves p past it; false
    // when it is not one this formatter understands.
    bool parse(const CharT*& p, Conversion& conversion)
    {
        while (*p != CharT() && std::string_view("-+ #0").find(asciiOf(*p)) != std::string_view::npos)
            conversion.flags.push_back(asciiOf(*p++));
        parseWidth(p, conversion);
        parsePrecision(p, conversion);
        conversion.length = parseLength(p);
        conversion.type = asciiOf(*p);
        if (!isKnownType(conversion.type))
            return false;
        ++p;
        return true;
    }

    void parseWidth(const CharT*& p, Conversion& conversion)
    {
        if (*p != CharT('*')) {
            if (*p >= CharT('0') && *p <= CharT('9'))
                conversion.width = readNumber(p);
            return;
        }
        ++p;
        const int width = m_arguments.Next<int>();
        if (width < 0)
            conversion.flags.push_back('-');
        conversion.width = width >= 0 ? width : (width == INT_MIN ? INT_MAX : -width);
    }

    void parsePrecision(const CharT*& p, Conversion& conversion)
    {
        if (*p != CharT('.'))
            return;
        ++p;
        if (*p != CharT('*')) {
            conversion.precision = readNumber(p);
            return;
        }
        ++p;
        const int precision = m_arguments.Next<int>();
        conversion.precision = precision >= 0 ? precision : -1;
    }

    static LengthModifier parseLength(const CharT*& p)
    {
        struct Modifier
        {
            const char* text;
            LengthModifier length;
        };
        static constexpr Modifier modifiers[] = {
            {"I64", LengthModifier::LongLong}, {"I32", LengthModifier::Int32},  {"I", LengthModifier::Size},
            {"hh", LengthModifier::Char},      {"h", LengthModifier::Short},    {"ll", LengthModifier::LongLong},
            {"l", LengthModifier::Long},       {"q", LengthModifier::LongLong}, {"L", LengthModifier::LongDouble},
            {"j", LengthModifier::IntMax},     {"z", LengthModifier::Size},     {"t", LengthModifier::PtrDiff},
            {"w", LengthModifier::Wide}};
        for (const Modifier& modifier : modifiers) {
            if (startsWith(p, modifier.text)) {
                p += std::char_traits<char>::length(modifier.text);
                return modifier.length;
            }
        }
        return LengthModifier::None;
    }

    void emit(const Conversion& conversion)
    {
        switch (conversion.type) {
        case '%':
            m_out.push_back(CharT('%'));
            break;
        case 'd':
        case 'i':
            emitNumber(conversion, "ll", nextSigned(conversion.length));
            break;
        case 'u':
        case 'o':
        case 'x':
        case 'X':
            emitNumber(conversion, "ll", nextUnsigned(conversion.length));
            break;
        case 'p':
            emitNumber(conversion, "", m_arguments.Next<void*>());
            break;
        case 'n':
            m_arguments.Next<void*>();
            break;
        case 'c':
        case 'C':
        case 's':
        case 'S':
            emitText(conversion);
            break;
        default:
            emitFloatingPoint(conversion);
            break;
        }
    }

    long long nextSigned(LengthModifier length)
    {
        switch (length) {
        case LengthModifier::Char:
            return static_cast<signed char>(m_arguments.Next<int>());
        case LengthModifier::Short:
            return static_cast<short>(m_arguments.Next<int>());
        case LengthModifier::Long:
            return m_arguments.Next<long>();
        case LengthModifier::LongLong:
            return m_arguments.Next<long long>();
        case LengthModifier::IntMax:
            return m_arguments.Next<std::intmax_t>();
        case LengthModifier::Size:
            return m_arguments.Next<std::make_signed_t<std::size_t>>();
        case LengthModifier::PtrDiff:
            return m_arguments.Next<std::ptrdiff_t>();
        default:
            return m_arguments.Next<int>();
        }
    }

    unsigned long long nextUnsigned(LengthModifier length)
    {
        switch (length) {
        case LengthModifier::Char:
            return static_cast<unsigned char>(m_arguments.Next<int>());
        case LengthModifier::Short:
            return static_cast<unsigned short>(m_arguments.Next<int>());
        case LengthModifier::Long:
            return m_arguments.Next<unsigned long>();
        case LengthModifier::LongLong:
            return m_arguments.Next<unsigned long long>();
        case LengthModifier::IntMax:
            return m_arguments.Next<std::uintmax_t>();
        case LengthModifier::Size:
            return m_arguments.Next<std::size_t>();
        case LengthModifier::PtrDiff:
            return m_arguments.Next<std::make_unsigned_t<std::ptrdiff_t>>();
        default:
            return m_arguments.Next<unsigned>();
        }
    }

    void emitFloatingPoint(const Conversion& conversion)
    {
        if (conversion.length == LengthModifier::LongDouble)
            emitNumber(conversion, "L", m_arguments.Next<long double>());
        else
            emitNumber(conversion, "", m_arguments.Next<double>());
    }

    // Renders one number with the C library, from a conversion rebuilt in
    // plain C99 form: the value has already been read with its Windows size.
    template <typename T>
    void emitNumber(const Conversion& conversion, const char* lengthModifier, T value)
    {
        std::string format = "%" + conversion.flags;
        if (conversion.width >= 0)
            format += std::to_string(conversion.width);
        if (conversion.precision >= 0)
            format += "." + std::to_string(conversion.precision);
        format += lengthModifier;
        format.push_back(conversion.type);

        char buffer[128];
        const int length = std::snprintf(buffer, sizeof buffer, format.c_str(), value);
        if (length < 0)
            throw std::length_error("number too long to format");
        if (static_cast<std::size_t>(length) < sizeof buffer) {
            appendNumberText(m_out, buffer, static_cast<std::size_t>(length));
            return;
        }
        std::string large(static_cast<std::size_t>(length) + 1, '\0');
        std::snprintf(large.data(), large.size(), format.c_str(), value);
        appendNumberText(m_out, large.data(), static_cast<std::size_t>(length));
    }

    bool takesWideArgument(const Conversion& conversion) const
    {
        if (conversion.length == LengthModifier::Short)
            return false;
        if (conversion.length == LengthModifier::Long || conversion.length == LengthModifier::Wide)
            return true;
        const bool otherWidth = conversion.type == 'S' || conversion.type == 'C';
        return otherWidth != std::is_same_v<CharT, wchar_t>;
    }

    void emitText(const Conversion& conversion)
    {
        const bool isCharacter = conversion.type == 'c' || conversion.type == 'C';
        if (takesWideArgument(conversion)) {
            if (isCharacter)
                emitCharacter(static_cast<wchar_t>(m_arguments.Next<int>()), conversion);
            else
                emitString(m_arguments.Next<const wchar_t*>(), conversion);
        } else {
            if (isCharacter)
                emitCharacter(static_cast<char>(m_arguments.Next<int>()), conversion);
            else
                emitString(m_arguments.Next<const char*>(), conversion);
        }
    }

    template <typename SourceChar>
    void emitCharacter(SourceChar character, const Conversion& conversion)
    {
        emitConverted(&character, 1, conversion);
    }

    template <typename SourceChar>
    void emitString(const SourceChar* text, const Conversion& conversion)
    {
        if (text == nullptr) {
            emitString("(null)", conversion);
            return;
        }
        const std::size_t length = conversion.precision >= 0 ? boundedLength(text, conversion.precision)
                                                             : std::char_traits<SourceChar>::length(text);
        emitConverted(text, length, conversion);
    }

    template <typename SourceChar>
    void emitConverted(const SourceChar* text, std::size_t length, const Conversion& conversion)
    {
        if constexpr (std::is_same_v<SourceChar, CharT>)
            emitPadded(std::basic_string_view<CharT>(text, length), conversion);
        else
            emitPadded(toOtherWidth(text, length), conversion);
    }

    void emitPadded(std::basic_string_view<CharT> text, const Conversion& conversion)
    {
        const std::size_t width = conversion.width > 0 ? static_cast<std::size_t>(conversion.width) : 0;
        const std::size_t padding = width > text.size() ? width - text.size() : 0;
        const bool leftAligned = conversion.HasFlag('-');
        if (!leftAligned)
            m_out.append(padding, conversion.HasFlag('0') ? CharT('0') : CharT(' '));
        m_out.append(text);
        if (leftAligned)
            m_out.append(padding, CharT(' '));
    }

    std::basic_string<CharT>& m_out;
    ArgumentList m_arguments;
};

} // namespace

void AppendFormat(std::string& out, const char* format, va_list arguments)
{
    if (format == nullptr)
        throw std::invalid_argument("null format string");
    Formatter<char>(out, arguments).Run(format);
}

void AppendFormat(std::wstring& out, const wchar_t* format, va_list arguments)
{
    if (format == nullptr)
        throw std::invalid_argument("null format string");
    Formatter<wchar_t>(out, arguments).Run(format);
}

} // namespace cbf::platform
