// The webshop's reply: header lines as the HTTP layer hands them over, the block kept of them,
// and the reply check on it. What the server sends is outside input.
#include "transfer/OrderUpload.h"
#include "transfer/ResponseHeader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The HTTP layer stops a header block at 1 MiB; far less reaches every branch.
    if (size > 64 * 1024) {
        return 0;
    }
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    transfer::ResponseHeader header;
    size_t start = 0;
    while (start < input.size()) {
        const size_t end = input.find('\n', start);
        const size_t next = end == std::string_view::npos ? input.size() : end + 1;
        header.addLine(input.substr(start, next - start));
        start = next;
    }
    const std::string& block = header.block();
    if (!block.empty() && block.substr(block.size() - 2) != "\r\n") {
        std::abort();
    }

    for (const std::string_view stored : { std::string_view(block), input }) {
        const std::string reply = transfer::replyText(stored, "reden");
        const std::string line = transfer::statusLineOf(stored);
        if (line.find('\n') != std::string::npos || reply.empty() != (line == "HTTP/1.1 200 OK")) {
            std::abort();
        }
        if (!reply.empty() && reply.rfind("Webshop geeft volgende melding:\n", 0) != 0) {
            std::abort();
        }
    }
    return 0;
}
