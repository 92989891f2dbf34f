#pragma once

#include <pugixml.hpp>

namespace kavex::xml::detail {

// The storage of one document's content. Elements created but not yet appended anywhere wait
// under a holder element at the document's top level (the parser's nodes cannot live outside a
// tree); the holder is hidden from documentElement, XPath results and serialising, and removed
// once empty.
struct Tree {
    pugi::xml_document document;
    pugi::xml_node holder;

    pugi::xml_node detachedHolder() {
        if (!holder) {
            holder = document.append_child("kavex.detached");
        }
        return holder;
    }

    void dropEmptyHolder() {
        if (holder && !holder.first_child()) {
            document.remove_child(holder);
            holder = pugi::xml_node();
        }
    }

    // True when the node is the holder or waits under it.
    bool isDetached(pugi::xml_node node) const {
        if (!holder) {
            return false;
        }
        for (; node; node = node.parent()) {
            if (node == holder) {
                return true;
            }
        }
        return false;
    }
};

}  // namespace kavex::xml::detail
