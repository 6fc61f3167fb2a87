// The saved sites' file under Wine: saving and loading, the protected
// passwords and what they are bound to, an interrupted save, a damaged
// file, the bounds the reader sets and the lock another host holds.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

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
        DeleteFileA((path + ".lock").c_str());
        RemoveDirectoryA(folder.c_str());
        RemoveDirectoryA(root.c_str());
    }

    SavedSite site(const std::string& name, const std::string& password = "") {
        SavedSite made;
        made.name = name;
        made.host = "ftp.example.net";
        made.port = 2121;
        made.user = "siteop";
        made.protectedPassword = password.empty() ? "" : sites::protectPassword(password, made.key());
        return made;
    }

    static SiteStore::Edit putting(const SavedSite& one) {
        return [one](sites::SavedSites& all, std::string& why) { return all.put(one, why); };
    }

    // A store holding one saved site, as the window leaves it.
    void saveOne(const std::string& name) {
        SiteStore store(path);
        std::string failure;
        ASSERT_TRUE(store.update(putting(site(name)), false, failure)) << failure;
    }

    std::string root;
    std::string folder;
    std::string path;
};

TEST_F(SiteStoreFile, SavesAndLoadsInAFolderOfItsOwn) {
    SiteStore store(path);
    std::string failure;
    ASSERT_TRUE(store.load(failure)) << "a missing file is no sites: " << failure;
    EXPECT_TRUE(store.sites().names().empty());

    ASSERT_TRUE(store.update(putting(site("Main site", "hunter2")), false, failure)) << failure;
    SavedSite plain = site("Test box");
    plain.requireTls = false;
    ASSERT_TRUE(store.update(putting(plain), false, failure)) << failure;
    EXPECT_FALSE(exists(path + ".new"));

    SiteStore again(path);
    ASSERT_TRUE(again.load(failure)) << failure;
    EXPECT_EQ(again.sites().names(), (std::vector<std::string>{"Main site", "Test box"}));
    EXPECT_FALSE(again.sites().find("test box")->requireTls);
    std::string password;
    const SavedSite* main = again.sites().find("main site");
    ASSERT_TRUE(sites::unprotectPassword(main->protectedPassword, main->key(), password));
    EXPECT_EQ(password, "hunter2");
}

TEST_F(SiteStoreFile, KeepsAPasswordOnlyInProtectedForm) {
    const std::vector<std::string> words = {"correct", "horse", "battery", "staple"};
    const std::string password = "correct horse battery staple";
    SiteStore store(path);
    std::string failure;
    ASSERT_TRUE(store.update(putting(site("Main", password)), false, failure)) << failure;
    ASSERT_FALSE(store.sites().find("Main")->protectedPassword.empty());

    const std::string file = upper(readBytes(path));
    std::vector<std::string> secrets = words;
    secrets.push_back(password);
    for (const std::string& secret : secrets) {
        EXPECT_EQ(file.find(upper(secret)), std::string::npos) << secret;
        EXPECT_EQ(file.find(upper(sites::bytesToHex(secret))), std::string::npos) << secret << " in hex";
    }
}

const sites::SiteKey mainKey{"ftp.example.net", 2121, "siteop", true,
                             "0E:CF:16:A1:22:9B:00:FF:10:20:30:40:50:60:70:80:90:A0:B0:C0:D0:E0:F0:01:02:03:04:05:06:07:3A:43"};
const std::string otherPin =
    "11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00";

TEST(SitePasswords, UnprotectGivesBackWhatWasProtected) {
    const std::vector<std::string> table = {
        "x", "hunter2", std::string(300, 'p'), "p\xC3\xA4ss w\xF6rd", std::string("nul\0inside", 10),
    };
    for (const std::string& password : table) {
        const std::string protectedHex = sites::protectPassword(password, mainKey);
        ASSERT_FALSE(protectedHex.empty()) << password;
        EXPECT_NE(sites::protectPassword(password, mainKey), protectedHex) << "each blob is salted";
        std::string back = "left over";
        ASSERT_TRUE(sites::unprotectPassword(protectedHex, mainKey, back)) << password;
        EXPECT_EQ(back, password);
    }
}

