#pragma once
// The host's own administration pages for glftpd 2.x: Groups, Accounts, One
// change for many and the operator's own commands. Each is a modeless child
// made from its dialog template; it sends nothing until the operator acts,
// and every command goes through `context.send`.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "host/session/site_link.h"

namespace history {
class RecordShelf;
}

enum class AdminPage { Groups = 1, Accounts, BulkChange, OwnCommands, OnlineNow, TopLists, History };

struct AdminContext {
    // Sends one command through the host session (transcript, masking, fences, time-outs,
    // read-only rule of the live tour) and waits for the whole reply.
    std::function<bool(const std::string& command, session::Reply& reply, std::string& failure)> send;
    // Message boxes and questions (tests replace it): returns IDOK/IDYES/IDNO as MessageBoxW.
    std::function<int(HWND owner, const std::string& text, const std::string& title, UINT type)> ask;
    // The own commands of the site served now (saved site: kept in its file; otherwise this run only).
    std::function<std::vector<std::string>()> loadOwnCommands;
    std::function<bool(const std::vector<std::string>& commands, std::string& failure)> saveOwnCommands;
    // Where the own commands are kept, as the page says it after "kept ": "with the saved site
    // \"Main\" (sites.ini)", "for this run only (...)". Unset: for this run only.
    std::function<std::string()> ownCommandsKeptWhere;
    // The change record (host/history): what a page read back after the
    // changes it sent ("written and read back", or what the server holds
    // instead); empty when a page begins sending a change (runPlan). Unset: not recorded.
    std::function<void(const std::string& readBack)> reportReadBack;
    // The records the History page shows; null: the page shows none.
    history::RecordShelf* changeRecords = nullptr;
    // True while the host waits for another reply or asks the operator something:
    // a page sends nothing on its own then (its automatic refresh waits).
    std::function<bool()> busy;
};

// A modeless child page from its dialog template, in `parent`; nothing is sent until the operator acts.
// `context` must outlive the page. Null when the template cannot be made.
HWND createAdminPage(AdminPage page, HWND parent, AdminContext& context);
