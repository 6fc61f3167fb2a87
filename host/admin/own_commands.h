#pragma once
// The operator's own commands (a site's scripts: SITE REQUESTS, SITE PRE
// ...): what is kept of a command, what the list shows, and what the page
// shows of a reply, however long and in whatever colour it came.
#include <cstddef>
#include <string>

#include "host/session/site_link.h"

namespace admin {

// What is kept of a command the operator adds: the command without its
// password and what follows it, cut where the transcript masks
// ("SITE ADDUSER bob pw *@1.2.3.4" -> "SITE ADDUSER bob"); any other command
// as typed.
std::string ownCommandToKeep(const std::string& typed);
// Whether Send asks for a password to put after the kept command ("SITE
// CHPASS bob", "SITE GADDUSER grp bob").
bool ownCommandAsksPassword(const std::string& kept);
// The list's line for a kept command: the command, and for one that asks,
// "<password asked on Send>" after it.
std::string ownCommandListed(const std::string& kept);
// Why a typed password cannot go after the command (empty, a control
// character, too long for one command line); empty when it can.
std::string ownPasswordProblem(const std::string& kept, const std::string& password);

// A reply of more lines than shownHeadLines + shownTailLines shows its
// first and last lines and how many were left out between them; longer
// lines are cut after shownLineBytes. The transcript keeps it all.
constexpr std::size_t shownHeadLines = 200;
constexpr std::size_t shownTailLines = 100;
constexpr std::size_t shownLineBytes = 1000;

// The page's result for a command sent and answered: "> " and the command
// (its password masked), the reply's lines without their codes and without
// colour (other control bytes written out as the transcript writes them,
// so that no escape code reaches the control), bounded as above, then what
// it came to. glftpd answers a refusal with code 200 too, and a site script
// answers in words of its own: only a code of 400 or more, or a reply that
// glftpd's own success line ends, is named as refused or done; otherwise
// the server's words say it.
std::string ownCommandResult(const std::string& command, const session::Reply& reply);

// A reply line as the host shows it outside the transcript: without its
// code and colour, control bytes written out, cut after shownLineBytes.
std::string shownReplyLine(const std::string& line);

// "1,234,567".
std::string groupedNumber(std::size_t number);

}  // namespace admin
