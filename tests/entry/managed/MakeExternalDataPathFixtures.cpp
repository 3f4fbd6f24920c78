// Writes the parameter files that the managed callers' tests read, and the output each caller must print for them.
#include <cbfoundation/entry/CbParameterFile.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

template <class Value>
CbVariant variant(const Value& value)
{
    CbVariant v;
    v = value;
    return v;
}

// A version-4 file whose groups and earlier records hold decoys: only the
// exact name in the parameter list counts.
CbParameterFile fileWith(const CbVariant& value)
{
    CbParameterFile file;
    file.firstGroups.push_back({L"first", {PmCParameter(L"ExternalDataPath", variant(L"group"), false, 0)}});
    file.secondGroups.push_back({L"second", {PmCParameter(L"ExternalDataPath", variant(L"group"), false, 0)}});
    file.parameters.emplace_back(L"externaldatapath", variant(L"other case"), false, 1);
    file.parameters.emplace_back(L"ExternalDataPath", value, false, 2);
    file.parameters.emplace_back(L"ExternalDataPath", variant(L"second match"), false, 3);
    return file;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    // The text has accents, CJK ideographs and a character outside the BMP (a
    // surrogate pair in UTF-16), so that each caller's decoding is tested.
    const CbVariant text = variant(L"D:\\Donn\u00e9es\\\u65e5\u672c\\\U0001F600.dat");
    const char textUtf8[] = "D:\\Donn\xc3\xa9"
                            "es\\\xe6\x97\xa5\xe6\x9c\xac\\\xf0\x9f\x98\x80.dat";
    const CStringW folder = CStringW(argv[1]) + static_cast<wchar_t>(std::filesystem::path::preferred_separator);
    try {
        fileWith(text).Save(folder + L"text.par");
        fileWith(text).Save(folder + L"compressed.par",
                            {CbParameterFile::eContainerCompressed, CbParameterFile::eCompressionLevelBest});
        fileWith(variant(7)).Save(folder + L"integer.par");
    } catch (...) {
        std::fprintf(stderr, "%s: cannot write the fixtures\n", argv[0]);
        return 1;
    }
    // What a caller prints for text.par, compressed.par, integer.par and
    // missing.par: the status, a tab and the text, one line each.
    std::ofstream(std::string(argv[1]) + "/expected.txt", std::ios::binary)
        << "0\t" << textUtf8 << "\n0\t" << textUtf8 << "\n1\t\n2\t\n";
    return 0;
}
