#include "host/admin/own_commands.h"

#include <vector>

#include "common/text_utils.h"
#include "host/admin/admin_input.h"
#include "host/admin/admin_reply.h"
#include "host/admin/admin_text.h"
#include "host/session/transcript_lines.h"
#include "host/session/transcript_mask.h"

namespace admin {

std::string ownCommandToKeep(const std::string& typed) { return session::withoutSecrets(typed); }

bool ownCommandAsksPassword(const std::string& kept) { return session::endsBeforeSecret(kept); }

std::string ownCommandListed(const std::string& kept) {
    return ownCommandAsksPassword(kept) ? kept + "  <password asked on Send>" : kept;
}

std::string ownPasswordProblem(const std::string& kept, const std::string& password) {
    if (password.empty()) {
        return "Type the password, or Cancel to send nothing.";
    }
    if (hasControl(password)) {
        return "A password is one line without control characters.";
    }
    const std::size_t length = kept.size() + 1 + password.size();
    if (length > 255) {
        return "The command with its password has " + std::to_string(length) +
               " characters; one command line takes at most 255.";
    }
    return {};
}

namespace {

// A reply line as the server sent it, without its colour sequences.
std::string colourless(const std::string& line) {
    if (line.find('\x1b') == std::string::npos) {
        return line;
    }
    std::string text = line;
    stripColourSequences(&text[0]);
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
}

// The text of a colourless line as the page shows it: cut after
// shownLineBytes (at a character's start), control bytes written out.
std::string shownText(const std::string& colourlessLine) {
    std::string text(lineTextView(colourlessLine));
    std::string cutNote;
    if (text.size() > shownLineBytes) {
        std::size_t cut = shownLineBytes;
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        cutNote = " ... (" + groupedNumber(text.size() - cut) + " more bytes)";
        text.resize(cut);
    }
    std::string shown;
    for (const std::string& part : session::transcriptLines(text)) {
        shown += (shown.empty() ? "" : " ") + part;
    }
    return shown + cutNote;
}

}  // namespace

std::string shownReplyLine(const std::string& line) { return shownText(colourless(line)); }

std::string groupedNumber(std::size_t number) {
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3) {
        digits.insert(at - 3, ",");
    }
    return digits;
}

std::string ownCommandResult(const std::string& command, const session::Reply& reply) {
    const std::size_t count = reply.lines.size();
    const bool bounded = count > shownHeadLines + shownTailLines;
    // Only the lines shown are read: a reply of 700,000 lines costs the page
    // no more than one of 300.
    session::Reply shown;
    shown.code = reply.code;
    std::string text = "> " + session::maskSecrets(command) + "\n";
    for (std::size_t i = 0; i < count; ++i) {
        if (bounded && i == shownHeadLines) {
            const std::size_t leftOut = count - shownHeadLines - shownTailLines;
            text += "... " + groupedNumber(leftOut) + " more lines here (" + groupedNumber(count) +
                    " in all): the whole reply is in the transcript ...\n";
            i = count - shownTailLines;
        }
        shown.lines.push_back(colourless(reply.lines[i]));
        text += shownText(shown.lines.back()) + "\n";
    }
    if (shown.lines.empty()) {
        return text + "The server sent no reply: see the transcript.";
    }
    const std::string last = shownText(shown.lines.back());
    if (reply.code >= 400) {
        return text + "Refused by the server (code " + std::to_string(reply.code) + ")" +
               (last.empty() ? "." : ": " + last);
    }
    if (judgeReply(shown).done) {
        return text + "Done: the server answered \"" + last + "\"";
    }
    return text + "Answered (code " + std::to_string(reply.code) +
           "): whether it was done is in the server's words above.";
}

}  // namespace admin
