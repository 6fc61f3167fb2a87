// The SITE SWHO and SITE WHO readers on any bytes (the same bytes as both
// replies): no fault; a refused reply gives no rows and a reason; every row
// has a user; the joined sessions hold every row of both, each PID from
// SWHO; sorting by any column keeps the sessions; the kick and kill judge
// reads anything.
#include <algorithm>

#include "host/glance/glance_text.h"
#include "host/glance/online_sessions.h"
#include "tests/fuzz/admin_fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const session::Reply reply = adminFuzzReply(data, size);
    std::string failure;
    std::vector<glance::SwhoRow> swho;
    const bool swhoRead = glance::readSwho(reply, swho, failure);
    FUZZ_CHECK(swhoRead || (swho.empty() && !failure.empty()));
    for (const glance::SwhoRow& row : swho) {
        FUZZ_CHECK(!row.pid.empty() && !row.user.empty());
    }
    std::vector<glance::WhoRow> who;
    glance::WhoTotals totals;
    failure.clear();
    const bool whoRead = glance::readWho(reply, who, totals, failure);
    FUZZ_CHECK(whoRead || (who.empty() && !failure.empty() && totals.online == -1));
    for (const glance::WhoRow& row : who) {
        FUZZ_CHECK(!row.user.empty());
        const glance::Action action = glance::readAction(row.action);
        FUZZ_CHECK(action.speedKiBs == -1 || action.speedKiBs >= 0);
    }
    std::vector<glance::Session> sessions = glance::joinSessions(swho, who);
    FUZZ_CHECK(sessions.size() >= std::max(swho.size(), who.size()));
    FUZZ_CHECK(sessions.size() <= swho.size() + who.size());
    const std::size_t withPid = static_cast<std::size_t>(
        std::count_if(sessions.begin(), sessions.end(), [](const glance::Session& s) { return !s.pid.empty(); }));
    FUZZ_CHECK(withPid == swho.size());
    for (int column = 0; column < glance::sessionColumnCount; ++column) {
        glance::sortSessions(sessions, static_cast<glance::SessionColumn>(column), column % 2 == 0);
        FUZZ_CHECK(sessions.size() >= std::max(swho.size(), who.size()));
        for (const glance::Session& session : sessions) {
            glance::sessionCell(session, static_cast<glance::SessionColumn>(column));
        }
    }
    std::string words;
    glance::sessionEnded(reply, words);
    for (const std::string& line : reply.lines) {
        glance::secondsOf(line);
        glance::speedOf(line);
        glance::sizeOf(line);
        FUZZ_CHECK(glance::plainText(line).size() <= line.size());
    }
    return 0;
}
