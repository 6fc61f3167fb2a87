#include "common/text_utils.h"

#include <cstring>

#include "common/heap.h"

char* dupText(const char* text) {
    if (text == nullptr) {
        text = "";
    }
    return dupTextPrefix(text, std::strlen(text));
}

char* dupTextPrefix(const char* text, std::size_t length) {
    char* copy = static_cast<char*>(heapAlloc(length + 1));
    if (length > 0) {
        std::memcpy(copy, text, length);
    }
    copy[length] = '\0';
    return copy;
}

void freeText(char* text) {
    heapFree(text);
}

void replaceText(char*& slot, const char* text) {
    char* copy = text == nullptr ? nullptr : dupText(text);
    freeText(slot);
    slot = copy;
}

void clearText(char*& slot) {
    freeText(slot);
    slot = nullptr;
}

namespace {

// The node and its text in one block: a listing of thousands of names costs
// one allocation a name. A name's text is never replaced in place (a pair's
// may be, so pairs keep texts of their own).
NameList* newNameNode(const char* text, std::size_t length) {
    NameList* node = static_cast<NameList*>(heapAlloc(sizeof(NameList) + length + 1));
    node->text = reinterpret_cast<char*>(node + 1);
    if (length > 0) {
        std::memcpy(node->text, text, length);
    }
    node->text[length] = '\0';
    node->next = nullptr;
    return node;
}

NamePairList* newPairNode(const char* name, const char* info) {
    NamePairList* node = static_cast<NamePairList*>(heapAlloc(sizeof(NamePairList)));
    node->name = dupText(name);
    node->info = dupText(info);
    node->next = nullptr;
    return node;
}

template <typename Node>
Node* lastNode(Node* head) {
    if (head == nullptr) {
        return nullptr;
    }
    while (head->next != nullptr) {
        head = head->next;
    }
    return head;
}

template <typename Node>
void linkAfter(Node*& head, Node* tail, Node* node) {
    if (tail == nullptr) {
        head = node;
    } else {
        tail->next = node;
    }
}

}  // namespace

NameList* appendName(NameList*& head, const char* text) {
    return appendNameAfter(head, lastNode(head), text);
}

NamePairList* appendPair(NamePairList*& head, const char* name, const char* info) {
    return appendPairAfter(head, lastNode(head), name, info);
}

NameList* appendNameAfter(NameList*& head, NameList* tail, const char* text) {
    if (text == nullptr) {
        text = "";
    }
    return appendNameAfter(head, tail, text, std::strlen(text));
}

NameList* appendNameAfter(NameList*& head, NameList* tail, const char* text, std::size_t length) {
    NameList* node = newNameNode(text, length);
    linkAfter(head, tail, node);
    return node;
}

NamePairList* appendPairAfter(NamePairList*& head, NamePairList* tail, const char* name,
                              const char* info) {
    NamePairList* node = newPairNode(name, info);
    linkAfter(head, tail, node);
    return node;
}

void freeNameList(NameList* first) {
    while (first != nullptr) {
        NameList* next = first->next;
        heapFree(first);  // the text lives in the node's block
        first = next;
    }
}

void freeNamePairList(NamePairList* first) {
    while (first != nullptr) {
        NamePairList* next = first->next;
        freeText(first->name);
        freeText(first->info);
        heapFree(first);
        first = next;
    }
}

NameList* findName(NameList* head, const char* text) {
    for (; head != nullptr; head = head->next) {
        if (std::strcmp(head->text, text) == 0) {
            return head;
        }
    }
    return nullptr;
}

NamePairList* findPair(NamePairList* head, const char* name) {
    for (; head != nullptr; head = head->next) {
        if (std::strcmp(head->name, name) == 0) {
            return head;
        }
    }
    return nullptr;
}

bool removeName(NameList*& head, const char* text) {
    for (NameList** link = &head; *link != nullptr; link = &(*link)->next) {
        if (std::strcmp((*link)->text, text) == 0) {
            NameList* found = *link;
            *link = found->next;
            found->next = nullptr;
            freeNameList(found);
            return true;
        }
    }
    return false;
}

bool removePair(NamePairList*& head, const char* name) {
    for (NamePairList** link = &head; *link != nullptr; link = &(*link)->next) {
        if (std::strcmp((*link)->name, name) == 0) {
            NamePairList* found = *link;
            *link = found->next;
            found->next = nullptr;
            freeNamePairList(found);
            return true;
        }
    }
    return false;
}

std::size_t countNames(const NameList* head) {
    std::size_t count = 0;
    for (; head != nullptr; head = head->next) {
        ++count;
    }
    return count;
}

std::size_t countPairs(const NamePairList* head) {
    std::size_t count = 0;
    for (; head != nullptr; head = head->next) {
        ++count;
    }
    return count;
}

void cutLineEnd(char* text) {
    if (text == nullptr) {
        return;
    }
    char* end = text + std::strlen(text);
    char* cut = end;
    while (cut > text && (cut[-1] == '\n' || cut[-1] == '\r')) {
        --cut;
    }
    if (cut != end) {
        *cut = '\0';
    }
}

void stripColourSequences(char* text) {
    if (text == nullptr) {
        return;
    }
    char* read = std::strchr(text, '\x1b');
    if (read == nullptr) {
        return;
    }
    char* write = read;
    while (*read != '\0') {
        if (read[0] == '\x1b' && read[1] == '[') {
            const char* end = read + 2;
            while ((*end >= '0' && *end <= '9') || *end == ';') {
                ++end;
            }
            if (*end == 'm') {
                read = const_cast<char*>(end) + 1;
                continue;
            }
        }
        *write++ = *read++;
    }
    *write = '\0';
}

char* cutField(char* text, char delimiter) {
    char* start = text;
    while (*start == ' ') {
        ++start;
    }
    if (*start == delimiter) {
        // Holds for a NUL delimiter at the end too: an empty field.
        *start = '\0';
        return start;
    }
    char* end = start;
    while (*end != '\0' && *end != delimiter) {
        ++end;
    }
    // Walk back over blanks, but never before the start of the buffer.
    char* last = end;
    while (last > text) {
        --last;
        if (*last != ' ') {
            last[1] = '\0';
            return start;
        }
    }
    text[0] = '\0';
    return text;
}