// A blob is the password of one host, port, user, TLS and pin: an edited
// file or a copied profile cannot send it anywhere else, nor in clear, nor
// to another certificate.
TEST(SitePasswords, ABlobOpensOnlyForTheSiteItWasSavedWith) {
    const std::string blob = sites::protectPassword("hunter2", mainKey);
    const std::string pin = mainKey.fingerprint;
    struct Row {
        const char* what;
        sites::SiteKey key;
        bool opens;
    };
    const Row table[] = {
        {"the same site", mainKey, true},
        {"host in other case, pin as openssl prints it", {"FTP.Example.NET", 2121, "siteop", true,
                                                          "0ecf16a1229b00ff102030405060708090a0b0c0d0e0f0010203040506073a43"}, true},
        {"another host", {"ftp.example.org", 2121, "siteop", true, pin}, false},
        {"another port", {"ftp.example.net", 2122, "siteop", true, pin}, false},
        {"another user", {"ftp.example.net", 2121, "siteOp", true, pin}, false},
        {"without TLS, no pin", {"ftp.example.net", 2121, "siteop", false, ""}, false},
        {"without TLS, same pin", {"ftp.example.net", 2121, "siteop", false, pin}, false},
        {"pin cleared", {"ftp.example.net", 2121, "siteop", true, ""}, false},
        {"another pin", {"ftp.example.net", 2121, "siteop", true, otherPin}, false},
    };
    for (const Row& row : table) {
        std::string password;
        EXPECT_EQ(sites::unprotectPassword(blob, row.key, password), row.opens) << row.what;
    }

    // Blobs from before passwords were bound to their site, and from hosts
    // that bound host, port and user only.
    const std::string onlyHostPortUser = std::string("Quorin saved site password", 26) + '\0' + "ftp.example.net" +
                                         '\0' + "2121" + '\0' + "siteop";
    for (const std::string& entropy : {std::string(), onlyHostPortUser}) {
        DATA_BLOB plain{7, reinterpret_cast<BYTE*>(const_cast<char*>("hunter2"))};
        DATA_BLOB salt{static_cast<DWORD>(entropy.size()), reinterpret_cast<BYTE*>(const_cast<char*>(entropy.data()))};
        DATA_BLOB old{};
        ASSERT_TRUE(CryptProtectData(&plain, L"old", entropy.empty() ? nullptr : &salt, nullptr, nullptr,
                                     CRYPTPROTECT_UI_FORBIDDEN, &old));
        const std::string oldHex = sites::bytesToHex(std::string(reinterpret_cast<const char*>(old.pbData), old.cbData));
        LocalFree(old.pbData);
        std::string password;
        EXPECT_FALSE(sites::unprotectPassword(oldHex, mainKey, password)) << entropy.size();
        EXPECT_FALSE(sites::unprotectPassword(oldHex, {"ftp.example.net", 2121, "siteop", true, ""}, password));
    }
}

TEST(SitePasswords, ADamagedBlobIsRefused) {
    const std::string good = sites::protectPassword("hunter2", mainKey);
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
        EXPECT_FALSE(sites::unprotectPassword(row.second, mainKey, password)) << row.first;
        EXPECT_EQ(password, "untouched") << row.first;
    }
}

TEST_F(SiteStoreFile, AnInterruptedSaveLeavesTheOldFileWhole) {
    saveOne("Old site");
    const std::string before = readBytes(path);

    SiteStore store(path);
    std::string failure;
    bool newFileWritten = false;
    store.beforeReplace = [&]() {
        newFileWritten = readBytes(path + ".new").find("[New site]") != std::string::npos;
        return false;
    };
    EXPECT_FALSE(store.update(putting(site("New site")), false, failure));
    EXPECT_TRUE(newFileWritten);
    EXPECT_NE(failure.find(path), std::string::npos) << failure;
    EXPECT_EQ(readBytes(path), before);
    EXPECT_FALSE(exists(path + ".new"));

    store.beforeReplace = nullptr;
    ASSERT_TRUE(store.update(putting(site("New site")), false, failure)) << failure;
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
    EXPECT_EQ(failure, path + " is damaged:\nline 11: port must be a number from 1 to 65535, not '99999'");
    EXPECT_EQ(store.sites().names(), std::vector<std::string>{"Good site"});

    EXPECT_FALSE(store.update(putting(site("Another")), false, failure));
    EXPECT_NE(failure.find(path), std::string::npos) << failure;
    EXPECT_EQ(readBytes(path), damaged);

    // Replacing is for the damaged file the operator was asked about: one
    // that changed since (other damage, or now too large) stays, and the
    // store has read it for the next question.
    for (const std::string& changed : {damaged + "[Other]\r\nhost=h\r\n[Lost]\r\n", damaged + std::string(sites::maxFileBytes, ';')}) {
        writeBytes(path, changed);
        EXPECT_FALSE(store.update(putting(site("Good site")), true, failure));
        EXPECT_NE(failure.find("changed since"), std::string::npos) << failure;
        EXPECT_TRUE(store.damagedFileChanged());
        EXPECT_EQ(readBytes(path), changed);
        EXPECT_TRUE(store.damaged());
    }
    ASSERT_TRUE(store.update(putting(site("Good site")), true, failure)) << failure;
    EXPECT_FALSE(store.damaged());
    EXPECT_FALSE(store.damagedFileChanged());
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
    EXPECT_EQ(failure.rfind("Cannot read " + path + ": ", 0), 0u) << failure;
    EXPECT_TRUE(store.damaged());
    EXPECT_FALSE(store.update(putting(site("Another")), false, failure));
    CloseHandle(locked);
    EXPECT_EQ(readBytes(path), before);
}

