// The standard C calls of the buffered file streams, the same on every system.
#include "platform/FileStream.h"

namespace cbf::platform {

bool SetFullBuffering(std::FILE* file, std::size_t size)
{
    return std::setvbuf(file, nullptr, _IOFBF, size) == 0;
}

bool HasFileError(std::FILE* file)
{
    return std::ferror(file) != 0;
}

bool GetFilePosition(std::FILE* file, std::fpos_t& position)
{
    return std::fgetpos(file, &position) == 0;
}

bool SetFilePosition(std::FILE* file, const std::fpos_t& position)
{
    return std::fsetpos(file, &position) == 0;
}

bool SeekFileFromStart(std::FILE* file, long offset)
{
    return std::fseek(file, offset, SEEK_SET) == 0;
}

bool WriteFileItem(const void* buffer, std::size_t size, std::FILE* file)
{
    return std::fwrite(buffer, size, 1, file) == 1;
}

bool CloseFile(std::FILE* file)
{
    return std::fclose(file) == 0;
}

} // namespace cbf::platform
