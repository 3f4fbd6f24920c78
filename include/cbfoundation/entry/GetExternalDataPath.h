// GetExternalDataPath: the plain export for managed callers, and its status words.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/platform/OleString.h>

#include <stdint.h>

// Some system headers define macros of these names (ERROR_UNKNOWN, for one);
// the exported words keep their names all the same.
#pragma push_macro("OK")
#pragma push_macro("ERROR_UNKNOWN")
#pragma push_macro("ERROR_FILENOTFOUND")
#undef OK
#undef ERROR_UNKNOWN
#undef ERROR_FILENOTFOUND

/// Status of GetExternalDataPath (0): the record was found and its text
/// returned. Exported data under this undecorated name; the library only
/// reads it.
CB_EXTERN_C CB_API const uint32_t OK;

/// Status of GetExternalDataPath (1): anything else than OK or
/// ERROR_FILENOTFOUND: no such record, a value that is not wide text, a file
/// that cannot be read or is newer than version 4, any failure.
CB_EXTERN_C CB_API const uint32_t ERROR_UNKNOWN;

/// Status of GetExternalDataPath (2): the path does not exist.
CB_EXTERN_C CB_API const uint32_t ERROR_FILENOTFOUND;

#pragma pop_macro("ERROR_FILENOTFOUND")
#pragma pop_macro("ERROR_UNKNOWN")
#pragma pop_macro("OK")

/// Returns the text of the record named "ExternalDataPath" in the parameter
/// list of the parameter file at `path`, as a new OLE string that the caller
/// frees with SysFreeString (or CbSysFreeString where the caller's runtime
/// frees OLE strings differently), and sets `*status`.
///
/// `path` is NUL-terminated narrow text in the process code page. Its
/// existence is tested with OsFileSystem::Exists (which expands environment
/// references), then the file is opened by the path as given, plain or in the
/// compressed-archive container. `status` must be valid: it is set
/// to ERROR_UNKNOWN before anything else, to ERROR_FILENOTFOUND when the path
/// does not exist, and to OK once a record of that exact name (case
/// included) is found in the parameter list; records of the group sections
/// are passed over. A found record whose value is not wide text ends as
/// ERROR_UNKNOWN. The text ends at its first NUL.
///
/// On every failure the result is an empty string, never null unless the
/// OLE allocator itself fails. No exception leaves the function, and the file
/// is closed before it returns. Calls on different threads are independent.
CB_EXTERN_C CB_API BSTR GetExternalDataPath(const char* path, uint32_t* status);
