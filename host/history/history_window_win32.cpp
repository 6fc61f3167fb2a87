#include "host/history/history_window_win32.h"

#include <windows.h>

#include <memory>

#include "host/connect/site_manager_win32.h"
#include "host/history/change_log.h"
#include "host/history/record_files_win32.h"
#include "host/window/host_admin_win32.h"
#include "host/window/host_app.h"

namespace history_window {

namespace {

const char* sentFrom = nullptr;

// The local time now with its offset from UTC.
std::string now() {
    SYSTEMTIME local{}, utc{};
    GetLocalTime(&local);
    GetSystemTime(&utc);
    FILETIME localFile{}, utcFile{};
    SystemTimeToFileTime(&local, &localFile);
    SystemTimeToFileTime(&utc, &utcFile);
    const auto ticks = [](const FILETIME& time) {
        return static_cast<long long>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                                      time.dwLowDateTime);
    };
    const long long minutes = (ticks(localFile) - ticks(utcFile)) / (10000000LL * 30);  // half minutes
    history::LocalTime time;
    time.year = local.wYear;
    time.month = local.wMonth;
    time.day = local.wDay;
    time.hour = local.wHour;
    time.minute = local.wMinute;
    time.second = local.wSecond;
    time.offsetMinutes = static_cast<int>((minutes + (minutes >= 0 ? 1 : -1)) / 2);
    return history::timeText(time);
}

// The folder of sites.ini: the records lie beside it.
std::string recordsFolder() {
    const std::string& sites = site_manager::filePath();
    const std::size_t slash = sites.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : sites.substr(0, slash);
}

history::RecordFiles& files() {
    static history::RecordFiles shared("");
    if (shared.folder() != recordsFolder()) {
        shared = history::RecordFiles(recordsFolder());
    }
    return shared;
}

bool servesSimulation() { return !app.served || app.served->simulation() != nullptr; }

// The record of the site served now: its saved site's, or its address's.
std::string servedRecord() {
    if (servesSimulation()) {
        return history::simulatedId;
    }
    if (!app.savedSite.name.empty()) {
        const std::string saved = site_manager::savedName(app.savedSite.name);
        return history::recordId({true, saved.empty() ? app.savedSite.name : saved});
    }
    std::string address = app.liveOptions.host + ":" + std::to_string(app.liveOptions.port);
    for (char& c : address) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return history::recordId({false, address});
}

history::FilesShelf& shelf() {
    static history::FilesShelf shared(files());
    static const bool wired = [] {
        shared.savedNames = [] { return site_manager::names(); };
        shared.served = servedRecord;
        return true;
    }();
    (void)wired;
    return shared;
}

void writeLine(const std::string& record, const std::string& line) {
    if (record == history::simulatedId) {
        shelf().simulatedLines += line;
        return;
    }
    history::RecordKey key;
    std::string failure;
    if (history::keyOfId(record, key) && !files().append(key, key.name, line, failure)) {
        app.session->note("!! change record: " + failure);
    }
}

history::ChangeLog& changeLog() {
    static history::ChangeLog shared(writeLine);
    return shared;
}

// The page list's name of a page, without its number and indent.
std::string listedName(int index) {
    const LRESULT length = SendMessageW(app.pageList, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length <= 0) {
        return "";
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(app.pageList, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(length));
    const std::size_t start = text.find_first_not_of(" 0123456789");
    return start == std::string::npos ? text : text.substr(start);
}

void onExchange(const std::string& command, const session::Reply* reply, const std::string& failure) {
    history::Sent sent;
    sent.record = servedRecord();
    sent.time = now();
    sent.account = servesSimulation() ? "simulated" : app.liveOptions.user;
    const int hostPage = host_admin::shownPageNumber();
    if (sentFrom != nullptr) {
        sent.page = sentFrom;
    } else if (hostPage > 0) {
        sent.page = listedName(7 + hostPage);
        sent.readsBack = true;
    } else {
        sent.page = listedName(app.currentPageId - 1);
    }
    if (sent.page.empty()) {
        sent.page = "?";
    }
    sent.command = command;
    sent.reply = reply;
    sent.failure = failure;
    changeLog().sent(sent);
}

}  // namespace

void attach(session::HostSession& session) { session.onExchange = onExchange; }

void flush() { changeLog().flush(); }

void wire(AdminContext& context) {
    context.reportReadBack = [](const std::string& readBack) { changeLog().readBack(readBack); };
    context.changeRecords = &shelf();
}

SentFrom::SentFrom(const char* page) : previous_(sentFrom) { sentFrom = page; }

SentFrom::~SentFrom() { sentFrom = previous_; }

}  // namespace history_window
