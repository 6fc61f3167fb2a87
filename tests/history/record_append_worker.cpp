// A second host process for the change record's tests: once the event
// named on its command line is set, appends COUNT changes to the record of
// the saved site NAME in FOLDER, as a host does after each command sent.
//   record_append_worker FOLDER NAME TAG COUNT EVENT
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/history/record_files_win32.h"

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: record_append_worker FOLDER NAME TAG COUNT EVENT\n");
        return 2;
    }
    history::RecordFiles files(argv[1]);
    const history::RecordKey key{true, argv[2]};
    const std::string tag = argv[3];
    const int count = std::atoi(argv[4]);
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, argv[5]);
    if (go == nullptr || WaitForSingleObject(go, 30000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "no start signal\n");
        return 2;
    }
    CloseHandle(go);
    for (int i = 0; i < count; ++i) {
        history::Change change;
        change.time = "2026-12-08T05:12:03+01:00";
        change.account = "siteop";
        change.page = "Accounts";
        change.command = "SITE CHANGE " + tag + " comment " + std::to_string(i);
        change.server = "200 Command Successful.";
        change.outcome = history::Outcome::Took;
        std::string failure;
        if (!files.append(key, argv[2], history::recordLine(change), failure)) {
            std::fprintf(stderr, "%s\n", failure.c_str());
            return 1;
        }
    }
    return 0;
}
