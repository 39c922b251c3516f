#include "tests/e2e/browser/dumped_dom.h"

#include <cctype>
#include <cstdlib>
#include <set>

namespace browser {
namespace {

const std::set<std::string> kVoidElements = {"area",   "base",  "br",    "col",  "embed",
                                             "hr",     "img",   "input", "link", "meta",
                                             "source", "track", "wbr"};
// Elements whose content the serialiser writes raw, not as entities.
const std::set<std::string> kRawTextElements = {"script",  "style",    "xmp",       "iframe",
                                                "noembed", "noframes", "plaintext", "noscript"};

std::string Lower(std::string text) {
    for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void AppendUtf8(std::string &out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

Node *AddChild(Node *parent, std::unique_ptr<Node> child) {
    child->parent = parent;
    parent->children.push_back(std::move(child));
    return parent->children.back().get();
}

} // namespace

std::string DecodeEntities(const std::string &text) {
    static const std::map<std::string, std::string> kNamed = {{"amp", "&"},  {"lt", "<"},
                                                              {"gt", ">"},   {"quot", "\""},
                                                              {"apos", "'"}, {"nbsp", "\xC2\xA0"}};
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        size_t end = text[i] == '&' ? text.find(';', i) : std::string::npos;
        if (end == std::string::npos || end - i > 10) {
            out += text[i];
            continue;
        }
        std::string name = text.substr(i + 1, end - i - 1);
        if (!name.empty() && name[0] == '#') {
            bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
            AppendUtf8(out, std::strtoul(name.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10));
        } else if (kNamed.count(name)) {
            out += kNamed.at(name);
        } else {
            out += text[i];
            continue;
        }
        i = end;
    }
    return out;
}

std::string Node::Text() const {
    if (tag == "#text") return text;
    std::string out;
    for (const auto &child : children) out += child->Text();
    return out;
}

std::vector<const Node *> Node::All(const std::string &wanted) const {
    std::vector<const Node *> found;
    if (tag == wanted) found.push_back(this);
    for (const auto &child : children) {
        auto below = child->All(wanted);
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

const Node *Node::Ancestor(const std::string &wanted) const {
    for (const Node *up = parent; up; up = up->parent)
        if (up->tag == wanted) return up;
    return nullptr;
}

std::string Node::Attr(const std::string &name) const {
    auto it = attrs.find(name);
    return it == attrs.end() ? "" : it->second;
}

std::vector<const Node *> Node::Elements() const {
    std::vector<const Node *> out;
    for (const auto &child : children)
        if (child->tag != "#text") out.push_back(child.get());
    return out;
}

std::unique_ptr<Node> ParseDumpedDom(const std::string &html, std::string &error) {
    auto root = std::make_unique<Node>();
    root->tag = "#document";
    Node *current = root.get();
    const std::string lower = Lower(html);
    size_t i = 0;
    auto text_node = [&](const std::string &raw, bool decode) {
        if (raw.empty()) return;
        auto node = std::make_unique<Node>();
        node->tag = "#text";
        node->text = decode ? DecodeEntities(raw) : raw;
        AddChild(current, std::move(node));
    };
    while (i < html.size()) {
        if (kRawTextElements.count(current->tag)) {
            // Raw content up to the element's own end tag.
            std::string close = "</" + current->tag;
            size_t end = lower.find(close, i);
            if (end == std::string::npos) {
                error = "no end tag for <" + current->tag + ">";
                return nullptr;
            }
            text_node(html.substr(i, end - i), false);
            i = end;
        }
        size_t lt = html.find('<', i);
        if (lt == std::string::npos) {
            text_node(html.substr(i), true);
            break;
        }
        text_node(html.substr(i, lt - i), true);
        if (html.compare(lt, 4, "<!--") == 0) {
            size_t end = html.find("-->", lt + 4);
            if (end == std::string::npos) {
                error = "unterminated comment at " + std::to_string(lt);
                return nullptr;
            }
            i = end + 3;
            continue;
        }
        if (html.compare(lt, 2, "<!") == 0) { // a doctype
            size_t end = html.find('>', lt);
            if (end == std::string::npos) {
                error = "unterminated declaration at " + std::to_string(lt);
                return nullptr;
            }
            i = end + 1;
            continue;
        }
        bool closing = lt + 1 < html.size() && html[lt + 1] == '/';
        size_t p = lt + (closing ? 2 : 1);
        size_t name_start = p;
        while (p < html.size() && !std::isspace(static_cast<unsigned char>(html[p])) &&
               html[p] != '>' && html[p] != '/')
            ++p;
        std::string name = Lower(html.substr(name_start, p - name_start));
        if (name.empty()) {
            error = "a '<' that starts no tag at " + std::to_string(lt);
            return nullptr;
        }
        std::map<std::string, std::string> attrs;
        // Attributes: name, or name="value" (the serialiser always quotes).
        while (p < html.size() && html[p] != '>') {
            if (std::isspace(static_cast<unsigned char>(html[p])) || html[p] == '/') {
                ++p;
                continue;
            }
            size_t a = p;
            while (p < html.size() && html[p] != '=' && html[p] != '>' &&
                   !std::isspace(static_cast<unsigned char>(html[p])))
                ++p;
            std::string attr = Lower(html.substr(a, p - a));
            std::string value;
            if (p < html.size() && html[p] == '=') {
                ++p;
                if (p < html.size() && (html[p] == '"' || html[p] == '\'')) {
                    char quote = html[p];
                    size_t end = html.find(quote, p + 1);
                    if (end == std::string::npos) {
                        error = "unterminated attribute value at " + std::to_string(p);
                        return nullptr;
                    }
                    value = DecodeEntities(html.substr(p + 1, end - p - 1));
                    p = end + 1;
                } else {
                    size_t v = p;
                    while (p < html.size() && html[p] != '>' &&
                           !std::isspace(static_cast<unsigned char>(html[p])))
                        ++p;
                    value = DecodeEntities(html.substr(v, p - v));
                }
            }
            attrs[attr] = value;
        }
        if (p >= html.size()) {
            error = "unterminated tag <" + name + "> at " + std::to_string(lt);
            return nullptr;
        }
        i = p + 1;
        if (closing) {
            Node *open = current;
            while (open && open->tag != name) open = open->parent;
            if (!open || open == root.get()) {
                error = "</" + name + "> closes nothing at " + std::to_string(lt);
                return nullptr;
            }
            current = open->parent;
            continue;
        }
        auto node = std::make_unique<Node>();
        node->tag = name;
        node->attrs = std::move(attrs);
        Node *added = AddChild(current, std::move(node));
        if (!kVoidElements.count(name)) current = added;
    }
    return root;
}

} // namespace browser
