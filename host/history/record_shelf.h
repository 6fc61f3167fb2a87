#pragma once
// The change records the History page offers: every saved site's, every
// server address's that has one, and the simulated site's (kept in memory
// for the run, apart from any real site's).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/history/change_record.h"

namespace history {

struct RecordChoice {
    std::string id;     // "site:<name>", "address:<host:port>" or "simulated"
    std::string label;  // what the page shows
};

// The id of a record, and back.
std::string recordId(const RecordKey& key);
bool keyOfId(const std::string& id, RecordKey& key);
extern const char* const simulatedId;

class RecordShelf {
public:
    virtual ~RecordShelf() = default;
    virtual std::vector<RecordChoice> choices() = 0;
    // The record of the site served now ("" when none has one).
    virtual std::string servedNow() = 0;
    // Where the records are, for the page to say.
    virtual std::string where() = 0;
    virtual bool read(const std::string& id, std::string& text, std::string& failure) = 0;
    virtual bool clear(const std::string& id, std::string& failure) = 0;
};

}  // namespace history
