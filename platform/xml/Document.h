#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
struct xml_node_struct;
struct xml_attribute_struct;
}  // namespace pugi

namespace kavex::xml {

namespace detail {
struct Tree;
}  // namespace detail

class NodeList;

// One node of a Document (an element, a text node, or an attribute that an XPath selected), as the
// DOM hands it out. It keeps its document alive. A default-constructed Node is "Nothing"; using
// Nothing as a node raises kavex::base::PlatformError 91, as the runtime does.
class Node {
  public:
    Node() = default;

    bool isNothing() const;
    explicit operator bool() const { return !isNothing(); }

    std::string nodeName() const;
    // The text of the node and everything under it, as stored (not trimmed).
    std::string text() const;
    // Replaces the node's content by one text node.
    void setText(std::string_view text);

    // nullopt when the element has no such attribute (the DOM's Null).
    std::optional<std::string> getAttribute(std::string_view name) const;
    void setAttribute(std::string_view name, std::string_view value);

    // XPath relative to this node; Nothing / an empty list when nothing matches. A malformed path
    // raises kavex::base::PlatformError.
    Node selectSingleNode(std::string_view xpath) const;
    NodeList selectNodes(std::string_view xpath) const;

    // Appends the child at the end of this element's children and returns it. A node of this
    // document moves (it keeps its identity); a node of another document is copied in.
    Node appendChild(const Node& child);

    // The node serialised as markup.
    std::string xml() const;
    // The markup of the element's child elements in order, leaving out those with a name in
    // `without`: the xml() of each of selectNodes("*") joined, printed in one go.
    std::string childElementsXml(const std::vector<std::string_view>& without = {}) const;

    // The same node of the same document.
    friend bool operator==(const Node& a, const Node& b) {
        return a.tree_ == b.tree_ && a.node_ == b.node_ && a.attribute_ == b.attribute_;
    }

  private:
    friend class Document;

    Node(std::shared_ptr<detail::Tree> tree, pugi::xml_node_struct* node,
         pugi::xml_attribute_struct* attribute = nullptr)
        : tree_(std::move(tree)), node_(node), attribute_(attribute) {}

    std::shared_ptr<detail::Tree> tree_;
    // The node in the tree (for an attribute: its element); not owned.
    pugi::xml_node_struct* node_ = nullptr;
    pugi::xml_attribute_struct* attribute_ = nullptr;
};

class NodeList {
  public:
    NodeList() = default;
    explicit NodeList(std::vector<Node> nodes) : nodes_(std::move(nodes)) {}

    std::size_t length() const { return nodes_.size(); }
    // Nothing past the end, as the DOM's item.
    Node item(std::size_t index) const { return index < nodes_.size() ? nodes_[index] : Node(); }
    auto begin() const { return nodes_.begin(); }
    auto end() const { return nodes_.end(); }

  private:
    std::vector<Node> nodes_;
};

// An XML document, MSXML style.
class Document {
  public:
    Document();
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;

    // Parses the text. False on a parse error (including text that is not one well-formed element
    // tree), leaving the document empty; parseErrorReason() then says why. Nodes handed out before
    // stay valid but belong to the old content.
    bool loadXML(std::string_view text);
    const std::string& parseErrorReason() const { return parseErrorReason_; }

    // The root element, or Nothing for an empty document.
    Node documentElement() const;

    // A new element that belongs to this document but is not in its tree until appended.
    Node createElement(std::string_view name);
    // Makes the element the document's root (an empty document only; a second root is refused
    // with kavex::base::PlatformError).
    Node appendChild(const Node& child);

    Node selectSingleNode(std::string_view xpath) const;
    NodeList selectNodes(std::string_view xpath) const;

    // The whole document serialised; the empty text for an empty document.
    std::string xml() const;

  private:
    Node rootNode() const;

    std::shared_ptr<detail::Tree> tree_;
    std::string parseErrorReason_;
};

}  // namespace kavex::xml
