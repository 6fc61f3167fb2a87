// Which group or account a Groups page command reaches, by the rules glftpd
// 2.13 showed for the names it takes ('|', a tab, long names, case), and
// what the page writes and says after a write.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/admin/admin_plans.h"
#include "host/admin/admin_text.h"
#include "host/admin/group_identity.h"
#include "host/admin/group_settings.h"

namespace {

session::Reply capture(const std::string& file) {
    std::string dir = std::string(QUORIN_FIXTURE_DIR) + "/glftpd213/colour";
    std::error_code error;
    if (!std::filesystem::is_directory(dir, error)) dir = "Z:" + dir;  // the 32-bit build under Wine
    std::ifstream in(dir + "/" + file, std::ios::binary);
    session::Reply reply;
    for (std::string line; std::getline(in, line);) reply.lines.push_back(line);
    return reply;
}

// The Groupname a SITE GRP capture shows.
std::string screenName(const std::string& file) {
    admin::GroupSettings settings;
    std::string failure;
    EXPECT_TRUE(admin::readGroupSettings(capture(file), settings, failure)) << file << ": " << failure;
    return settings.name;
}

enum class Rule { Screen, Settings, Members, GroupAdmin, Member, Match };

struct Case {
    const char* what;
    Rule rule;
    std::string picked;  // the group or the name a row shows
    std::string other;   // Screen: the screen's Groupname
    const char* refusal; // "" accepted, else a part of the reason
    const char* target = "";  // Match: the whole name it reaches
};

// iso|x's accounts as SITE USERS =iso|x and SITE USERS deleted list them.
admin::MemberNames isoxMembers() {
    admin::MemberNames names;
    names.add("verylongname99", true);
    for (const char* name : {"alice|x", "verylongn", "verylongname12345"}) names.add(name, false);
    return names;
}

std::string problemOf(const Case& c, std::string& target) {
    switch (c.rule) {
    case Rule::Screen: return admin::screenNameProblem(c.picked, c.other);
    case Rule::Settings: return admin::groupNameProblem(c.picked, admin::GroupCommand::Settings);
    case Rule::Members: return admin::groupNameProblem(c.picked, admin::GroupCommand::Members);
    case Rule::GroupAdmin: return admin::groupNameProblem(c.picked, admin::GroupCommand::GroupAdmin);
    case Rule::Member: return admin::memberNameProblem(c.picked);
    case Rule::Match: break;
    }
    admin::MemberNames names;
    if (c.other == "iso|x") {
        names = isoxMembers();
    } else {
        names.add(c.other, false);
    }
    const admin::MemberMatch match = names.match(c.picked);
    target = match.name;
    return admin::matchProblem(match, c.picked, "iso|x");
}

TEST(GroupIdentity, ACommandReachesOnlyThePickedGroupOrAccount) {
    const Case cases[] = {
        // '|': carried by every command, the screen shows it whole.
        {"'|' in the screen's name", Rule::Screen, "iso|x", screenName("group-grp-isox.txt"), ""},
        {"'|' in a coloured screen", Rule::Screen, "iso|x", screenName("group-grp-isox-colour.txt"), ""},
        {"'|' in SITE GRPCHANGE", Rule::Settings, "a|b|c", "", ""},
        {"'|' in SITE GINFO", Rule::Members, "iso|x", "", ""},
        {"'|' in SITE CHGADMIN", Rule::GroupAdmin, "iso|x", "", ""},
        {"'|' in an account", Rule::Member, "alice|x", "", ""},
        // A screen that is not the picked group's.
        {"cut at the '|'", Rule::Screen, "iso|x", "iso", "cut short, as iso"},
        {"another group", Rule::Screen, "iso", "mp3", "shows another group, mp3"},
        {"no name", Rule::Screen, "iso", "", "shows no group name"},
        {"colour codes left in the name", Rule::Screen, "iso|x", "\x1b[1;32miso|x", "bytes the host cannot read"},
        // Case: the server finds ISO as iso.
        {"case: ISO shows iso", Rule::Screen, "ISO", screenName("group-grp-case-twin.txt"),
         "without regard to case, so a command for ISO would change iso"},
        {"case: Mixed shows Mixed", Rule::Screen, "Mixed", "Mixed", ""},
        // A tab: GRP and GRPCHANGE carry it, GINFO and CHGADMIN do not.
        {"tab in GRPCHANGE", Rule::Settings, "tb\tx", "", ""},
        {"tab in GINFO", Rule::Members, "tb\tx", "", "reads the tab in its name as a blank"},
        {"tab in CHGADMIN's group", Rule::GroupAdmin, "tb\tx", "", "tb<tab>x"},
        {"tab in CHGADMIN's account", Rule::Member, "ta\tbuser", "", "would look for the account ta."},
        {"a blank", Rule::Member, "a b", "", "holds a blank"},
        {"a line break", Rule::Settings, "a\rb", "", "a<0x0D>b"},
        {"every group", Rule::Settings, "*", "", "as every group"},
        {"a list", Rule::Settings, "{", "", "start of a list"},
        {"'*' inside a name", Rule::Settings, "a*b", "", ""},
        // Long names: GINFO cuts to 9; 23 characters travel whole.
        {"23 characters", Rule::Member, "x2345678901234567890123", "", ""},
        {"cut, three accounts start so", Rule::Match, "verylongn", "iso|x",
         "verylongn may be verylongn, verylongname12345 or verylongname99"},
        {"cut, one account starts so", Rule::Match, "verylongn", "verylongname12345", "", "verylongname12345"},
        {"cut, none starts so", Rule::Match, "verylongn", "verylong", "no account of iso|x"},
        {"cut, case tells accounts apart", Rule::Match, "Verylongn", "verylongname12345", "no account"},
        {"shorter than the cut", Rule::Match, "alice|x", "iso|x", "", "alice|x"},
        {"a deleted account, alone", Rule::Match, "verylongname9", "iso|x", "", "verylongname99"},
    };
    for (const Case& c : cases) {
        std::string target;
        const std::string problem = problemOf(c, target);
        if (*c.refusal == '\0') {
            EXPECT_EQ(problem, "") << c.what;
        } else {
            EXPECT_NE(problem.find(c.refusal), std::string::npos) << c.what << ": " << problem;
        }
        if (*c.target != '\0') {
            EXPECT_EQ(target, c.target) << c.what;
        }
        EXPECT_EQ(problem.find('\x1b'), std::string::npos) << c.what;
        EXPECT_EQ(problem.find('\t'), std::string::npos) << c.what << ": a tab is shown as <tab>";
    }
}

TEST(GroupIdentity, ADeletedAccountMatchedWholeIsMarkedDeleted) {
    const admin::MemberMatch match = isoxMembers().match("verylongname9");
    EXPECT_EQ(match.kind, admin::MemberMatch::Kind::Unique);
    EXPECT_TRUE(match.deleted);
}

admin::GroupSettings loadedLatin1() {
    admin::GroupSettings settings;
    std::string failure;
    EXPECT_TRUE(admin::readGroupSettings(capture("group-grp-latin1-comment.txt"), settings, failure)) << failure;
    return settings;
}

TEST(GroupWrite, OnlyWhatTheOperatorChangedIsSentAndALatin1CommentIsKept) {
    const admin::GroupSettings loaded = loadedLatin1();  // slots -2, logins -2: out of range, as the server keeps them
    const admin::GroupForm shown = admin::groupFormOf(loaded);
    EXPECT_EQ(shown.comment, "Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln") << "shown as its Latin-1 letters";
    struct Write {
        const char* what;
        void (*edit)(admin::GroupForm&);
        std::vector<std::string> commands;
        const char* refusal;
    };
    const Write writes[] = {
        {"nothing typed", [](admin::GroupForm&) {}, {}, ""},
        {"only logins: the comment's bytes stay",
         [](admin::GroupForm& f) { f.maxLogins = "3"; }, {"SITE GRPCHANGE a|b|c max_logins 3"}, ""},
        {"the comment retyped, blanks as the server keeps them",
         [](admin::GroupForm& f) { f.comment = "  Gr\xc3\xbc\xc3\x9f" "e  aus Bonn "; },
         {"SITE GRPCHANGE a|b|c comment Gr\xc3\xbc\xc3\x9f" "e aus Bonn"}, ""},
        {"words for numbers", [](admin::GroupForm& f) { f.slots = "Unlimited"; f.leechSlots = "disabled"; },
         {"SITE GRPCHANGE a|b|c slots -1", "SITE GRPCHANGE a|b|c leech_slots -2"}, ""},
        {"slots past 16 bits", [](admin::GroupForm& f) { f.slots = "32768"; }, {}, "Slots takes -1 (unlimited) or 0 to 32767, not 32768 (the server would keep it as -32768)."},
        {"logins past 16 bits", [](admin::GroupForm& f) { f.maxLogins = "70000"; }, {}, "32767, not 70000 (the server would keep it as 4464)."},
        {"-1 logins", [](admin::GroupForm& f) { f.maxLogins = "-1"; }, {}, "Logins at once takes 0 (unlimited) to 32767, not -1."},
        {"not a number", [](admin::GroupForm& f) { f.allotSlots = "lots"; }, {}, "not \"lots\""},
        {"a comment of 40 \xc3\xbc (80 bytes)",
         [](admin::GroupForm& f) { f.comment.clear(); for (int i = 0; i < 40; ++i) f.comment += "\xc3\xbc"; }, {},
         "at most 63 bytes"},
        {"an empty comment", [](admin::GroupForm& f) { f.comment = " "; }, {}, "cannot be empty"},
    };
    for (const Write& w : writes) {
        admin::GroupForm typed = shown;
        w.edit(typed);
        const admin::Plan write = admin::groupChangePlan(loaded, typed);
        if (*w.refusal != '\0') {
            EXPECT_NE(write.refusal.find(w.refusal), std::string::npos) << w.what << ": " << write.refusal;
            EXPECT_TRUE(write.commands.empty()) << w.what;
            continue;
        }
        EXPECT_EQ(write.refusal, "") << w.what;
        EXPECT_EQ(write.commands, w.commands) << w.what;
    }
}

// A reply as the page's kit hands it on: without its colour codes.
session::Reply plain(session::Reply reply) {
    admin::removeColour(reply.lines);
    return reply;
}

session::Reply taken() {
    session::Reply reply;
    reply.lines = {"200 \x1b[1;37mCommand Successful.\x1b[0m"};
    return plain(reply);
}

TEST(GroupWrite, WrittenAndReadBackOnlyWhenTheServerHoldsWhatWasWritten) {
    admin::GroupSettings loaded;
    std::string failure;
    ASSERT_TRUE(admin::readGroupSettings(capture("group-grp-isox.txt"), loaded, failure)) << failure;
    admin::GroupForm typed = admin::groupFormOf(loaded);
    typed.slots = "7";
    typed.comment = "Couriers of the week";
    const admin::Plan write = admin::groupChangePlan(loaded, typed);
    ASSERT_EQ(write.commands.size(), 2u);
    const auto verdict = [&](const std::vector<session::Reply>& replies, const admin::GroupSettings* held,
                             const std::string& problem) {
        const admin::PlanOutcome outcome = admin::planOutcome(write, replies);
        const std::vector<admin::Written> values = held != nullptr ? admin::groupReadBack(*held) : std::vector<admin::Written>();
        return std::make_pair(admin::writeVerdict(write, outcome, -1, held != nullptr ? &values : nullptr, problem),
                              admin::recordVerdict(write, outcome, -1, held != nullptr ? &values : nullptr, problem));
    };

    admin::GroupSettings held = loaded;
    held.slots = 7;
    held.comment = "Couriers of the week";
    auto said = verdict({taken(), taken()}, &held, "");
    EXPECT_EQ(said.first, "Written and read back: Slots 7, Comment \"Couriers of the week\".");
    EXPECT_EQ(said.second, "written and read back");

    // SITE GRP of another group, or a server that kept something else.
    held.slots = 9;
    said = verdict({taken(), taken()}, &held, "");
    EXPECT_EQ(said.first,
              "Sent and taken by the server: Slots 7, Comment \"Couriers of the week\".\n"
              "Read back, the server holds something else:\nSlots: written 7, the server holds 9.");
    EXPECT_EQ(said.first.find("Written and read back"), std::string::npos);
    EXPECT_EQ(said.second, "Slots: written 7, the server holds 9.");
    held.slots = -1;  // in the operator's words
    EXPECT_EQ(verdict({taken(), taken()}, &held, "").second, "Slots: written 7, the server holds unlimited.");

    session::Reply refused;
    refused.lines = {"200 \x1b[1;36mThe value specified is out of range.\x1b[0m"};
    said = verdict({plain(refused)}, &loaded, "");
    EXPECT_EQ(said.first,
              "The server refused Slots 7: The value specified is out of range. Not sent: Comment \"Couriers of the "
              "week\".");
    EXPECT_EQ(said.second, "") << "nothing taken: the record keeps the server's answer";

    said = verdict({taken()}, nullptr, "SITE GRP iso|x: lost");
    EXPECT_NE(said.first.find("Done: Slots 7."), std::string::npos) << said.first;
    EXPECT_NE(said.first.find("Not read back: SITE GRP iso|x: lost"), std::string::npos) << said.first;
    EXPECT_EQ(said.second, "not read back: SITE GRP iso|x: lost");
}

}  // namespace
