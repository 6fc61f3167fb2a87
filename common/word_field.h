#pragma once
// The typed texts that glftpd takes as one word of a SITE command: account
// names, passwords and group names. glftpd splits a command's arguments at
// blanks, so a blank inside one of them silently shifts every argument after
// it (SITE ADDUSER takes the rest of a password for IP masks, SITE GRPADD the
// rest of a name for the description, SITE CHPASS keeps only the first word).
#include <cstdint>

enum WordField : std::int32_t {
    WORD_USER_NAME = 0,
    WORD_PASSWORD = 1,
    WORD_GROUP_NAME = 2,
    WORD_NEW_GROUP_NAME = 3,  // the Groups page's rename edit
};

// Whether the text holds a blank or a tab (a null text holds neither).
bool holdsBlank(const char* text);

// The operator-error text for a field whose text cannot go out as one word,
// or null when it can. An empty text passes: the pages test emptiness first,
// with messages of their own.
const char* wordFieldError(WordField field, const char* text);
