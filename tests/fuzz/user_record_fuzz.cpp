#include <cstring>

#include "common/heap.h"
#include "pages/users/user_record.h"
#include "tests/fuzz/fuzz_reply.h"

namespace {

// Numbers are clamped to the 32-bit range: "-2147483648.0" is the longest.
void checkNumber(const char* text) {
    FUZZ_CHECK(text == nullptr || std::strlen(text) <= 13);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::int32_t blocks = liveHeapBlocks();
    FuzzReply reply(data, size);
    readUserRecordLines(reply.head());
    for (const char* number :
         {userRecord.maxLogins, userRecord.gadminSlots, userRecord.leechSlots, userRecord.timeLimit,
          userRecord.ratio, userRecord.weeklyAllotment, userRecord.credits,
          userRecord.maxDownloadSpeed, userRecord.maxUploadSpeed}) {
        checkNumber(number);
    }
    FUZZ_CHECK(std::strcmp(userRecord.password, "?") == 0);
    clearUserRecord();
    FUZZ_CHECK(liveHeapBlocks() == blocks);
    FUZZ_CHECK(editUserIndex == -1);
    return 0;
}
