#include "pages/site/online_listing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>


namespace {

std::vector<std::string> fixtureLines(const std::string& name) {
    std::ifstream in(std::string(QUORIN_FIXTURE_DIR) + "/" + name, std::ios::binary);
    if (!in) {
        in.open(std::string("Z:") + QUORIN_FIXTURE_DIR + "/" + name, std::ios::binary);
    }
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        lines.push_back(line);
    }
    EXPECT_FALSE(lines.empty()) << "fixture " << name;
    return lines;
}

// A reply as a host keeps it: each line writable, in a block of its own
// exactly as long as the line.
class Reply {
public:
    explicit Reply(const std::vector<std::string>& lines) {
        ReplyLine** link = &first;
        for (const std::string& line : lines) {
            ReplyLine* node = static_cast<ReplyLine*>(std::malloc(sizeof(ReplyLine)));
            node->text = static_cast<char*>(std::malloc(line.size() + 1));
            std::memcpy(node->text, line.c_str(), line.size() + 1);
            node->next = nullptr;
            *link = node;
            link = &node->next;
        }
    }
    ~Reply() {
        while (first != nullptr) {
            ReplyLine* next = first->next;
            std::free(first->text);
            std::free(first);
            first = next;
        }
    }
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    ReplyLine* lines() { return first; }

private:
    ReplyLine* first = nullptr;
};

using Rows = std::vector<std::pair<std::string, std::string>>;

Rows rowsOf(const NamePairList* list) {
    Rows rows;
    for (; list != nullptr; list = list->next) {
        rows.emplace_back(list->name, list->info);
    }
    return rows;
}

using Parser = void (*)(ReplyLine*, NamePairList*&);

Rows parse(Parser parser, const std::vector<std::string>& lines) {
    Reply reply(lines);
    NamePairList* online = nullptr;
    parser(reply.lines(), online);
    Rows rows = rowsOf(online);
    freeNamePairList(online);
    return rows;
}

}  // namespace

TEST(OnlineListing, ParsesTheRowsOfEachTableForm) {
    const struct {
        const char* what;
        Parser parser;
        std::vector<std::string> lines;
        Rows rows;
    } cases[] = {
        {"swho", parseSwhoListing, fixtureLines("site_swho.txt"), {{"glftpd", "4711"}, {"alice", "4690"}}},
        // The heading line starts like a row; the rule in the middle is no row
        // and the rows after it still count.
        {"swho busy", parseSwhoListing, fixtureLines("site_swho_busy.txt"),
         {{"glftpd", "04711"}, {"alice", "4690"}, {"bob", "-812"}, {"alice", "4702"}}},
        // A first word without a following '|' gives an unknown user.
        {"swho odd", parseSwhoListing, fixtureLines("site_swho_odd.txt"),
         {{"???", "5150"}, {"carol", "1234567890123456789012345678901234567890"}, {"dave", "ghost"}}},
        // Each line ends exactly where the parser stops; a read past the NUL
        // would show under the address sanitizer (every line has a block of its own).
        {"swho short", parseSwhoListing,
         {"200- |-", "200- | ", "200- | 7", "200- | 7 ", "200- | 7 |", "200- | 7 | x"},
         {{"???", ""}, {"???", "7"}, {"???", "7"}, {"", "7"}, {"x", "7"}}},
        {"swho no rule", parseSwhoListing, {"200- |", "200-", "", "200- | 1 | a"}, {}},
        {"swho empty", parseSwhoListing, fixtureLines("site_swho_empty.txt"), {}},
        {"who", parseWhoListing, fixtureLines("site_who.txt"), {{"glftpd", "???"}, {"alice", "???"}}},
        // Only the rows between the first two rules are users.
        {"who three rules", parseWhoListing,
         {"200- | before", "200- |---", "200- | inside  | x", "200- |---", "200- | after", "200- |---",
          "200- | late"},
         {{"inside", "???"}}},
        {"who no rule", parseWhoListing, {"200- | before", "200 Command Successful."}, {}},
        {"who short", parseWhoListing, {"200- |-", "200- | ", "200- | a", "200- |", "", "200- |-"},
         {{"", "???"}, {"a", "???"}}},
        {"who empty", parseWhoListing, fixtureLines("site_swho_empty.txt"), {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse(c.parser, c.lines), c.rows) << c.what;
    }
    NamePairList* online = nullptr;
    parseSwhoListing(nullptr, online);
    parseWhoListing(nullptr, online);
    EXPECT_EQ(online, nullptr);
}

TEST(SwhoListing, AppendsAfterWhatTheListAlreadyHolds) {
    Reply reply(fixtureLines("site_swho.txt"));
    NamePairList* online = nullptr;
    appendPair(online, "earlier", "1");
    parseSwhoListing(reply.lines(), online);
    EXPECT_EQ(rowsOf(online), (Rows{{"earlier", "1"}, {"glftpd", "4711"}, {"alice", "4690"}}));
    freeNamePairList(online);
}

TEST(OnlineListing, RefusalIsReadFromTheFirstLineOnly) {
    Reply refused(fixtureLines("site_swho_refused.txt"));
    EXPECT_TRUE(isOnlineListingRefused(refused.lines()));
    Reply later({"200- fine", "200 You do not have access to this command."});
    EXPECT_FALSE(isOnlineListingRefused(later.lines()));
    Reply otherCase({"200 You DO NOT HAVE ACCESS to this command."});
    EXPECT_FALSE(isOnlineListingRefused(otherCase.lines()));
    EXPECT_FALSE(isOnlineListingRefused(nullptr));
}
