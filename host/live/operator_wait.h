#pragma once
// What the operator says while the live connection waits for the server.
// The host window's waiting mode answers (its Cancel button, Esc and the
// window's close; a question once the server has been silent for the
// time-out). A run without a window installs nothing: nothing is cancelled
// and silence ends the wait, as the time-out says.
#include <string>

namespace live {

class OperatorWait {
public:
    virtual ~OperatorWait() = default;
    // Asked between reads (every wait slice): true ends the wait.
    virtual bool cancelled() = 0;
    // The server has sent nothing for `silentMs` while the reply to `waitingFor`
    // is awaited (a command, not a login step): true waits on, for as long
    // again.
    virtual bool keepWaiting(const std::string& waitingFor, int silentMs) = 0;
    // The server has taken nothing of `sending` for `stalledMs`: true waits
    // on, for as long again.
    virtual bool keepSending(const std::string& sending, int stalledMs) = 0;
    // Around a wait the host starts on its own (the keep-alive NOOP), so
    // that the operator can give it up as any other.
    virtual void waitBegins() = 0;
    virtual void waitEnds() = 0;
};

// The answers every live connection asks from now on; null: none.
void installOperatorWait(OperatorWait* answers);
OperatorWait* installedOperatorWait();

}  // namespace live
