#pragma once

#include <string>
#include <string_view>

namespace transfer {

// Gathers the header block of the final response from the header lines an HTTP client reads,
// in order. Interim 1xx blocks come first and are dropped: a status line after a finished block
// starts the block anew. Lines after the final block (trailers) are no part of it. Every line is
// kept with a CR LF end, whatever end it came with.
class ResponseHeader
{
public:
    void addLine(std::string_view line);

    // The block so far: the status line first, CR LF lines, the empty line that ends it.
    const std::string& block() const { return m_block; }
    bool isComplete() const { return m_final; }

private:
    bool isInterim() const;

    std::string m_block;
    bool m_blockDone = false;
    bool m_final = false;
};

// The first line of a stored header block without its line end (LF or CR LF).
std::string statusLineOf(std::string_view block);

} // namespace transfer
