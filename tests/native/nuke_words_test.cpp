#include "dialogs/nuke_words.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct StripCase {
    const char* given;
    const char* expected;
};

// Strips a copy held in a buffer with a known tail, and checks that nothing
// past the old NUL moved.
std::string stripped(const std::string& given, bool* changed = nullptr) {
    std::string buffer = given;
    buffer.push_back('\0');
    buffer.append("#tail#");
    const bool result = stripNukeWord(&buffer[0]);
    EXPECT_EQ(buffer.substr(given.size()), std::string("\0#tail#", 7)) << given;
    if (changed != nullptr) {
        *changed = result;
    }
    return std::string(buffer.c_str());
}

}  // namespace

TEST(StripNukeWord, KeepsTheReleaseNameAfterTheWord) {
    const StripCase cases[] = {
        {"NUKED-Some.Release-GRP", "Some.Release-GRP"},
        {"[NUKED]-Some.Release-GRP", "Some.Release-GRP"},
        {"Nuked_Some.Release", "Some.Release"},
        {"Some.nuke.Release", "Release"},
        {"nuke-NUKE-x", "x"},  // the capital form is looked for first
        {"nUKED Some.Release", "Some.Release"},
        {"/site/incoming/NUKED-Some.Release-GRP", "Some.Release-GRP"},
        {"NUKE2x-- 7Release", "7Release"},  // digits belong to the word too
        {"NUKED\xE9-Name", "Name"},          // bytes above 127 are separators
        {"NUKED-\xE9t\xE9", "t\xE9"},
    };
    for (const StripCase& c : cases) {
        bool changed = false;
        EXPECT_EQ(stripped(c.given, &changed), c.expected) << c.given;
        EXPECT_TRUE(changed) << c.given;
    }
}

TEST(StripNukeWord, LeavesTextWithoutANameAfterTheWordUnchanged) {
    const char* const cases[] = {
        "Some.Release-NUKED",  // the text ends after the word
        "NUKED--",             // only separators follow
        "Some.Release",        // no nuke word
        "NuKED-Some.Release",  // each form is matched exactly
        "NUK",
        "NUKE",
        "",
        "\xE9\xE9NUKE\xE9",
    };
    for (const char* given : cases) {
        bool changed = true;
        EXPECT_EQ(stripped(given, &changed), given) << given;
        EXPECT_FALSE(changed) << given;
    }
}

TEST(StripNukeWord, IgnoresANullText) {
    EXPECT_FALSE(stripNukeWord(nullptr));
}
