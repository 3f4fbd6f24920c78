// cbtool: parameter files, compressed archives and persistent options from the command line.

#include "Tool.h"

#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app("cbtool " CBTOOL_VERSION ": reads and writes parameter files, compressed archives and persistent "
                 "options of cbfoundation",
                 "cbtool");
    app.set_version_flag("--version", "cbtool " CBTOOL_VERSION);
    app.require_subcommand(1);
    // On Windows CLI11 would take "/x" for an option; paths begin so elsewhere.
    app.allow_windows_style_options(false);
    cbtool::AddExternalDataPathCommand(app);
    cbtool::AddParameterCommands(app);
    cbtool::AddContainerCommands(app);
    cbtool::AddOptionsCommand(app);
    try {
        app.parse(argc, argv);
        return cbtool::kExitSuccess;
    } catch (const CLI::Success& helpOrVersion) {
        return app.exit(helpOrVersion);
    } catch (const CLI::ParseError& error) {
        std::cerr << "cbtool: " << error.what() << " (see cbtool --help)" << std::endl;
        return cbtool::kExitUsage;
    } catch (const cbtool::Failure& failure) {
        std::cerr << "cbtool: " << failure.what() << std::endl;
        return failure.Status();
    } catch (...) {
        std::cerr << "cbtool: " << cbtool::DescribeCurrentException() << std::endl;
        return cbtool::kExitFailure;
    }
}
