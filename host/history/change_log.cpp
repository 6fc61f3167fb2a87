#include "host/history/change_log.h"

#include "host/history/read_back.h"
#include "host/session/read_only_commands.h"
#include "host/session/transcript_mask.h"

namespace history {

const char* const noReadBack = "no read-back reported";

void ChangeLog::sent(const Sent& command) {
    if (session::changesNothing(command.command)) {
        // Perhaps a page reading back what waits.
        for (Waiting& line : waiting_) {
            if (command.reply != nullptr && line.record == command.record && line.judged.empty()) {
                line.judged = readBackOf(line.sent, command.command, *command.reply);
            }
        }
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
        waiting_.push_back({command.record, command.command, std::move(change), std::string()});
        return;
    }
    write_(command.record, recordLine(change));
}

void ChangeLog::readBack(const std::string& text) { writeWaiting(text); }

void ChangeLog::flush() { writeWaiting(std::string()); }

void ChangeLog::writeWaiting(const std::string& reported) {
    std::vector<Waiting> lines;
    lines.swap(waiting_);
    for (Waiting& line : lines) {
        line.change.readBack = !reported.empty() ? reported : !line.judged.empty() ? line.judged : noReadBack;
        write_(line.record, recordLine(line.change));
    }
}

}  // namespace history
