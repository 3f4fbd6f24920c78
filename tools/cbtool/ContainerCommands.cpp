// cbtool pack, unpack and info: the compressed-archive container of any file.

#include "Container.h"
#include "Tool.h"

#include "os/streams/ContainerHeader.h"

#include <iostream>
#include <map>
#include <memory>

namespace cbtool {
namespace {

struct Paths
{
    std::string in;
    std::string out;
};

CLI::App* AddInOut(CLI::App& app, const char* name, const char* description, Paths& paths)
{
    CLI::App* command = app.add_subcommand(name, description);
    command->add_option("IN", paths.in, "The file to read")->required();
    command->add_option("OUT", paths.out, "The file to write (replaced as a whole)")->required();
    return command;
}

void Pack(const Paths& paths, const std::string& level)
{
    std::vector<unsigned char> payload;
    About(paths.in, [&] { payload = ReadWholeFile(PathFromArgument(paths.in)); });
    About(paths.out, [&] { WritePayload(PathFromArgument(paths.out), payload, true, CompressionLevel(level)); });
}

void Unpack(const Paths& paths)
{
    std::vector<unsigned char> payload;
    About(paths.in, [&] {
        const CStringW in = PathFromArgument(paths.in);
        const ContainerInfo info = ContainerInfo::OfFile(in);
        if (!info.IsArchive())
            throw Failure(paths.in + " is no compressed archive");
        payload = ReadPayload(in);
        // The library's reader ends a corrupt zlib stream as if it were
        // complete; the length field tells.
        if (info.method == cbf::streams::kMethodZlib && !info.Matches(payload.size()))
            throw Failure(paths.in + ": the archive is damaged or incomplete: " + std::to_string(payload.size()) +
                          " bytes inflate, its length field says " + std::to_string(info.lengthField));
    });
    About(paths.out, [&] { WritePayload(PathFromArgument(paths.out), payload, false, 0); });
}

void Info(const std::string& file)
{
    const CStringW path = PathFromArgument(file);
    std::vector<unsigned char> bytes;
    About(file, [&] { bytes = ReadWholeFile(path); });
    const ContainerInfo info = ContainerInfo::Inspect(bytes);
    std::cout << "file:         " << file << "\n"
              << "file size:    " << bytes.size() << "\n"
              << "kind:         " << info.Describe() << "\n";
    if (info.IsArchive())
        std::cout << "method:       " << info.method << "\n"
                  << "length field: " << info.lengthField << "\n";
    std::cout << std::flush;
    if (info.IsArchive() && !info.IsReadable())
        throw Failure(file + ": method " + std::to_string(info.method) + " cannot be read");
    About(file, [&] {
        const std::size_t size = ReadPayload(path).size();
        std::cout << "payload size: " << size;
        if (info.IsArchive() && !info.Matches(size))
            std::cout << " (not what the length field says: damaged or incomplete)";
        std::cout << std::endl;
    });
}

} // namespace

void AddContainerCommands(CLI::App& app)
{
    auto packPaths = std::make_shared<Paths>();
    auto level = std::make_shared<std::string>("default");
    CLI::App* pack = AddInOut(app, "pack", "Wrap a file in a compressed archive (zlib, method 2)", *packPaths);
    AddLevelOption(*pack, "--level", *level);
    pack->callback([packPaths, level] { Pack(*packPaths, *level); });

    auto unpackPaths = std::make_shared<Paths>();
    CLI::App* unpack =
        AddInOut(app, "unpack", "Write the payload of a compressed archive as a plain file", *unpackPaths);
    unpack->callback([unpackPaths] { Unpack(*unpackPaths); });

    auto file = std::make_shared<std::string>();
    CLI::App* info = app.add_subcommand("info", "Tell a file's container: kind, method, length field, payload size");
    info->add_option("FILE", *file, "The file to inspect")->required();
    info->callback([file] { Info(*file); });
}

} // namespace cbtool
