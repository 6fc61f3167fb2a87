// The saved sites' file under Wine: saving and loading, the protected
// passwords, an interrupted save and a damaged file.
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "host/sites/site_store_win32.h"

namespace {

using sites::SavedSite;
using sites::SiteStore;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string upper(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return text;
}

// A file in a folder that does not exist yet, as on the first run.
class SiteStoreFile : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        root = std::string(temp) + "quorin-sites-" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
        folder = root + "\\Quorin reference host";
        path = folder + "\\sites.ini";
    }
    void TearDown() override {
        DeleteFileA(path.c_str());
        DeleteFileA((path + ".new").c_str());
        RemoveDirectoryA(folder.c_str());
        RemoveDirectoryA(root.c_str());
    }

    SavedSite site(const std::string& name, const std::string& password = "") {
        SavedSite made;
        made.name = name;
        made.host = "ftp.example.net";
        made.port = 2121;
        made.user = "siteop";
        made.protectedPassword = password.empty() ? "" : sites::protectPassword(password);
        return made;
    }

    // A store holding one saved site, as the window leaves it.
    void saveOne(const std::string& name) {
        SiteStore store(path);
        std::string failure;
        ASSERT_TRUE(store.load(failure)) << failure;
        std::string why;
        ASSERT_TRUE(store.sites().put(site(name), why)) << why;
        ASSERT_TRUE(store.save(false, failure)) << failure;
    }

    std::string root;
    std::string folder;
    std::string path;
};

TEST_F(SiteStoreFile, SavesAndLoadsInAFolderOfItsOwn) {
    SiteStore store(path);
    std::string failure;
    EXPECT_FALSE(store.save(false, failure)) << "nothing was read yet";
    ASSERT_TRUE(store.load(failure)) << "a missing file is no sites: " << failure;
    EXPECT_TRUE(store.sites().names().empty());

    std::string why;
    ASSERT_TRUE(store.sites().put(site("Main site", "hunter2"), why)) << why;
    SavedSite plain = site("Test box");
    plain.requireTls = false;
    ASSERT_TRUE(store.sites().put(plain, why)) << why;
    ASSERT_TRUE(store.save(false, failure)) << failure;
    EXPECT_FALSE(exists(path + ".new"));

    SiteStore again(path);
    ASSERT_TRUE(again.load(failure)) << failure;
    EXPECT_EQ(again.sites().names(), (std::vector<std::string>{"Main site", "Test box"}));
    EXPECT_FALSE(again.sites().find("test box")->requireTls);
    std::string password;
    ASSERT_TRUE(sites::unprotectPassword(again.sites().find("main site")->protectedPassword, password));
    EXPECT_EQ(password, "hunter2");
}

TEST_F(SiteStoreFile, KeepsAPasswordOnlyInProtectedForm) {
    const std::vector<std::string> words = {"correct", "horse", "battery", "staple"};
    const std::string password = "correct horse battery staple";
    SiteStore store(path);
    std::string failure;
    std::string why;
    ASSERT_TRUE(store.load(failure)) << failure;
    ASSERT_TRUE(store.sites().put(site("Main", password), why)) << why;
    ASSERT_FALSE(store.sites().find("Main")->protectedPassword.empty());
    ASSERT_TRUE(store.save(false, failure)) << failure;

    const std::string file = upper(readBytes(path));
    std::vector<std::string> secrets = words;
    secrets.push_back(password);
    for (const std::string& secret : secrets) {
        EXPECT_EQ(file.find(upper(secret)), std::string::npos) << secret;
        EXPECT_EQ(file.find(upper(sites::bytesToHex(secret))), std::string::npos) << secret << " in hex";
    }
}

TEST(SitePasswords, UnprotectGivesBackWhatWasProtected) {
    const std::vector<std::string> table = {
        "x", "hunter2", std::string(300, 'p'), "p\xC3\xA4ss w\xF6rd", std::string("nul\0inside", 10),
    };
    for (const std::string& password : table) {
        const std::string protectedHex = sites::protectPassword(password);
        ASSERT_FALSE(protectedHex.empty()) << password;
        EXPECT_NE(sites::protectPassword(password), protectedHex) << "each blob is salted";
        std::string back = "left over";
        ASSERT_TRUE(sites::unprotectPassword(protectedHex, back)) << password;
        EXPECT_EQ(back, password);
    }
}

