#pragma once

#include <optional>
#include <string>

namespace convert {

// What the readers need of the pipe-length table: the length of one pipe for an article.
// The table behind it lives in the lengths module; the send-order command opens it for a
// conversion and closes it after.
class PipeLengths
{
public:
    virtual ~PipeLengths() = default;

    // The MT_LENGT of the first row, in index order, whose MT_ARTNR begins with the whole key
    // (used unchanged, leading blanks included); nothing when no row matches.
    virtual std::optional<double> pipeLength(const std::string& key) = 0;
};

} // namespace convert