// The writer refuses what its reader would refuse, and the file stays as it
// was: no change can leave a file that the next start cannot read.
TEST_F(SiteStoreFile, NothingIsWrittenThatTheReaderWouldRefuse) {
    saveOne("Good site");
    const std::string before = readBytes(path);
    SiteStore store(path);
    std::string failure;
    SavedSite longHost = site("Long host");
    longHost.host = std::string(256, 'h');
    SavedSite longName = site(std::string(256, 'n'));
    SavedSite notUtf8 = site("Caf\xE9");
    const SavedSite refused[] = {longHost, longName, notUtf8};
    for (const SavedSite& one : refused) {
        EXPECT_FALSE(store.update(putting(one), false, failure)) << one.name;
        EXPECT_EQ(readBytes(path), before) << one.name;
    }

    // Sites of the largest size until the file would pass the reader's bound.
    SavedSite large = site(std::string(255, 'n'));
    large.host = std::string(255, 'h');
    large.user = std::string(255, 'u');
    large.protectedPassword = std::string(sites::maxProtectedHexDigits, 'a');
    int saved = 0;
    for (; saved < 1000; ++saved) {
        large.name = std::to_string(saved) + std::string(250, 'n');
        if (!store.update(putting(large), false, failure)) {
            break;
        }
    }
    EXPECT_GT(saved, 50);
    EXPECT_NE(failure.find("more than 1 MB"), std::string::npos) << failure;
    const std::string full = readBytes(path);
    EXPECT_LE(full.size(), sites::maxFileBytes);
    SiteStore reader(path);
    EXPECT_TRUE(reader.load(failure)) << failure;
    EXPECT_EQ(reader.sites().all().size(), static_cast<std::size_t>(saved) + 1);
}

TEST_F(SiteStoreFile, AChangeWaitsForAnotherHostsLockAndLeavesTheFileWhenItStays) {
    saveOne("Good site");
    const std::string before = readBytes(path);
    const HANDLE lock = CreateFileA((path + ".lock").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    SiteStore store(path);
    store.lockWaitMs = 200;
    std::string failure;
    EXPECT_FALSE(store.update(putting(site("Another")), false, failure));
    EXPECT_NE(failure.find("locked"), std::string::npos) << failure;
    EXPECT_EQ(readBytes(path), before);
    CloseHandle(lock);
    EXPECT_TRUE(store.update(putting(site("Another")), false, failure)) << failure;
}

// Paths outside the ANSI code page are paths all the same.
TEST(SiteStorePath, AFolderNamedInAnyScriptHoldsTheFile) {
    wchar_t temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring folder = std::wstring(temp) + L"quorin-\x65E5\x672C-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::string utf8Folder(static_cast<std::size_t>(
                               WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), -1, nullptr, 0, nullptr, nullptr)),
                           '\0');
    WideCharToMultiByte(CP_UTF8, 0, folder.c_str(), -1, &utf8Folder[0], static_cast<int>(utf8Folder.size()), nullptr,
                        nullptr);
    utf8Folder.pop_back();
    SiteStore store(utf8Folder + "\\sites.ini");
    std::string failure;
    SavedSite one;
    one.name = "\xE6\x97\xA5\xE6\x9C\xAC";
    one.host = "h";
    EXPECT_TRUE(store.update([&](sites::SavedSites& all, std::string& why) { return all.put(one, why); }, false,
                             failure))
        << failure;
    SiteStore again(store.path());
    EXPECT_TRUE(again.load(failure)) << failure;
    EXPECT_NE(again.sites().find(one.name), nullptr);
    DeleteFileW((folder + L"\\sites.ini").c_str());
    DeleteFileW((folder + L"\\sites.ini.lock").c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST(SiteStorePath, IsInTheRoamingAppDataFolder) {
    std::string why;
    const std::string path = sites::defaultSitesPath(why);
    const char* appData = std::getenv("APPDATA");
    ASSERT_NE(appData, nullptr);
    EXPECT_EQ(path, std::string(appData) + "\\Quorin reference host\\sites.ini") << why;
}

}  // namespace
