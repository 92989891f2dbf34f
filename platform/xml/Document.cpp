#include "platform/xml/Document.h"

#include <algorithm>

#include "platform/base/PlatformError.h"
#include "platform/xml/TextWriter.h"
#include "platform/xml/Tree.h"

namespace kavex::xml {

namespace {

// The number the DOM raises for a failed operation (E_FAIL).
constexpr long kDomError = -2147467259;

[[noreturn]] void raise(std::string description) {
    throw base::PlatformError(kDomError, std::move(description));
}

// Using Nothing as a node, as the runtime reports it.
constexpr long kObjectNotSet = 91;

[[noreturn]] void raiseNothing() {
    throw base::PlatformError(kObjectNotSet, "Object variable or With block variable not set");
}

// As a fragment, so that text outside the root element is kept and can be refused below.
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_fragment;

pugi::xpath_query compile(std::string_view xpath) {
    const std::string text(xpath);
    try {
        pugi::xpath_query query(text.c_str());
        if (!query) {
            raise(std::string("Invalid XPath \"") + text + "\": " + query.result().description());
        }
        // Selections want nodes: an expression of a number, a text or a truth value
        // ("count(*)") selects nothing and is refused as such.
        if (query.return_type() != pugi::xpath_type_node_set) {
            raise(std::string("Invalid XPath \"") + text +
                  "\": the expression does not return a DOM node.");
        }
        return query;
    } catch (const pugi::xpath_exception& error) {
        raise(std::string("Invalid XPath \"") + text + "\": " + error.what());
    }
}

// XPath runs from the node itself, or from the attribute when the node is one.
pugi::xpath_node xpathContext(pugi::xml_node_struct* node, pugi::xml_attribute_struct* attribute) {
    return attribute != nullptr
               ? pugi::xpath_node(pugi::xml_attribute(attribute), pugi::xml_node(node))
               : pugi::xpath_node(pugi::xml_node(node));
}

// The element an XPath result belongs to: the node found, or the element of an attribute found.
pugi::xml_node ownerOf(const pugi::xpath_node& found) {
    return found.attribute() ? found.parent() : found.node();
}

bool isTextLike(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

void appendText(pugi::xml_node node, std::string& out) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (isTextLike(child)) {
            out += child.value();
        } else if (child.type() == pugi::node_element) {
            appendText(child, out);
        }
    }
}

}  // namespace

// ---- Node ------------------------------------------------------------------------------------

bool Node::isNothing() const {
    return node_ == nullptr;
}

std::string Node::nodeName() const {
    if (isNothing()) {
        raiseNothing();
    }
    if (attribute_ != nullptr) {
        return pugi::xml_attribute(attribute_).name();
    }
    const pugi::xml_node node(node_);
    switch (node.type()) {
        case pugi::node_element:
            return node.name();
        case pugi::node_pcdata:
            return "#text";
        case pugi::node_cdata:
            return "#cdata-section";
        case pugi::node_comment:
            return "#comment";
        case pugi::node_document:
            return "#document";
        default:
            return node.name();
    }
}

std::string Node::text() const {
    if (isNothing()) {
        raiseNothing();
    }
    if (attribute_ != nullptr) {
        return pugi::xml_attribute(attribute_).value();
    }
    const pugi::xml_node node(node_);
    if (isTextLike(node) || node.type() == pugi::node_comment) {
        return node.value();
    }
    const pugi::xml_node first = node.first_child();
    if (first && !first.next_sibling() && isTextLike(first)) {
        return first.value();  // the usual case: an element holding one text
    }
    std::string out;
    appendText(node, out);
    return out;
}

void Node::setText(std::string_view text) {
    if (isNothing()) {
        raiseNothing();
    }
    const std::string value(text);
    if (attribute_ != nullptr) {
        pugi::xml_attribute(attribute_).set_value(value.c_str());
        return;
    }
    pugi::xml_node node(node_);
    if (node.type() != pugi::node_element) {
        node.set_value(value.c_str());
        return;
    }
    while (node.first_child()) {
        node.remove_child(node.first_child());
    }
    if (!value.empty()) {
        node.append_child(pugi::node_pcdata).set_value(value.c_str());
    }
}

