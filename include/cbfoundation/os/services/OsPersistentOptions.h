// OsPersistentOptions: named options kept in the registry below one of five root keys.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/base/values/CbVariant.h>
#include <cbfoundation/platform/CStringT.h>
#include <cbfoundation/platform/Registry.h>

/// The root key an option lives under. The type is fixed so that a value
/// outside the five (a category of 5) can be passed; it names no root, and
/// every operation on it fails.
enum EPersistentOptionsCategory : unsigned
{
    ePersistentOptionsCategoryClassesRoot = 0,
    ePersistentOptionsCategoryCurrentUser = 1,
    ePersistentOptionsCategoryLocalMachine = 2,
    ePersistentOptionsCategoryUsers = 3,
    ePersistentOptionsCategoryCurrentConfig = 4,
};

/// Reads and writes options: named values under a key path (backslash
/// separated, relative to the root of a category, case-insensitive).
///
///     CStringW folder;
///     if (OsPersistentOptions::ReadOption(L"Software\\Morvane\\Settings", L"Development", folder, 1024,
///                                         ePersistentOptionsCategoryCurrentUser))
///         use(folder);
///     OsPersistentOptions::WriteOption(L"Software\\MyTool", L"Runs", 3, ePersistentOptionsCategoryCurrentUser);
///
/// How options are stored: `int`, `unsigned long` and `bool` as a 32-bit
/// number (REG_DWORD, 4 bytes, little-endian; a bool is 1 or 0), texts as
/// REG_SZ, their UTF-16 code units with no terminating NUL (the byte count is
/// twice the number of code units). A variant is stored by its type: bool as
/// a bool, int as an int, wide string as a text, and unsigned int as a
/// REG_DWORD holding its 32 bits, so that reading it back with the requested
/// type unsigned int returns the same variant.
///
/// Every function answers 1 (or true) on success and 0 (or false) on any
/// store failure: a missing key or value, a value larger than the reader's
/// buffer, an unknown category, a key path or name with an embedded NUL, an
/// unreadable store. A failed read leaves the `int`, `bool`, text and variant
/// outputs unchanged. The value's stored type is not checked on reading: a
/// number reads whatever bytes are stored, when there are at most 4 of them
/// (fewer are zero-extended).
///
/// Only these throw, before the store is touched, and nothing is written:
/// - ReadOption of a variant with a requested type other than bool, int,
///   unsigned int, float, double and wide string: CbException
///   ("OsPersistentOptions", 232, "OsPersistentOptions::ReadOption");
/// - WriteOption of a variant that holds another type than bool, int,
///   unsigned int and wide string: CbException
///   ("OsPersistentOptions", 266, "OsPersistentOptions::WriteOption");
/// - where `unsigned long` is 64 bits wide, writing an `unsigned long` above
///   4294967295: CbException ("OsPersistentOptions",
///   kUnsignedLongOutOfRangeLine, "OsPersistentOptions::WriteOption"); the
///   value is never truncated. (A maximum length above that admits every
///   text, as 4294967295 does.)
///
/// On Windows the store is the registry. Elsewhere it is a database of the
/// same shape (five roots, keys, typed values) in one file: the file named by
/// $CBFOUNDATION_REGISTRY, else $XDG_CONFIG_HOME/cbfoundation/registry.sqlite3
/// (~/.config/... when XDG_CONFIG_HOME is unset). The file and its folder are
/// made (modes 0600 and 0700) on the first write; reading a missing file
/// answers 0 and creates nothing. Each call is one transaction, so a value is
/// never seen half-written, also between processes.
///
/// Static functions only; no state. Safe to call from several threads at once.
class CB_API OsPersistentOptions
{
public:
    using enum EPersistentOptionsCategory;

    /// Line of the exception for an `unsigned long` that does not fit 32 bits.
    static constexpr unsigned kUnsignedLongOutOfRangeLine = 300;

    /// The stored number; `value` is untouched on failure.
    static int ReadOption(const CStringW& keyPath, const CStringW& name, int& value,
                          EPersistentOptionsCategory category);

    /// The stored number; after a failure `value` is not to be relied on.
    static int ReadOption(const CStringW& keyPath, const CStringW& name, unsigned long& value,
                          EPersistentOptionsCategory category);

    /// True exactly when the stored number is 1 (2 reads as false).
    static int ReadOption(const CStringW& keyPath, const CStringW& name, bool& value,
                          EPersistentOptionsCategory category);

    /// The stored text up to its first NUL. A text of more than `maxLength`
    /// UTF-16 code units fails; one of exactly `maxLength` is read whole.
    static int ReadOption(const CStringW& keyPath, const CStringW& name, CStringW& value, unsigned long maxLength,
                          EPersistentOptionsCategory category);

    /// Reads by the requested type: bool and int give an int variant, unsigned
    /// int an unsigned int variant, float, double and wide string the stored
    /// text (at most 1024 code units) as a wide-string variant. On failure the
    /// variant keeps its value.
    static int ReadOption(const CStringW& keyPath, const CStringW& name, CbVariant& value, CbVariant::EVariantType type,
                          EPersistentOptionsCategory category);

    /// Stores `value` under `name` in the key `keyPath` of the root `category`,
    /// making the key when it is missing: 1 on success, 0 on failure (see the
    /// class).
    static int WriteOption(const CStringW& keyPath, const CStringW& name, const CStringW& value,
                           EPersistentOptionsCategory category);

    /// A text literal is a text, not a bool (a pointer would otherwise convert
    /// to bool before it converts to a string).
    static int WriteOption(const CStringW& keyPath, const CStringW& name, const wchar_t* value,
                           EPersistentOptionsCategory category);

    /// Stores a variant, a number or a bool, as the class describes.
    /// @{
    static int WriteOption(const CStringW& keyPath, const CStringW& name, const CbVariant& value,
                           EPersistentOptionsCategory category);
    static int WriteOption(const CStringW& keyPath, const CStringW& name, int value,
                           EPersistentOptionsCategory category);
    static int WriteOption(const CStringW& keyPath, const CStringW& name, unsigned long value,
                           EPersistentOptionsCategory category);
    static int WriteOption(const CStringW& keyPath, const CStringW& name, bool value,
                           EPersistentOptionsCategory category);
    /// @}

    /// Deletes the named value; the key stays. False when there was none.
    static bool DeleteOption(const CStringW& keyPath, const CStringW& name, EPersistentOptionsCategory category);

private:
    static HKEY getKey(EPersistentOptionsCategory category);
    static int readValue(const CStringW& keyPath, const CStringW& name, void* data, unsigned long& size,
                         EPersistentOptionsCategory category);
    static int writeValue(const CStringW& keyPath, const CStringW& name, unsigned long type, const void* data,
                          unsigned long size, EPersistentOptionsCategory category);
};
