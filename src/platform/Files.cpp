#include "platform/Files.h"

// What both platforms share; their file calls are in FilesPosix.cpp and FilesWindows.cpp.

namespace platform {

WriteResult replaceFile(const std::string& path, const std::string& bytes, Access access)
{
    return replaceFileWith(
        path, [&bytes](ByteSink& sink) { sink.write(bytes); }, access);
}

} // namespace platform