std::optional<std::string> Node::getAttribute(std::string_view name) const {
    if (isNothing()) {
        raiseNothing();
    }
    if (attribute_ != nullptr) {
        return std::nullopt;
    }
    const pugi::xml_attribute attribute =
        pugi::xml_node(node_).attribute(std::string(name).c_str());
    if (!attribute) {
        return std::nullopt;
    }
    return std::string(attribute.value());
}

void Node::setAttribute(std::string_view name, std::string_view value) {
    if (isNothing()) {
        raiseNothing();
    }
    pugi::xml_node node(node_);
    if (attribute_ != nullptr || node.type() != pugi::node_element) {
        raise("setAttribute needs an element.");
    }
    const std::string key(name);
    pugi::xml_attribute attribute = node.attribute(key.c_str());
    if (!attribute) {
        attribute = node.append_attribute(key.c_str());
    }
    attribute.set_value(std::string(value).c_str());
}

Node Node::selectSingleNode(std::string_view xpath) const {
    if (isNothing()) {
        raiseNothing();
    }
    const pugi::xpath_query query = compile(xpath);
    const pugi::xpath_node context = xpathContext(node_, attribute_);
    if (!tree_->holder) {
        const pugi::xpath_node found = query.evaluate_node(context);
        if (!found) {
            return Node();
        }
        const pugi::xml_node owner = ownerOf(found);
        return Node(tree_, owner.internal_object(), found.attribute().internal_object());
    }
    pugi::xpath_node_set candidates = query.evaluate_node_set(context);
    candidates.sort();
    for (const pugi::xpath_node& found : candidates) {
        const pugi::xml_node owner = ownerOf(found);
        if (!tree_->isDetached(owner) || tree_->isDetached(pugi::xml_node(node_))) {
            return Node(tree_, owner.internal_object(), found.attribute().internal_object());
        }
    }
    return Node();
}

NodeList Node::selectNodes(std::string_view xpath) const {
    if (isNothing()) {
        raiseNothing();
    }
    const pugi::xpath_query query = compile(xpath);
    const pugi::xpath_node context = xpathContext(node_, attribute_);
    pugi::xpath_node_set found = query.evaluate_node_set(context);
    found.sort();
    const bool contextDetached = tree_->isDetached(pugi::xml_node(node_));
    std::vector<Node> nodes;
    nodes.reserve(found.size());
    for (const pugi::xpath_node& item : found) {
        const pugi::xml_node owner = ownerOf(item);
        if (contextDetached || !tree_->isDetached(owner)) {
            nodes.push_back(
                Node(tree_, owner.internal_object(), item.attribute().internal_object()));
        }
    }
    return NodeList(std::move(nodes));
}

Node Node::appendChild(const Node& child) {
    if (isNothing() || child.isNothing()) {
        raiseNothing();
    }
    pugi::xml_node parent(node_);
    if (attribute_ != nullptr || child.attribute_ != nullptr ||
        (parent.type() != pugi::node_element && parent.type() != pugi::node_document)) {
        raise("This operation cannot be performed with a node of this type.");
    }
    const pugi::xml_node source(child.node_);
    if (child.tree_ == tree_) {
        for (pugi::xml_node up = parent; up; up = up.parent()) {
            if (up == source) {
                raise("The new child node is an ancestor of the parent node.");
            }
        }
        const pugi::xml_node moved = parent.append_move(source);
        if (!moved) {
            raise("This node cannot be inserted here.");
        }
        tree_->dropEmptyHolder();
        return Node(tree_, moved.internal_object());
    }
    // A node of another document is copied in.
    const pugi::xml_node copy = parent.append_copy(source);
    if (!copy) {
        raise("This node cannot be inserted here.");
    }
    return Node(tree_, copy.internal_object());
}

std::string Node::xml() const {
    if (isNothing()) {
        raiseNothing();
    }
    if (attribute_ != nullptr) {
        // Serialised through a scratch element so that the value is escaped as markup needs.
        pugi::xml_document scratch;
        pugi::xml_node element = scratch.append_child("a");
        element.append_copy(pugi::xml_attribute(attribute_));
        TextWriter out;
        element.print(out, "", pugi::format_raw);
        const std::string& text = out.text;  // <a name="value"/>
        return text.substr(3, text.size() - 5);
    }
    TextWriter out;
    pugi::xml_node(node_).print(out, "", pugi::format_raw | pugi::format_no_declaration);
    return std::move(out.text);
}

