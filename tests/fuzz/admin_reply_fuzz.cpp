// The reply judge and a plan's outcome on any bytes: no fault; nothing with a
// code of 400 or more or with no lines is done; the outcome never counts more
// commands taken than were sent.
#include "host/admin/admin_plans.h"
#include "host/admin/admin_reply.h"
#include "tests/fuzz/admin_fuzz_reply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const session::Reply reply = adminFuzzReply(data, size);
    const admin::Verdict verdict = admin::judgeReply(reply);
    FUZZ_CHECK(!verdict.text.empty() || !reply.lines.empty());
    if (reply.code >= 400 || reply.lines.empty()) FUZZ_CHECK(!verdict.done);
    if (!verdict.notModified.empty()) FUZZ_CHECK(!verdict.done);
    const admin::Plan plan{"", {"SITE GRPCHANGE iso slots 1", "SITE CHANGE { a b } ratio 1", "SITE PURGE x"}};
    const admin::PlanOutcome outcome = admin::planOutcome(plan, {reply, reply});
    FUZZ_CHECK(outcome.applied <= 2 && !outcome.complete && !outcome.summary.empty());
    return 0;
}
