#pragma once
// Turns what the host sent into lines of the change record: reading
// commands (the live tour's read-only rule) are left out; a change from one
// of the host's own pages waits for what the page read back afterwards, so
// that its line says whether the server holds what was written.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "host/history/change_record.h"

namespace history {

// One command as it went to the site.
struct Sent {
    std::string record;     // whose record it belongs to, fixed when it was sent
    std::string time;       // timeText
    std::string account;
    std::string page;
    bool readsBack = false;  // a host page that reads back what it changed
    std::string command;     // as sent
    const session::Reply* reply = nullptr;  // null: no complete reply
    std::string failure;                    // why there is none
};

// What a host page's change says when the page reported no read-back.
extern const char* const noReadBack;

class ChangeLog {
public:
    using Write = std::function<void(const std::string& record, const std::string& line)>;
    explicit ChangeLog(Write write) : write_(std::move(write)) {}

    // A command the session exchanged (or tried to): a change gets its line,
    // at once or once its page reports its read-back.
    void sent(const Sent& command);
    // The page's read-back of the changes it sent last, in its words; empty:
    // the page begins another change, and what waits goes with what the
    // reading commands since showed of it (read_back.h), or without one.
    void readBack(const std::string& text);
    // Writes what waits with what was read back of it, if anything (the
    // host is idle, switches site or closes).
    void flush();
    std::size_t waiting() const { return waiting_.size(); }

private:
    void writeWaiting(const std::string& reported);

    Write write_;
    struct Waiting {
        std::string record;
        std::string sent;  // the command as it went
        Change change;
        std::string judged;  // what a reading command showed of it since
    };
    std::vector<Waiting> waiting_;
};

}  // namespace history
