#pragma once
// The change record inside the host window: every command the session
// exchanges is offered to the record with the page it came from and the
// site it went to; the History page reads the records back.
#include <string>

#include "host/admin/admin_pages_win32.h"
#include "host/session/host_session.h"

namespace history_window {

// The session reports each exchange to the record from now on.
void attach(session::HostSession& session);
// Changes still waiting for their page's read-back are written without one
// (the host is idle, serves another site or closes).
void flush();
// The host pages' part: read-backs reported, the records shown.
void wire(AdminContext& context);

// While it lives, what is sent comes from `page` (the nuke dialog).
class SentFrom {
public:
    explicit SentFrom(const char* page);
    ~SentFrom();
    SentFrom(const SentFrom&) = delete;
    SentFrom& operator=(const SentFrom&) = delete;

private:
    const char* previous_;
};

}  // namespace history_window
