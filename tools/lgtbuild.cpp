// Builds the installation's pipe-length table, lgt.dbf with its index lgt.CDX, from a list of
// "article,length" lines with the program's own table code, so the shipped files are exactly
// what a rebuild on the customer's machine would write.
//
// Usage: lgtbuild <lgt.csv> <lgt.dbf>   (lgt.CDX is written beside lgt.dbf)

#include "lengths/PipeLengthTable.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <lgt.csv> <lgt.dbf>\n", argv[0]);
        return 2;
    }
    const std::string list = argv[1];
    const std::string tablePath = argv[2];
    const std::string indexPath = lengths::PipeLengthTable::indexPathFor(tablePath);

    lengths::PipeLengthTable table;
    const bool built = table.create(tablePath) && table.appendDelimited(list)
        && table.createOrder("MT_ARTNR", indexPath, "MT_ARTNR") && table.commit()
        && table.setOrder("MT_ARTNR", indexPath);
    const std::string error = table.errorText();
    if (!table.close() || !built) {
        std::fprintf(stderr, "lgtbuild: %s\n", (error.empty() ? table.errorText() : error).c_str());
        return 1;
    }
    return 0;
}
