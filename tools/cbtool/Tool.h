// What cbtool's commands share: failures and exit statuses, text conversion, hexadecimal bytes.
#pragma once

#include <cbfoundation/platform/CStringT.h>

#include <CLI/CLI.hpp>

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class CbStreamReadBinary;

namespace cbtool {

/// Exit statuses of every command but external-data-path, whose status is
/// the library's status word.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 64;

/// A failure the tool reports as one line on standard error.
class Failure : public std::runtime_error
{
public:
    explicit Failure(const std::string& message, int status = kExitFailure)
        : std::runtime_error(message)
        , m_status(status)
    {}

    int Status() const { return m_status; }

private:
    int m_status;
};

/// The one line that says what the exception in flight reports: for the
/// library's exceptions the system's reason, when there is one, and the
/// class and place where the library threw.
std::string DescribeCurrentException();

/// Runs `action`; an exception other than Failure becomes a Failure whose
/// message begins with `subject` (a file name, say).
template <class Action>
void About(const std::string& subject, Action action)
{
    try {
        action();
    } catch (const Failure&) {
        throw;
    } catch (...) {
        throw Failure(subject + ": " + DescribeCurrentException());
    }
}

/// A command-line argument (process code page) as wide text.
CStringW FromArgument(const std::string& argument);

/// A file named on the command line, with the current folder in front of a
/// relative path: the library's writers create a file's missing folders, but
/// from a relative path they take the first level as given and a bare name
/// as naming no folder at all.
CStringW PathFromArgument(const std::string& argument);

/// Wide text as UTF-8. A lone surrogate becomes U+FFFD.
std::string ToUtf8(const CStringW& text);

/// Wide text as UTF-8, or nothing when it holds a lone surrogate (UTF-8
/// cannot carry one).
std::optional<std::string> ToUtf8Exactly(const CStringW& text);

/// UTF-8 text (already validated, as JSON strings are) as wide text.
CStringW FromUtf8(std::string_view text);

/// The UTF-16 code units of wide text.
std::u16string ToUtf16(const CStringW& text);

/// Wide text from UTF-16 code units; lone surrogates are kept.
CStringW FromUtf16(std::u16string_view units);

/// The number of characters (code points) of UTF-8 text, for aligning columns.
std::size_t CodePointCount(std::string_view utf8);

/// Bytes as lower-case hexadecimal digits, two per byte.
std::string ToHex(const void* bytes, std::size_t count);

/// The bytes of a text of hexadecimal digits (either case); throws Failure
/// naming `what` for an odd count or another character.
std::vector<unsigned char> FromHex(std::string_view digits, const std::string& what);

/// Everything `stream` delivers until its end.
std::vector<unsigned char> ReadAll(CbStreamReadBinary& stream);

/// The whole content of a file, byte for byte, through the library's raw
/// file reader.
std::vector<unsigned char> ReadWholeFile(const CStringW& path);

/// Has `write` write a new file beside `path` and then moves it over `path`,
/// so that a failure leaves `path` as it was and no half-written file.
void ReplaceAtomically(const CStringW& path, const std::function<void(const CStringW& temporary)>& write);

// The commands, each adding itself to the application.
void AddContainerCommands(CLI::App& app);
void AddOptionsCommand(CLI::App& app);
void AddParameterCommands(CLI::App& app);
void AddExternalDataPathCommand(CLI::App& app);

} // namespace cbtool