TEST(SitePasswords, ADamagedBlobIsRefused) {
    const std::string good = sites::protectPassword("hunter2");
    ASSERT_GT(good.size(), 128u);
    std::vector<std::pair<std::string, std::string>> table = {
        {"cut in half", good.substr(0, good.size() / 2)},
        {"the last byte cut off", good.substr(0, good.size() - 2)},
        {"not a blob", "00112233445566778899"},
        {"not hex", "zz" + good.substr(2)},
        {"odd length", good.substr(1)},
        {"nothing", ""},
    };
    // The blob ends in the sealed password and its signature. (Wine checks
    // no more than those; Windows signs the description and header too.)
    for (std::size_t digit = good.size() - 64; digit < good.size(); digit += 2) {
        std::string changed = good;
        changed[digit] = changed[digit] == '0' ? '1' : '0';
        table.emplace_back("byte " + std::to_string(digit / 2) + " changed", changed);
    }
    for (const auto& row : table) {
        std::string password = "untouched";
        EXPECT_FALSE(sites::unprotectPassword(row.second, password)) << row.first;
        EXPECT_EQ(password, "untouched") << row.first;
    }
}

TEST_F(SiteStoreFile, AnInterruptedSaveLeavesTheOldFileWhole) {
    saveOne("Old site");
    const std::string before = readBytes(path);

    SiteStore store(path);
    std::string failure;
    std::string why;
    ASSERT_TRUE(store.load(failure)) << failure;
    ASSERT_TRUE(store.sites().put(site("New site"), why)) << why;
    bool newFileWritten = false;
    store.beforeReplace = [&]() {
        newFileWritten = readBytes(path + ".new").find("[New site]") != std::string::npos;
        return false;
    };
    EXPECT_FALSE(store.save(false, failure));
    EXPECT_TRUE(newFileWritten);
    EXPECT_NE(failure.find(path), std::string::npos) << failure;
    EXPECT_EQ(readBytes(path), before);
    EXPECT_FALSE(exists(path + ".new"));

    store.beforeReplace = nullptr;
    ASSERT_TRUE(store.save(false, failure)) << failure;
    EXPECT_NE(readBytes(path).find("[New site]"), std::string::npos);
}

TEST_F(SiteStoreFile, ADamagedFileIsReportedAndOnlyReplacedWhenAsked) {
    saveOne("Good site");
    const std::string damaged = readBytes(path) + "\r\n[Broken]\r\nhost=h\r\nport=99999\r\n";
    writeBytes(path, damaged);

    SiteStore store(path);
    std::string failure;
    EXPECT_FALSE(store.load(failure));
    EXPECT_TRUE(store.damaged());
    EXPECT_EQ(failure, path + " is damaged:\nline 14: port must be a number from 1 to 65535, not '99999'");
    EXPECT_EQ(store.sites().names(), std::vector<std::string>{"Good site"});

    EXPECT_FALSE(store.save(false, failure));
    EXPECT_NE(failure.find(path), std::string::npos) << failure;
    EXPECT_EQ(readBytes(path), damaged);

    ASSERT_TRUE(store.save(true, failure)) << failure;
    EXPECT_FALSE(store.damaged());
    SiteStore again(path);
    ASSERT_TRUE(again.load(failure)) << failure;
    EXPECT_EQ(again.sites().names(), std::vector<std::string>{"Good site"});
}

TEST_F(SiteStoreFile, AFileItCannotReadCountsAsDamaged) {
    saveOne("Good site");
    const std::string before = readBytes(path);
    const HANDLE locked = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);

    SiteStore store(path);
    std::string failure;
    EXPECT_FALSE(store.load(failure));
    CloseHandle(locked);
    EXPECT_EQ(failure.rfind("Cannot read " + path + ": ", 0), 0u) << failure;
    EXPECT_TRUE(store.damaged());
    EXPECT_FALSE(store.save(false, failure));
    EXPECT_EQ(readBytes(path), before);
}

TEST(SiteStorePath, IsInTheRoamingAppDataFolder) {
    std::string why;
    const std::string path = sites::defaultSitesPath(why);
    const char* appData = std::getenv("APPDATA");
    ASSERT_NE(appData, nullptr);
    EXPECT_EQ(path, std::string(appData) + "\\Quorin reference host\\sites.ini") << why;
}

}  // namespace
