#include "host/glance/online_sessions.h"

#include <algorithm>
#include <cstdlib>

#include "host/admin/admin_text.h"
#include "host/glance/glance_text.h"

namespace glance {

namespace {

constexpr std::size_t userColumnWidth = 9;

std::string failureOf(const session::Reply& reply, const char* command) {
    if (!reply.lines.empty() && (isRefusal(reply) || reply.code >= 400)) {
        return command + std::string(": ") + lastWords(reply.lines, "refused without a word");
    }
    return command + std::string(": the reply is not the table the server sends.");
}

}  // namespace

bool isRefusal(const session::Reply& reply) {
    if (reply.lines.size() != 1) {
        return reply.code >= 400;
    }
    const std::string text = plainText(reply.lines.front());
    return reply.code >= 400 || text.find("do not have access") != std::string::npos ||
           text.find("not understood") != std::string::npos;
}

bool readSwho(const session::Reply& reply, std::vector<SwhoRow>& rows, std::string& failure) {
    rows.clear();
    bool heading = false, body = false, ended = false;
    std::string buffer;
    std::vector<std::string_view> cells;
    rows.reserve(reply.lines.size());
    for (const std::string& line : reply.lines) {
        const std::string_view trimmed = admin::trimBlanks(plainView(line, buffer));
        if (!heading) {
            if (trimmed.find("PiD") != std::string_view::npos && trimmed.find("User") != std::string_view::npos) {
                heading = true;
            }
            continue;
        }
        if (ended) {
            continue;
        }
        if (isRule(trimmed)) {
            if (!body) {
                body = true;
            } else if (!trimmed.empty() && trimmed.front() == '`') {
                ended = true;
            }
            continue;
        }
        if (!body || trimmed.empty() || trimmed.front() != '|') {
            continue;
        }
        cellsInto(trimmed, cells);
        if (cells.size() < 6 || cells[0].empty() || cells[1].empty()) {
            continue;
        }
        rows.push_back({std::string(cells[0]), std::string(cells[1]), std::string(cells[2]), std::string(cells[3]),
                        std::string(cells[4]), std::string(cells[5])});
    }
    if (!heading || !body) {
        rows.clear();
        failure = failureOf(reply, "SITE SWHO");
        return false;
    }
    return true;
}

namespace {

// "Total upload speed:     98.0KiB/s | Total download speed:    968.0KiB/s"
bool readSpeeds(std::string_view text, WhoTotals& totals) {
    const std::size_t up = text.find("upload speed:");
    const std::size_t down = text.find("download speed:");
    if (up == std::string_view::npos || down == std::string_view::npos) {
        return false;
    }
    const std::size_t upEnd = text.find('|', up);
    const std::size_t downEnd = text.find('|', down);
    const double upload = speedOf(text.substr(up + 13, upEnd == std::string_view::npos ? std::string_view::npos
                                                                                          : upEnd - up - 13));
    const double download = speedOf(text.substr(down + 15, downEnd == std::string_view::npos
                                                               ? std::string_view::npos
                                                               : downEnd - down - 15));
    if (upload < 0 || download < 0) {
        return false;
    }
    totals.speedsKnown = true;
    totals.uploadKiBs = upload;
    totals.downloadKiBs = download;
    return true;
}

// " 6 of 20 User(s) Currently Online"
bool readCount(std::string_view text, WhoTotals& totals) {
    const std::size_t of = text.find(" of ");
    if (text.find("Currently Online") == std::string_view::npos || of == std::string_view::npos) {
        return false;
    }
    std::size_t start = of;
    while (start > 0 && text[start - 1] >= '0' && text[start - 1] <= '9') {
        --start;
    }
    std::size_t end = of + 4;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
        ++end;
    }
    std::int64_t online = 0, maximum = 0;
    if (!admin::readInteger(text.substr(start, of - start), online) ||
        !admin::readInteger(text.substr(of + 4, end - of - 4), maximum) || online > 1000000 || maximum > 1000000) {
        return false;
    }
    totals.online = static_cast<int>(online);
    totals.maximum = static_cast<int>(maximum);
    return true;
}

}  // namespace

bool readWho(const session::Reply& reply, std::vector<WhoRow>& rows, WhoTotals& totals, std::string& failure) {
    rows.clear();
    totals = WhoTotals{};
    bool heading = false;
    int rules = 0;
    std::string buffer;
    std::vector<std::string_view> cells;
    rows.reserve(reply.lines.size());
    for (const std::string& line : reply.lines) {
        const std::string_view trimmed = admin::trimBlanks(plainView(line, buffer));
        if (!heading) {
            if (trimmed.find("User") != std::string_view::npos && trimmed.find("Action") != std::string_view::npos) {
                heading = true;
            }
            continue;
        }
        if (isRule(trimmed)) {
            ++rules;
            continue;
        }
        if (rules == 1) {
            cellsInto(trimmed, cells);
            if (cells.size() >= 4 && !cells[0].empty()) {
                rows.push_back({std::string(cells[0]), std::string(cells[1]), std::string(cells[2]),
                                std::string(cells[3])});
            }
        } else if (rules >= 2) {
            if (!readSpeeds(trimmed, totals)) {
                readCount(trimmed, totals);
            }
        }
    }
    if (!heading || rules < 2) {
        rows.clear();
        totals = WhoTotals{};
        failure = failureOf(reply, "SITE WHO");
        return false;
    }
    return true;
}

