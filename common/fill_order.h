#pragma once
// The order in which a long list is best handed to a sorting control: close
// to the control's own, so that each entry lands at one end of what is
// already there instead of somewhere in the middle. Only speed depends on how
// close it is; the control still places every entry itself.
#include <algorithm>
#include <cstddef>

#include "common/heap.h"

// A total order: signs and blanks before digits before letters, letters
// without regard to case, then lower case before upper case. 0 only for
// equal texts.
int compareForFill(const char* left, const char* right);

// The `count` nodes of a list in fill order (descending when asked), in a
// block from heapAlloc that the caller frees with heapFree; null for none.
template <typename Node, typename TextOf>
const Node** nodesInFillOrder(const Node* head, std::size_t count, TextOf textOf, bool descending) {
    if (count == 0) {
        return nullptr;
    }
    const Node** order = static_cast<const Node**>(heapAlloc(count * sizeof(const Node*)));
    std::size_t filled = 0;
    for (; head != nullptr && filled < count; head = head->next) {
        order[filled++] = head;
    }
    std::sort(order, order + filled, [&](const Node* left, const Node* right) {
        const int compared = compareForFill(textOf(left), textOf(right));
        return descending ? compared > 0 : compared < 0;
    });
    return order;
}
