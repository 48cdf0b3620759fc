#include "transfer/ResponseHeader.h"

namespace transfer {

void ResponseHeader::addLine(std::string_view line)
{
    if (m_final) {
        return;
    }
    if (line.substr(0, 5) == "HTTP/" && (m_block.empty() || m_blockDone)) {
        m_block.clear();
        m_blockDone = false;
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    m_block.append(line);
    m_block.append("\r\n");
    if (line.empty()) {
        m_blockDone = true;
        m_final = !isInterim();
    }
}

bool ResponseHeader::isInterim() const
{
    if (m_block.substr(0, 5) != "HTTP/") {
        return false;
    }
    const size_t space = m_block.find(' ');
    return space != std::string::npos && space + 1 < m_block.size() && m_block[space + 1] == '1';
}

std::string statusLineOf(std::string_view block)
{
    std::string_view line = block.substr(0, block.find('\n'));
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return std::string(line);
}

} // namespace transfer
