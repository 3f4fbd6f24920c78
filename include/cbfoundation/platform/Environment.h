// The process environment, as wide text.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/CStringT.h>

namespace cbf::platform {

/// The value of the process environment variable `name`; false, leaving
/// `value` unchanged, when it is not set. A name that is empty or holds '='
/// or a NUL is never set. Outside Windows the value's bytes are decoded as
/// FromNativePath decodes file names, so a path read from the environment
/// names the same file again.
CB_API bool ReadEnvironmentVariable(const CStringW& name, CStringW& value);

/// Sets the variable (a null `value` removes it); false for a name that
/// cannot be set. Like the C library's setenv, not to be called while other
/// threads read the environment.
CB_API bool WriteEnvironmentVariable(const CStringW& name, const wchar_t* value);

} // namespace cbf::platform
