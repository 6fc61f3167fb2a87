#pragma once
// Owned texts, the singly linked name lists and the in-place field cutter.
#include <cstddef>

// Heap copy of a text, owned by the caller; a null text gives an empty copy.
char* dupText(const char* text);
// Heap copy of the first `length` bytes of a text, NUL added.
char* dupTextPrefix(const char* text, std::size_t length);
void freeText(char* text);  // null is ignored
// Frees what the slot holds and stores an owned copy of text (none for null).
void replaceText(char*& slot, const char* text);
void clearText(char*& slot);

// A list is held by a pointer to its first node; null is the empty list.
struct NameList {
    char* text;  // stored in the node's own block: read it, never replace it
    NameList* next;
};

struct NamePairList {
    char* name;
    char* info;
    NamePairList* next;
};

NameList* appendName(NameList*& head, const char* text);
NamePairList* appendPair(NamePairList*& head, const char* name, const char* info);

// Appends after a known last node (null for an empty list) and returns the new
// last node, so that filling a list from a long listing stays linear.
NameList* appendNameAfter(NameList*& head, NameList* tail, const char* text);
// The same for the first `length` bytes of text.
NameList* appendNameAfter(NameList*& head, NameList* tail, const char* text, std::size_t length);
NamePairList* appendPairAfter(NamePairList*& head, NamePairList* tail, const char* name,
                              const char* info);

void freeNameList(NameList* first);
void freeNamePairList(NamePairList* first);

// Exact, case-sensitive lookups and removal of the first match.
NameList* findName(NameList* head, const char* text);
NamePairList* findPair(NamePairList* head, const char* name);
bool removeName(NameList*& head, const char* text);
bool removePair(NamePairList*& head, const char* name);

std::size_t countNames(const NameList* head);
std::size_t countPairs(const NamePairList* head);

// Ends a reply line at its CR/LF terminator, if the host left one on it
// (writes at most one NUL); a CR or LF inside the line stays.
void cutLineEnd(char* text);

// Removes the ANSI colour sequences (ESC '[' digits and ';' ... 'm') that a
// server puts around the lines of an account with colours on; every other
// character stays where it is relative to the rest. In place.
void stripColourSequences(char* text);

// Cuts a blank-trimmed field ending at `delimiter` out of a writable text in
// place; writes at most one NUL.
char* cutField(char* text, char delimiter);
