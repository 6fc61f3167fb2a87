#include "host/live/operator_wait.h"

namespace live {

namespace {

// The host has one window, and one waiting mode answers for it.
OperatorWait* installed = nullptr;

}  // namespace

void installOperatorWait(OperatorWait* answers) { installed = answers; }

OperatorWait* installedOperatorWait() { return installed; }

}  // namespace live
