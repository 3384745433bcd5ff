#ifndef LIBCOMMONCFG_SECTIONINI_CHAIN_H
#define LIBCOMMONCFG_SECTIONINI_CHAIN_H

#include "sectionini/crt.h"

#include <cstdlib>

// Walks over the singly linked section and key chains. Nodes with a null
// name are comment lines: they are skipped by counting, indexing and lookup
// by name, but keep their place in the chain.

namespace LibCommonCfg {
namespace internal {

template <typename Node> int countNamed(Node* head)
{
    int count = 0;
    for (Node* node = head; node; node = node->next) {
        if (node->name)
            ++count;
    }
    return count;
}

template <typename Node> Node* namedAt(Node* head, int index)
{
    if (index < 0)
        return nullptr;
    for (Node* node = head; node; node = node->next) {
        if (!node->name)
            continue;
        if (index == 0)
            return node;
        --index;
    }
    return nullptr;
}

template <typename Node> Node* findNamed(Node* head, const char* name)
{
    if (!name)
        return nullptr;
    for (Node* node = head; node; node = node->next) {
        if (node->name && crtStricmp(node->name, name) == 0)
            return node;
    }
    return nullptr;
}

template <typename Node> void appendNode(Node*& head, Node* node)
{
    Node** link = &head;
    while (*link)
        link = &(*link)->next;
    *link = node;
}

// Unlinks the first named node that matches and returns it (the caller
// destroys it), or null.
template <typename Node> Node* unlinkNamed(Node*& head, const char* name)
{
    if (!name)
        return nullptr;
    for (Node** link = &head; *link; link = &(*link)->next) {
        Node* node = *link;
        if (node->name && crtStricmp(node->name, name) == 0) {
            *link = node->next;
            node->next = nullptr;
            return node;
        }
    }
    return nullptr;
}

// Releases the string behind `field` and stores a copy of `text`.
inline void replaceString(char*& field, const char* text)
{
    char* copy = crtStrdup(text);
    std::free(field);
    field = copy;
}

} // namespace internal
} // namespace LibCommonCfg

#endif // LIBCOMMONCFG_SECTIONINI_CHAIN_H
