#include "xml/TagList.h"

#include <utility>

namespace xml {

namespace {

// The walk of GETNODES done while the sample is read, without its tree: a sample of many
// megabytes then lists its paths in a fraction of the time and memory. It gives the leaves in the
// same order as the tree walk: an element that ends without having had a child is a leaf.
class LeafWalk final : public XmlEvents
{
public:
    explicit LeafWalk(TagList& tags)
        : m_tags(tags)
    {
    }

    bool startElement(std::string_view localName, std::string_view prefix, bool) override
    {
        if (m_open.empty()) {
            m_open.push_back({ std::string(), false });
            return true;
        }
        std::string name(prefix);
        if (!name.empty()) {
            name += ':';
        }
        name += localName;
        m_open.back().hasChildren = true;
        m_open.push_back({ childPath(m_open.back().path, name), false });
        return true;
    }

    void endElement() override
    {
        Open element = std::move(m_open.back());
        m_open.pop_back();
        if (!element.hasChildren) {
            m_tags.addLeaf(std::move(element.path));
        }
    }

    void text(std::string_view) override { leaf("#text"); }
    void cdata(std::string_view) override { leaf("#cdata-section"); }
    void comment() override { leaf("#comment"); }
    void processingInstruction(std::string_view target) override { leaf(target); }

private:
    struct Open
    {
        std::string path;
        bool hasChildren;
    };

    // A leaf child of the open element; what lies outside the document element is not walked.
    void leaf(std::string_view name)
    {
        if (!m_open.empty()) {
            m_open.back().hasChildren = true;
            m_tags.addLeaf(childPath(m_open.back().path, name));
        }
    }

    TagList& m_tags;
    std::vector<Open> m_open;
};

} // namespace

std::string childPath(const std::string& parentPath, std::string_view childName)
{
    if (parentPath.empty()) {
        return std::string(childName);
    }
    std::string path;
    path.reserve(parentPath.size() + 1 + childName.size());
    path.append(parentPath).append(1, '/').append(childName);
    return path;
}

bool TagList::read(const std::string& path)
{
    XmlDocument document;
    TagList read;
    LeafWalk walk(read);
    if (!document.streamFile(path, walk)) {
        m_error = document.errorReason();
        return false;
    }
    if (document.isLoaded()) {
        // A document type or the like needed the tree: what the walk saw is to be forgotten.
        read = TagList();
        if (const XmlNode root = document.documentElement(); !root.isNull()) {
            read.GETNODES(root, std::string());
        }
    }
    m_paths = std::move(read.m_paths);
    m_known = std::move(read.m_known);
    m_error.clear();
    return true;
}

void TagList::GETNODES(const XmlNode& node, const std::string& path)
{
    // The parser refuses nesting beyond a few hundred levels, which bounds this recursion.
    const std::vector<XmlNode> children = node.children();
    if (children.empty()) {
        addLeaf(path);
        return;
    }
    for (const XmlNode& child : children) {
        GETNODES(child, childPath(path, child.name()));
    }
}

void TagList::addLeaf(std::string path)
{
    static constexpr std::string_view kText = "/#text";
    for (std::size_t at = path.find(kText); at != std::string::npos; at = path.find(kText, at)) {
        path.erase(at, kText.size());
    }
    if (path.empty() || m_known.contains(path)) {
        return;
    }
    m_known.insert(path);
    m_paths.push_back(std::move(path));
}

} // namespace xml
