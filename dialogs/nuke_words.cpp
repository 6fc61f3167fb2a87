#include "dialogs/nuke_words.h"

#include <cstring>

namespace {

// Searched in this order; the first form found wins wherever it stands.
const char* const nukeForms[] = {"NUKE", "Nuke", "nuke", "nUKE"};
constexpr std::size_t nukeFormLength = 4;

// ASCII only: bytes above 127 are separators whatever the locale says.
bool isLetterOrDigit(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

bool stripNukeWord(char* text) {
    if (text == nullptr) {
        return false;
    }
    const char* word = nullptr;
    for (const char* form : nukeForms) {
        word = std::strstr(text, form);
        if (word != nullptr) {
            break;
        }
    }
    if (word == nullptr) {
        return false;
    }
    const char* rest = word + nukeFormLength;
    while (isLetterOrDigit(*rest)) {  // the rest of the word, such as the D of NUKED
        ++rest;
    }
    while (*rest != '\0' && !isLetterOrDigit(*rest)) {
        ++rest;
    }
    if (*rest == '\0') {
        return false;
    }
    // Source and destination overlap: the name moves toward the start.
    std::memmove(text, rest, std::strlen(rest) + 1);
    return true;
}
