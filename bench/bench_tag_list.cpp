// Times the listing of element paths of a large sample order, as the XML mapping page reads it,
// against the tree walk it replaces for ordinary documents. Run: build/bench/bench_tag_list [megabytes]

#include "platform/Files.h"
#include "xml/TagList.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// An indented order of the size asked for: a header, a delivery address and lines with a few
// optional elements, a comment now and then, so the list has more than a handful of paths.
std::string sampleOrder(std::size_t bytes)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Order>\n  <Header>\n    <Nr>PO-1</Nr>\n"
                      "    <Delivery><Name>Bouw</Name><Street>Kaai 1</Street><City>Gent</City></Delivery>\n"
                      "  </Header>\n";
    for (std::size_t line = 0; xml.size() < bytes; ++line) {
        xml += "  <Line nr=\"" + std::to_string(line) + "\">\n    <Art>" + std::to_string(10000000 + line % 90000000)
            + "</Art>\n    <Qty>" + std::to_string(line % 40 + 1) + ",5</Qty>\n";
        if (line % 7 == 0) {
            xml += "    <Note><!-- checked --><Text>Snel leveren</Text></Note>\n";
        }
        if (line % 1000 == 0) {
            xml += "    <Extra" + std::to_string(line / 1000) + "/>\n";
        }
        xml += "  </Line>\n";
    }
    return xml + "</Order>\n";
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 20;
    const std::string path = (std::filesystem::temp_directory_path() / "transvo-bench-sample.xml").string();
    const std::string sample = sampleOrder(megabytes * 1024 * 1024);
    platform::replaceFile(path, sample);

    auto start = std::chrono::steady_clock::now();
    xml::TagList streamed;
    if (!streamed.read(path)) {
        std::fprintf(stderr, "read failed: %s\n", streamed.errorReason().c_str());
        return 1;
    }
    const double streamSeconds = seconds(start);

    start = std::chrono::steady_clock::now();
    xml::XmlDocument document;
    if (!document.loadFile(path)) {
        std::fprintf(stderr, "load failed: %s\n", document.errorReason().c_str());
        return 1;
    }
    xml::TagList tree;
    tree.GETNODES(document.documentElement(), std::string());
    const double treeSeconds = seconds(start);

    std::printf("sample %.1f MB, %zu paths\n", sample.size() / 1048576.0, streamed.paths().size());
    std::printf("read while parsing  %.3f s\n", streamSeconds);
    std::printf("tree and walk       %.3f s\n", treeSeconds);
    std::printf("same paths          %s\n", streamed.paths() == tree.paths() ? "yes" : "NO");
    platform::removeFile(path);
    return streamed.paths() == tree.paths() ? 0 : 1;
}