Action readAction(std::string_view action) {
    Action read;
    action = admin::trimBlanks(action);
    if (action.empty()) {
        return read;
    }
    if (admin::startsWith(action, "UL:") || admin::startsWith(action, "DL:")) {
        read.activity = action[0] == 'U' ? Activity::Upload : Activity::Download;
        std::string_view rest = admin::trimBlanks(action.substr(3));
        const std::size_t at = rest.rfind(" at ");
        if (at != std::string_view::npos) {
            read.speedKiBs = speedOf(rest.substr(at + 4));
            rest = admin::trimBlanks(rest.substr(0, at));
        }
        read.file = std::string(rest);
        return read;
    }
    if (admin::startsWith(action, "IDLE")) {
        read.activity = Activity::Idle;
        return read;
    }
    read.activity = Activity::Command;
    return read;
}

namespace {

bool sameUser(std::string_view a, std::string_view b) {
    if (a == b) {
        return true;
    }
    // One cut to the column, the other not (or cut otherwise).
    const std::size_t shorter = std::min(a.size(), b.size());
    return shorter >= userColumnWidth && a.substr(0, shorter) == b.substr(0, shorter);
}

Session fromSwho(const SwhoRow& row) {
    Session session;
    session.pid = row.pid;
    session.user = row.user;
    session.identHost = row.identHost;
    session.online = row.online;
    session.idle = row.idle;
    session.tls = row.tls;
    session.onlineSeconds = secondsOf(row.online);
    session.idleSeconds = secondsOf(row.idle);
    return session;
}

void addWho(Session& session, const WhoRow& row) {
    session.group = row.group;
    session.tagline = row.tagline;
    session.action = row.action;
    session.doing = readAction(row.action);
}

}  // namespace

std::vector<Session> joinSessions(const std::vector<SwhoRow>& swho, const std::vector<WhoRow>& who) {
    std::vector<Session> sessions;
    sessions.reserve(std::max(swho.size(), who.size()));
    std::size_t next = 0;  // the first WHO row not yet given to a session
    for (const SwhoRow& row : swho) {
        Session session = fromSwho(row);
        // The next WHO row of this user; the ones skipped on the way are
        // sessions SWHO did not see (they came between the two commands).
        std::size_t match = next;
        while (match < who.size() && !sameUser(who[match].user, row.user)) {
            ++match;
        }
        if (match < who.size()) {
            for (std::size_t skipped = next; skipped < match; ++skipped) {
                Session only;
                only.user = who[skipped].user;
                addWho(only, who[skipped]);
                sessions.push_back(std::move(only));
            }
            addWho(session, who[match]);
            next = match + 1;
        }
        sessions.push_back(std::move(session));
    }
    for (std::size_t rest = next; rest < who.size(); ++rest) {
        Session only;
        only.user = who[rest].user;
        addWho(only, who[rest]);
        sessions.push_back(std::move(only));
    }
    return sessions;
}

std::string sessionCell(const Session& session, SessionColumn column) {
    switch (column) {
    case SessionColumn::Pid: return session.pid;
    case SessionColumn::User: return session.user;
    case SessionColumn::Group: return session.group;
    case SessionColumn::IdentHost: return session.identHost;
    case SessionColumn::Online: return session.online;
    case SessionColumn::Idle: return session.idle;
    case SessionColumn::Tls: return session.tls;
    case SessionColumn::Doing:
        switch (session.doing.activity) {
        case Activity::Upload: return "UL: " + session.doing.file;
        case Activity::Download: return "DL: " + session.doing.file;
        case Activity::Idle: return "idle";
        case Activity::Command: return session.action;
        case Activity::Unknown: return "";
        }
        return "";
    case SessionColumn::Speed: return speedText(session.doing.speedKiBs);
    }
    return "";
}

namespace {

long numberOf(const std::string& text) {
    std::int64_t value = 0;
    return admin::readInteger(text, value) && value >= -0x7fffffffLL && value <= 0x7fffffffLL
               ? static_cast<long>(value)
               : -0x7fffffffL;
}

}  // namespace

void sortSessions(std::vector<Session>& sessions, SessionColumn column, bool ascending) {
    // Each session's key made once (not at every comparison), then the
    // sessions put in the order of their keys; ties keep their order.
    const bool numeric = column == SessionColumn::Pid || column == SessionColumn::Online ||
                         column == SessionColumn::Idle || column == SessionColumn::Speed;
    std::vector<double> numbers;
    std::vector<std::string> texts;
    if (numeric) {
        numbers.reserve(sessions.size());
        for (const Session& session : sessions) {
            numbers.push_back(column == SessionColumn::Pid      ? static_cast<double>(numberOf(session.pid))
                              : column == SessionColumn::Online ? static_cast<double>(session.onlineSeconds)
                              : column == SessionColumn::Idle   ? static_cast<double>(session.idleSeconds)
                                                                : session.doing.speedKiBs);
        }
    } else {
        texts.reserve(sessions.size());
        for (const Session& session : sessions) {
            texts.push_back(sessionCell(session, column));
        }
    }
    std::vector<std::size_t> order(sessions.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (numeric) {
            return ascending ? numbers[a] < numbers[b] : numbers[a] > numbers[b];
        }
        return ascending ? texts[a] < texts[b] : texts[a] > texts[b];
    });
    std::vector<Session> sorted;
    sorted.reserve(sessions.size());
    for (std::size_t i : order) {
        sorted.push_back(std::move(sessions[i]));
    }
    sessions.swap(sorted);
}

bool sessionEnded(const session::Reply& reply, std::string& words) {
    words = lastWords(reply.lines, "");
    if (reply.code >= 300 || reply.lines.empty()) {
        return false;
    }
    const std::string_view text = words;
    return admin::startsWith(text, "Killed ") || admin::endsWith(text, ") killed.") ||
           admin::endsWith(text, ": Killed.") || admin::startsWith(text, "Kicked ");
}

bool mayBeCut(std::string_view user) { return user.size() >= userColumnWidth; }

}  // namespace glance
