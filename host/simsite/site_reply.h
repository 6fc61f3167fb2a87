#pragma once
// Building glftpd replies: one-line answers, and multi-line ones whose lines
// are "200- " text with a last line "200 " text.
#include <string>
#include <utility>
#include <vector>

#include "host/simsite/simulated_site.h"
#include "host/simsite/site_text.h"

namespace simsite {

inline Reply oneLine(const std::string& text, int code = 200) {
    Reply reply;
    reply.code = code;
    reply.lines.push_back(format("%d ", code) + text);
    return reply;
}

inline Reply syntax(const std::string& usage) {
    return oneLine("Syntax: " + usage, 501);
}

class ReplyBuilder {
public:
    void line(const std::string& text) { lines.push_back("200- " + text); }
    // A row of a framed table, padded to the frame's width.
    void row(const std::string& text) { line("| " + padRight(text, 71) + " |"); }
    void top() { line("." + std::string(73, '-') + "."); }
    void rule() { line("|" + std::string(73, '-') + "|"); }
    void bottom() { line("`" + std::string(73, '-') + "'"); }
    // Ends the reply: the builder gives its lines away (a listing of 50,000
    // accounts is not copied).
    Reply end(const std::string& text) {
        Reply reply;
        reply.lines = std::move(lines);
        lines.clear();
        reply.lines.push_back("200 " + text);
        return reply;
    }

private:
    std::vector<std::string> lines;
};

// A fixed text (a usage box), one line each, closed as the server closes it.
template <std::size_t N>
void addLines(ReplyBuilder& reply, const char* const (&lines)[N]) {
    for (const char* line : lines) {
        reply.line(line);
    }
}

template <std::size_t N>
Reply textBox(const char* const (&lines)[N]) {
    ReplyBuilder reply;
    addLines(reply, lines);
    return reply.end("Command Successful.");
}

// One result a line, the last one closing the reply; at least one result.
inline Reply resultLines(const std::vector<std::string>& results) {
    ReplyBuilder reply;
    for (std::size_t i = 0; i + 1 < results.size(); ++i) {
        reply.line(results[i]);
    }
    return reply.end(results.back());
}

}  // namespace simsite
