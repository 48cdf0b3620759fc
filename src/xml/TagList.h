#pragma once

#include "xml/XmlDocument.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace xml {

// The element paths of a sample order, offered on the XML mapping page to pick expressions from.
// Every leaf below the document element (a text, an empty element, a comment, ...) gives the
// names leading to it from the document element, joined by "/", with every "/#text" removed: a
// text gives its element's path. Each path is kept once, in the order first found; attributes
// are not part of the walk.
class TagList
{
public:
    // Reads the sample with the loading rules of the XML reader and replaces the paths with its
    // own. False with the parser's reason in errorReason(), the paths as they were.
    bool read(const std::string& path);
    const std::string& errorReason() const { return m_error; }

    const std::vector<std::string>& paths() const { return m_paths; }

    // Walks node and its descendants in document order, adding the path of every leaf; path is
    // the node's own path, empty for the document element.
    void GETNODES(const XmlNode& node, const std::string& path);

    // Adds the path of a leaf: "/#text" removed, nothing when that leaves it empty or known.
    void addLeaf(std::string path);

private:
    std::vector<std::string> m_paths;
    std::unordered_set<std::string> m_known;
    std::string m_error;
};

// The path of a child: parent path, "/" and the child's node name; only the name below the
// document element.
std::string childPath(const std::string& parentPath, std::string_view childName);

} // namespace xml
