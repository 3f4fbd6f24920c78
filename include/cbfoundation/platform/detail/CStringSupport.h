// The argument handling CStringT shares between its members: null-safe views
// of character pointers, clamping of counts and positions, and the passing of
// Format arguments through a C variadic call.
#pragma once

#include <cbfoundation/platform/FormatString.h>
#include <cbfoundation/platform/detail/CStringCharacters.h>

#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

namespace cbf::platform::detail {

/// The static helpers of CStringT<CharT>.
template <typename CharT>
struct CStringSupport
{
    using StringType = std::basic_string<CharT>;
    using StringView = std::basic_string_view<CharT>;
    using OtherCharT = typename OtherWidth<CharT>::Type;

    /// The text up to its NUL; a null pointer gives an empty view.
    template <typename C>
    static std::basic_string_view<C> viewOf(const C* text)
    {
        return text != nullptr ? std::basic_string_view<C>(text) : std::basic_string_view<C>();
    }

    /// Exactly `length` characters (none when not positive) of `text`.
    template <typename C>
    static std::basic_string_view<C> viewOf(const C* text, int length)
    {
        return text != nullptr ? std::basic_string_view<C>(text, static_cast<std::size_t>(clampedCount(length)))
                               : std::basic_string_view<C>();
    }

    /// What a Format argument passes through the variadic call: the value
    /// itself, or the characters of a string object.
    template <typename T>
    static const T& varargOf(const T& argument)
    {
        static_assert(std::is_trivially_copyable_v<std::decay_t<T>>,
                      "only numbers, characters, pointers and CStringT objects can be formatted");
        return argument;
    }

    template <typename S>
    requires requires(const S& text) { text.GetString(); }
    static auto varargOf(const S& argument) { return argument.GetString(); }

    static void appendFormatted(StringType& out, const CharT* format, ...)
    {
        va_list arguments;
        va_start(arguments, format);
        try {
            cbf::platform::AppendFormat(out, format, arguments);
        } catch (...) {
            va_end(arguments);
            throw;
        }
        va_end(arguments);
    }

    /// Text of the other width in this width, through the process code page.
    static StringType convert(std::basic_string_view<OtherCharT> text) { return ConvertText(text.data(), text.size()); }

    static int clampedCount(int count) noexcept { return count > 0 ? count : 0; }

    /// A position found in a view, or -1 for none.
    static int positionOf(std::size_t position) noexcept
    {
        return position == StringView::npos ? -1 : static_cast<int>(position);
    }
};

} // namespace cbf::platform::detail
