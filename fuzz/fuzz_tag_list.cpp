// Feeds arbitrary documents to the path list of the XML mapping page: read while parsing, it must
// give exactly what the tree walk gives, and the same verdict on whether the sample can be read.
#include "platform/Files.h"
#include "xml/TagList.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// Samples are order files; beyond this the search only slows down.
constexpr std::size_t kMaxInput = 64 * 1024;

std::string samplePath()
{
    static const std::string path
        = (std::filesystem::temp_directory_path() / ("transvo-fuzz-tags-" + std::to_string(getpid()) + ".xml"))
              .string();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > kMaxInput) {
        return 0;
    }
    const std::string path = samplePath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) {
            return 0;
        }
    }
    xml::TagList streamed;
    const bool read = streamed.read(path);
    xml::XmlDocument document;
    const bool loaded = document.loadFile(path);
    if (read != loaded) {
        __builtin_trap();
    }
    if (loaded) {
        xml::TagList tree;
        tree.GETNODES(document.documentElement(), std::string());
        if (tree.paths() != streamed.paths()) {
            __builtin_trap();
        }
    }
    return 0;
}
