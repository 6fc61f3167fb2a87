#include "common/word_field.h"

#include <cstring>

bool holdsBlank(const char* text) {
    return text != nullptr && std::strpbrk(text, " \t") != nullptr;
}

const char* wordFieldError(WordField field, const char* text) {
    if (!holdsBlank(text)) {
        return nullptr;
    }
    // Worded like the pages' labels: "&Username", "&Password", "Group &name".
    switch (field) {
    case WORD_USER_NAME:
        return "The username cannot contain a blank or a tab";
    case WORD_PASSWORD:
        return "The password cannot contain a blank or a tab";
    case WORD_GROUP_NAME:
        return "The group name cannot contain a blank or a tab";
    case WORD_NEW_GROUP_NAME:
        return "The new group name cannot contain a blank or a tab";
    }
    return "This field cannot contain a blank or a tab";  // refused all the same
}