std::string Node::childElementsXml(const std::vector<std::string_view>& without) const {
    if (isNothing()) {
        raiseNothing();
    }
    TextWriter out;
    if (attribute_ != nullptr) {
        return out.text;
    }
    constexpr unsigned kFlags = pugi::format_raw | pugi::format_no_declaration;
    const pugi::xml_node node(node_);
    const auto kept = [&](const pugi::xml_node& child) {
        return std::find(without.begin(), without.end(), std::string_view(child.name())) ==
               without.end();
    };
    // An element holding nothing but elements, all of them kept, prints its children between its
    // own tags: print it whole and take the tags off, instead of printing child by child.
    bool whole = node.type() == pugi::node_element && !node.first_attribute();
    for (pugi::xml_node child = node.first_child(); whole && child; child = child.next_sibling()) {
        whole = child.type() == pugi::node_element && kept(child);
    }
    if (whole) {
        node.print(out, "", kFlags);
        const std::string_view name = node.name();
        const std::size_t open = name.size() + 2;  // <name>
        if (out.text.size() < 2 * open + 1 || out.text.compare(out.text.size() - 2, 2, "/>") == 0) {
            return {};
        }
        return out.text.substr(open, out.text.size() - 2 * open - 1);
    }
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element && child != tree_->holder && kept(child)) {
            child.print(out, "", kFlags);
        }
    }
    return std::move(out.text);
}

// ---- Document --------------------------------------------------------------------------------

Document::Document() : tree_(std::make_shared<detail::Tree>()) {}
Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

bool Document::loadXML(std::string_view text) {
    auto tree = std::make_shared<detail::Tree>();
    const pugi::xml_parse_result result =
        tree->document.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8);
    std::string reason;
    if (!result) {
        reason = std::string(result.description()) + " at offset " + std::to_string(result.offset);
    } else {
        int elements = 0;
        for (pugi::xml_node node = tree->document.first_child(); node; node = node.next_sibling()) {
            if (node.type() == pugi::node_element) {
                ++elements;
            } else if (isTextLike(node) &&
                       std::string_view(node.value()).find_first_not_of(" \t\r\n") !=
                           std::string_view::npos) {
                reason = "Text is not allowed outside the root element";
            }
        }
        if (elements == 0 && reason.empty()) {
            reason = "No root element";
        } else if (elements > 1) {
            reason = "Only one top level element is allowed in an XML document";
        }
    }
    if (!reason.empty()) {
        tree_ = std::make_shared<detail::Tree>();
        parseErrorReason_ = std::move(reason);
        return false;
    }
    tree_ = std::move(tree);
    parseErrorReason_.clear();
    return true;
}

Node Document::rootNode() const {
    return Node(tree_, tree_->document.internal_object());
}

Node Document::documentElement() const {
    for (pugi::xml_node node = tree_->document.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element && node != tree_->holder) {
            return Node(tree_, node.internal_object());
        }
    }
    return Node();
}

Node Document::createElement(std::string_view name) {
    const std::string text(name);
    if (text.empty()) {
        raise("An element needs a name.");
    }
    const pugi::xml_node element = tree_->detachedHolder().append_child(text.c_str());
    return Node(tree_, element.internal_object());
}

Node Document::appendChild(const Node& child) {
    if (!child.isNothing() && child.attribute_ == nullptr &&
        pugi::xml_node(child.node_).type() != pugi::node_element) {
        raise("Only an element can be the top of a document.");
    }
    if (documentElement()) {
        raise("Only one top level element is allowed in an XML document.");
    }
    return rootNode().appendChild(child);
}

Node Document::selectSingleNode(std::string_view xpath) const {
    return rootNode().selectSingleNode(xpath);
}

NodeList Document::selectNodes(std::string_view xpath) const {
    return rootNode().selectNodes(xpath);
}

std::string Document::xml() const {
    TextWriter out;
    for (pugi::xml_node node = tree_->document.first_child(); node; node = node.next_sibling()) {
        if (node != tree_->holder) {
            node.print(out, "", pugi::format_raw | pugi::format_no_declaration);
        }
    }
    return std::move(out.text);
}

}  // namespace kavex::xml
