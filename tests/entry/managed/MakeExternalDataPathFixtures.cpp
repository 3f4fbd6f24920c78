// Writes the parameter files that the managed callers' tests read, and the output each caller must print for them.
#include <cbfoundation/entry/CbParameterFile.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

// The text has accents, CJK ideographs and a character outside the BMP (a
// surrogate pair in UTF-16), so that each caller's decoding is tested.
constexpr const wchar_t* kText = L"D:\\Donn\u00e9es\\\u65e5\u672c\\\U0001F600.dat";
constexpr const char kTextUtf8[] = "D:\\Donn\xc3\xa9"
                                   "es\\\xe6\x97\xa5\xe6\x9c\xac\\\xf0\x9f\x98\x80.dat";

CbVariant textValue(const wchar_t* text)
{
    CbVariant value;
    value = text;
    return value;
}

// A version-4 file whose groups and earlier records hold decoys: only the
// exact name in the parameter list counts.
CbParameterFile fileWith(const CbVariant& value)
{
    CbParameterFile file;
    file.firstGroups.push_back({L"first", {PmCParameter(L"ExternalDataPath", textValue(L"group"), false, 0)}});
    file.secondGroups.push_back({L"second", {PmCParameter(L"ExternalDataPath", textValue(L"group"), false, 0)}});
    file.parameters.emplace_back(L"externaldatapath", textValue(L"other case"), false, 1);
    file.parameters.emplace_back(L"ExternalDataPath", value, false, 2);
    file.parameters.emplace_back(L"ExternalDataPath", textValue(L"second match"), false, 3);
    return file;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const CStringW folder = CStringW(argv[1]) + static_cast<wchar_t>(std::filesystem::path::preferred_separator);
    CbVariant number;
    number = 7;
    try {
        fileWith(textValue(kText)).Save(folder + L"text.par");
        fileWith(textValue(kText))
            .Save(folder + L"compressed.par",
                  {CbParameterFile::eContainerCompressed, CbParameterFile::eCompressionLevelBest});
        fileWith(number).Save(folder + L"integer.par");
    } catch (...) {
        std::fprintf(stderr, "%s: cannot write the fixtures\n", argv[0]);
        return 1;
    }
    // What a caller prints for text.par, compressed.par, integer.par and
    // missing.par: the status, a tab and the text, one line each.
    std::ofstream(std::string(argv[1]) + "/expected.txt", std::ios::binary)
        << "0\t" << kTextUtf8 << "\n0\t" << kTextUtf8 << "\n1\t\n2\t\n";
    return 0;
}
