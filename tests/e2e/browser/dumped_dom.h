// The document tree as Chromium's --dump-dom prints it: its own
// serialisation of the live DOM (lower-case tags, every element closed
// except the void ones, attribute values quoted, text with &, < and >
// as entities), read back into elements with their attributes, children
// and text.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace browser {

struct Node {
    std::string tag;                          // lower case; "#text" for text
    std::map<std::string, std::string> attrs; // names lower case, values decoded
    std::string text;                         // of a text node, decoded
    std::vector<std::unique_ptr<Node>> children;
    Node *parent = nullptr;

    // The text of the node and everything under it, entities decoded.
    std::string Text() const;
    // Every element of the tag at or under this node, in document order.
    std::vector<const Node *> All(const std::string &tag) const;
    // The nearest ancestor of the tag, or nullptr.
    const Node *Ancestor(const std::string &tag) const;
    std::string Attr(const std::string &name) const;
    // The element children (no text nodes).
    std::vector<const Node *> Elements() const;
};

// Reads a dumped document; the root is a node with tag "#document". Fails
// (returns nullptr, with error saying where) on what the serialiser never
// writes: an end tag that closes nothing, an unterminated tag.
std::unique_ptr<Node> ParseDumpedDom(const std::string &html, std::string &error);

// Decodes the entities the serialiser writes (&amp; &lt; &gt; &quot;
// &nbsp; and numeric ones).
std::string DecodeEntities(const std::string &text);

} // namespace browser
