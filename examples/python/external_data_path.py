#!/usr/bin/env python3
"""Calls GetExternalDataPath of cbfoundation through ctypes.

Usage: external_data_path.py PARAMETER_FILE...

Prints, for each file, the status word, a tab and the text. The library is
taken from $CBFOUNDATION_LIBRARY, else found by name (libcbfoundation.so on
Linux, cbfoundation.dll on Windows).
"""
import ctypes
import ctypes.util
import os
import sys


def load_library():
    path = os.environ.get("CBFOUNDATION_LIBRARY") or ctypes.util.find_library("cbfoundation")
    if not path:
        sys.exit("cbfoundation not found: set CBFOUNDATION_LIBRARY")
    library = ctypes.CDLL(path)
    # The OLE string comes back as a plain pointer: ctypes has no marshaller
    # for it, so the caller reads it and frees it through the library.
    library.GetExternalDataPath.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_uint32)]
    library.GetExternalDataPath.restype = ctypes.c_void_p
    library.CbSysStringLen.argtypes = [ctypes.c_void_p]
    library.CbSysStringLen.restype = ctypes.c_uint
    library.CbSysFreeString.argtypes = [ctypes.c_void_p]
    library.CbSysFreeString.restype = None
    return library


def external_data_path(library, path):
    """Returns (status, text) for the parameter file at path."""
    status = ctypes.c_uint32()
    result = library.GetExternalDataPath(os.fsencode(path), ctypes.byref(status))
    if not result:
        raise MemoryError("GetExternalDataPath could not allocate its result")
    try:
        # The text is UTF-16 on every platform; its length is in code units.
        units = library.CbSysStringLen(result)
        text = ctypes.string_at(result, 2 * units).decode("utf-16-le", errors="surrogatepass")
    finally:
        library.CbSysFreeString(result)
    return status.value, text


def main(paths):
    library = load_library()
    # The status words are exported data: compare against them, not against numbers.
    ok = ctypes.c_uint32.in_dll(library, "OK").value
    unknown = ctypes.c_uint32.in_dll(library, "ERROR_UNKNOWN").value
    not_found = ctypes.c_uint32.in_dll(library, "ERROR_FILENOTFOUND").value
    assert (ok, unknown, not_found) == (0, 1, 2)
    out = sys.stdout.buffer
    for path in paths:
        status, text = external_data_path(library, path)
        out.write(f"{status}\t{text}\n".encode("utf-8", errors="surrogatepass"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
