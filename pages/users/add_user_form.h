#pragma once
// The Add user form's logic, apart from its dialog: reading the two pasted
// lines into the form's fields and sending the add chain.
#include <cstddef>
#include <cstdint>

constexpr int addUserIpCount = 10;

// The next token of a line in which only " " separates tokens (a tab is part
// of its token). Returns the token's start and its length, or null when no
// token is left. Continue from start + length.
const char* nextBlankToken(const char* cursor, std::size_t& length);

// What a pasted line fills in. Every text is owned; null where the line gave
// nothing. Start from a zeroed value.
struct ParsedAddLine {
    char* userName;
    char* password;
    char* masks[addUserIpCount];  // IP 0 to IP 9, normalised
};

// "IP IP IP...": each token, normalised, into the next mask; tokens past the
// tenth are dropped.
void parseIpListLine(const char* line, ParsedAddLine& parsed);
// "login pass IP IP IP...": login and password unchanged, then the masks.
void parseFullAddLine(const char* line, ParsedAddLine& parsed);
void releaseParsedAddLine(ParsedAddLine& parsed);

// What the add sends. Texts are borrowed; an IP text that is null or empty is
// skipped, a null group sends no SITE CHGRP.
struct AddUserInput {
    const char* userName;
    const char* password;
    const char* ipTexts[addUserIpCount];
    const char* group;
    const char* privateGroup;
};

// Told of each mask just before its SITE ADDIP goes out (ipNumber 0 to 9).
typedef void (*AddUserMaskShown)(void* context, int ipNumber, const char* mask);

// SITE ADDUSER refused: a failing code, or "already exists" in the first line
// (null when the reply has no line).
bool addUserReplyRefused(std::int32_t replyCode, const char* firstLine);

// SITE ADDUSER, one SITE ADDIP per mask, then SITE CHGRP for each group,
// stopping at the first command the host fails or the server refuses. Nothing
// sent is undone. True when every command went through.
bool sendAddUserChain(const AddUserInput& input, AddUserMaskShown maskShown, void* context);

// After a complete add: the name joins the site directory's users and the host
// is told. With thenEdit the name is left for the Edit user page and the host
// is asked to show it; that request comes last, since the host destroys the
// calling page while it handles it.
void completeAddUser(const char* userName, bool thenEdit);
