#include "xml/Windows1252Encoding.h"

#include "orderinfo/Windows1252.h"

#include <libxml/encoding.h>

#include <string>
#include <string_view>

namespace xml {

namespace {

// libxml2's converters fill what fits of the output, say how much of each side they used, and
// leave the rest for the next call; -2 marks a character the other side cannot hold.

int windows1252ToUtf8(unsigned char* out, int* outLength, const unsigned char* in, int* inLength)
{
    int read = 0;
    int written = 0;
    while (read < *inLength) {
        const std::string utf8
            = orderinfo::windows1252ToUtf8(std::string_view(reinterpret_cast<const char*>(in + read), 1));
        if (written + static_cast<int>(utf8.size()) > *outLength) {
            break;
        }
        utf8.copy(reinterpret_cast<char*>(out + written), utf8.size());
        written += static_cast<int>(utf8.size());
        ++read;
    }
    *inLength = read;
    *outLength = written;
    return written;
}

int sequenceLength(unsigned char lead)
{
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    return 2;
}

int utf8ToWindows1252(unsigned char* out, int* outLength, const unsigned char* in, int* inLength)
{
    int read = 0;
    int written = 0;
    int result = 0;
    while (read < *inLength && written < *outLength) {
        const int length = sequenceLength(in[read]);
        if (read + length > *inLength) {
            break; // the rest of the character comes with the next call
        }
        const auto byte
            = orderinfo::utf8ToWindows1252(std::string_view(reinterpret_cast<const char*>(in + read), length));
        if (!byte) {
            result = -2;
            break;
        }
        out[written++] = static_cast<unsigned char>(byte->front());
        read += length;
    }
    *inLength = read;
    *outLength = written;
    return result < 0 ? result : written;
}

} // namespace

void registerWindows1252Encoding()
{
    // Registered once for the process; libxml2 looks up the upper-cased name, and the alias
    // covers the other name files use.
    xmlNewCharEncodingHandler("WINDOWS-1252", windows1252ToUtf8, utf8ToWindows1252);
    xmlAddEncodingAlias("WINDOWS-1252", "CP1252");
}

} // namespace xml
