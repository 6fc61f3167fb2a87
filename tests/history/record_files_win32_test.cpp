// The change record's files under Wine: two host processes appending to one
// site's record at once lose no line; a line cut short by a crash stays a
// line of its own that the reader passes over; past its bound the record
// moves to its older file and keeps the newest lines; clearing removes both.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/history/record_files_win32.h"
#include "host/history/record_view.h"

namespace {

// A fresh folder under the temporary one.
std::string freshFolder(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "quorin-history-" + name + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    WIN32_FIND_DATAA entry{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            DeleteFileA((folder + "\\" + entry.cFileName).c_str());
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    return folder;
}

history::Change changeOf(const std::string& command) {
    history::Change change;
    change.time = "2026-12-08T05:12:03+01:00";
    change.account = "siteop";
    change.page = "Accounts";
    change.command = command;
    change.server = "200 Command Successful.";
    change.outcome = history::Outcome::Took;
    return change;
}

history::RecordView viewOf(history::RecordFiles& files, const history::RecordKey& key) {
    std::string text, failure;
    EXPECT_TRUE(files.read(key, text, failure)) << failure;
    history::RecordView view;
    view.read(text);
    return view;
}

std::string fileText(const std::string& path) {
    std::string text;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "(none)";
    }
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

TEST(RecordFiles, TwoProcessesAppendingAtOnceLoseNoLine) {
    const std::string folder = freshFolder("two");
    const int each = 300;
    const std::string event = "QuorinRecordGo" + std::to_string(GetCurrentProcessId());
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    ASSERT_NE(go, nullptr);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command(self);
    command.resize(command.find_last_of('\\') + 1);
    command = "\"" + command + "record_append_worker.exe\" \"" + folder + "\" Main other " + std::to_string(each) + " " +
              event;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION worker{};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &worker));

    history::RecordFiles files(folder);
    const history::RecordKey key{true, "Main"};
    SetEvent(go);
    for (int i = 0; i < each; ++i) {
        std::string failure;
        ASSERT_TRUE(files.append(key, "Main", history::recordLine(changeOf("SITE CHANGE this comment " + std::to_string(i))),
                                 failure))
            << failure;
    }
    ASSERT_EQ(WaitForSingleObject(worker.hProcess, 60000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(worker.hProcess, &code);
    CloseHandle(worker.hProcess);
    CloseHandle(worker.hThread);
    CloseHandle(go);
    EXPECT_EQ(code, 0u) << "the other process failed to append";

    const history::RecordView view = viewOf(files, key);
    EXPECT_EQ(view.passedOver(), 0u);
    ASSERT_EQ(view.size(), static_cast<std::size_t>(2 * each));
    // Each process's lines all there, in the order it wrote them.
    std::map<std::string, int> next;
    for (std::size_t row = view.size(); row-- > 0;) {
        const std::string command(view.field(row, 3));
        const std::size_t space = command.rfind(' ');
        const std::string who = command.substr(12, command.find(' ', 12) - 12);
        EXPECT_EQ(std::stoi(command.substr(space + 1)), next[who]++) << command;
    }
    EXPECT_EQ(next["this"], each);
    EXPECT_EQ(next["other"], each);
    const std::string text = fileText(files.pathOf(key));
    EXPECT_EQ(text.compare(0, 2, "# "), 0) << "one heading first";
    EXPECT_EQ(text.find("# ", 1), std::string::npos) << "a second heading";
}

TEST(RecordFiles, ACutLastLineStaysALineOfItsOwn) {
    const std::string folder = freshFolder("cut");
    history::RecordFiles files(folder);
    const history::RecordKey key{false, "ftp.example.net:2121"};
    std::string failure;
    ASSERT_TRUE(files.append(key, key.name, history::recordLine(changeOf("SITE CHANGE a comment 1")), failure));
    // A crash in the middle of the second line.
    const std::string second = history::recordLine(changeOf("SITE CHANGE a comment 2"));
    HANDLE file = CreateFileA(files.pathOf(key).c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, second.data(), static_cast<DWORD>(second.size() / 2), &written, nullptr);
    CloseHandle(file);
    EXPECT_EQ(viewOf(files, key).size(), 1u);
    EXPECT_EQ(viewOf(files, key).passedOver(), 1u);

    ASSERT_TRUE(files.append(key, key.name, history::recordLine(changeOf("SITE CHANGE a comment 3")), failure));
    const history::RecordView view = viewOf(files, key);
    ASSERT_EQ(view.size(), 2u);
    EXPECT_EQ(view.passedOver(), 1u);
    EXPECT_EQ(view.field(0, 3), "SITE CHANGE a comment 3");
    EXPECT_NE(fileText(files.pathOf(key)).find(second.substr(0, second.size() / 2) + "\n"), std::string::npos);
    EXPECT_EQ(files.addresses(), (std::vector<std::string>{"ftp.example.net:2121"}));
}

TEST(RecordFiles, PastItsBoundTheRecordMovesToItsOlderFile) {
    const std::string folder = freshFolder("bound");
    history::RecordFiles files(folder);
    files.limitBytes = 4096;
    const history::RecordKey key{true, "Main"};
    const int count = 200;
    for (int i = 0; i < count; ++i) {
        std::string failure;
        ASSERT_TRUE(files.append(key, "Main", history::recordLine(changeOf("SITE CHANGE b comment " + std::to_string(i))),
                                 failure))
            << failure;
    }
    const std::string current = fileText(files.pathOf(key));
    const std::string older = fileText(folder + "\\" + history::olderFileName(key));
    EXPECT_LE(current.size(), 4096u);
    EXPECT_LE(older.size(), 4096u);
    EXPECT_GT(older.size(), 2048u);
    const history::RecordView view = viewOf(files, key);
    EXPECT_EQ(view.passedOver(), 0u);
    ASSERT_GT(view.size(), 20u);
    // The newest lines, none missing between them.
    for (std::size_t row = 0; row < view.size(); ++row) {
        EXPECT_EQ(view.field(row, 3), "SITE CHANGE b comment " + std::to_string(count - 1 - static_cast<int>(row)));
    }

    std::string failure;
    ASSERT_TRUE(files.clear(key, failure)) << failure;
    EXPECT_EQ(viewOf(files, key).total(), 0u);
    EXPECT_EQ(fileText(files.pathOf(key)), "(none)");
    EXPECT_EQ(fileText(folder + "\\" + history::olderFileName(key)), "(none)");
}

}  // namespace
