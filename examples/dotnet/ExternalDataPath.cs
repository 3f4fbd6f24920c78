// Calls GetExternalDataPath of cbfoundation from C#, in the form that works on Mono.
//
// Build and run:   mcs ExternalDataPath.cs && mono ExternalDataPath.exe FILE...
// (with libcbfoundation.so where the loader finds it, e.g. on LD_LIBRARY_PATH)
//
// Prints, for each file, the status word, a tab and the text. Mono frees a
// returned OLE string differently from the library's layout, so the result
// is taken as a plain pointer, read as UTF-16 and freed with CbSysFreeString.
// On Windows, and on .NET on Linux, the marshaller can do that instead:
//
//     [DllImport("cbfoundation")]
//     [return: MarshalAs(UnmanagedType.BStr)]
//     static extern string GetExternalDataPath(string path, out uint status);
using System;
using System.IO;
using System.Runtime.InteropServices;
using System.Text;

static class ExternalDataPath
{
    // The status words: 0 OK, 1 ERROR_UNKNOWN, 2 ERROR_FILENOTFOUND.
    [DllImport("cbfoundation", CharSet = CharSet.Ansi)]
    static extern IntPtr GetExternalDataPath(string path, out uint status);

    [DllImport("cbfoundation")]
    static extern uint CbSysStringLen(IntPtr text);

    [DllImport("cbfoundation")]
    static extern void CbSysFreeString(IntPtr text);

    static string Call(string path, out uint status)
    {
        IntPtr result = GetExternalDataPath(path, out status);
        if (result == IntPtr.Zero)
            throw new OutOfMemoryException("GetExternalDataPath could not allocate its result");
        try {
            return Marshal.PtrToStringUni(result, (int)CbSysStringLen(result));
        } finally {
            CbSysFreeString(result);
        }
    }

    static int Main(string[] paths)
    {
        var output = new StreamWriter(Console.OpenStandardOutput(), new UTF8Encoding(false));
        output.NewLine = "\n";
        foreach (string path in paths) {
            uint status;
            string text = Call(path, out status);
            output.WriteLine(status + "\t" + text);
        }
        output.Flush();
        return 0;
    }
}
