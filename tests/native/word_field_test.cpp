#include "common/word_field.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct WordCase {
    WordField field;
    const char* text;
    const char* error;  // null: goes out as one word
};

void PrintTo(const WordCase& c, std::ostream* out) {
    *out << "field " << c.field << " \"" << (c.text != nullptr ? c.text : "(null)") << '"';
}

const WordCase wordCases[] = {
    {WORD_USER_NAME, "carol", nullptr},
    {WORD_USER_NAME, "", nullptr},  // emptiness is the pages' own test
    {WORD_USER_NAME, nullptr, nullptr},
    {WORD_USER_NAME, "  ", "The username cannot contain a blank or a tab"},
    {WORD_PASSWORD, "?", nullptr},  // the Edit user page's "keep it"
    {WORD_PASSWORD, "x *@*", "The password cannot contain a blank or a tab"},
    {WORD_PASSWORD, "pw\r\nQUIT", nullptr},  // line breaks are the channel's to refuse
    {WORD_GROUP_NAME, "two words", "The group name cannot contain a blank or a tab"},
    {WORD_NEW_GROUP_NAME, "grp\t", "The new group name cannot contain a blank or a tab"},
};

class WordFieldErrors : public testing::TestWithParam<WordCase> {};

}  // namespace

TEST_P(WordFieldErrors, OnlyABlankOrATabIsRefusedAndTheMessageNamesTheField) {
    const WordCase& c = GetParam();
    EXPECT_EQ(holdsBlank(c.text), c.error != nullptr);
    const char* error = wordFieldError(c.field, c.text);
    EXPECT_EQ(std::string(error != nullptr ? error : "(none)"), c.error != nullptr ? c.error : "(none)");
}

INSTANTIATE_TEST_SUITE_P(Typed, WordFieldErrors, testing::ValuesIn(wordCases));
