// cbtool external-data-path: what GetExternalDataPath answers, as text and exit status.

#include "Tool.h"

#include <cbfoundation/entry/GetExternalDataPath.h>

#include <iostream>
#include <memory>

namespace cbtool {
namespace {

#pragma push_macro("ERROR_UNKNOWN")
#pragma push_macro("ERROR_FILENOTFOUND")
#undef ERROR_UNKNOWN
#undef ERROR_FILENOTFOUND

// The exit status is the status word itself; the message says what it means.
void PrintExternalDataPath(const std::string& file)
{
    std::uint32_t status = ERROR_UNKNOWN;
    const std::unique_ptr<OLECHAR, decltype(&CbSysFreeString)> text(GetExternalDataPath(file.c_str(), &status),
                                                                    &CbSysFreeString);
    if (status == ERROR_FILENOTFOUND)
        throw Failure(file + ": no such file (status 2, ERROR_FILENOTFOUND)", static_cast<int>(status));
    if (status != OK)
        throw Failure(file + ": no \"ExternalDataPath\" text in the parameter list, or the file cannot be read "
                             "(status 1, ERROR_UNKNOWN)",
                      static_cast<int>(status));
    std::cout << ToUtf8(CbWideFromOleString(text.get())) << std::endl;
}

#pragma pop_macro("ERROR_FILENOTFOUND")
#pragma pop_macro("ERROR_UNKNOWN")

} // namespace

void AddExternalDataPathCommand(CLI::App& app)
{
    auto file = std::make_shared<std::string>();
    CLI::App* command =
        app.add_subcommand("external-data-path", "Print what GetExternalDataPath answers; exit with its status word");
    command->add_option("FILE", *file, "The parameter file, as the library's callers pass it")->required();
    command->callback([file] { PrintExternalDataPath(*file); });
}

} // namespace cbtool
