#include "host/history/record_shelf.h"

namespace history {

const char* const simulatedId = "simulated";

std::string recordId(const RecordKey& key) { return (key.savedSite ? "site:" : "address:") + key.name; }

bool keyOfId(const std::string& id, RecordKey& key) {
    if (id.compare(0, 5, "site:") == 0) {
        key = {true, id.substr(5)};
        return !key.name.empty();
    }
    if (id.compare(0, 8, "address:") == 0) {
        key = {false, id.substr(8)};
        return !key.name.empty();
    }
    return false;
}

}  // namespace history
