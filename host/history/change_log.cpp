#include "host/history/change_log.h"

#include "host/session/read_only_commands.h"
#include "host/session/transcript_mask.h"

namespace history {

const char* const noReadBack = "no read-back reported";

void ChangeLog::sent(const Sent& command) {
    if (session::changesNothing(command.command)) {
        return;
    }
    Change change;
    change.time = command.time;
    change.account = command.account;
    change.page = command.page;
    change.command = session::maskSecrets(command.command);
    if (command.reply != nullptr && !command.reply->lines.empty()) {
        change.server = serverWords(*command.reply);
        change.outcome = outcomeOfReply(*command.reply);
    } else {
        change.server = command.failure.empty() ? "no complete reply" : command.failure;
        change.outcome = Outcome::Unknown;
    }
    // What waits belongs to one page's change on one site.
    if (!waiting_.empty() && (waiting_.back().record != command.record || waiting_.back().change.page != change.page ||
                              !command.readsBack)) {
        flush();
    }
    if (command.readsBack) {
        waiting_.push_back({command.record, std::move(change)});
        return;
    }
    write_(command.record, recordLine(change));
}

void ChangeLog::readBack(const std::string& text) {
    writeWaiting(text.empty() ? noReadBack : text);
}

void ChangeLog::flush() { writeWaiting(noReadBack); }

void ChangeLog::writeWaiting(const std::string& readBack) {
    std::vector<Waiting> lines;
    lines.swap(waiting_);
    for (Waiting& line : lines) {
        line.change.readBack = readBack;
        write_(line.record, recordLine(line.change));
    }
}

}  // namespace history
