#pragma once
// The change records on disk, beside sites.ini: one file a site (see
// change_record.h for its name and lines), and its older lines in one older
// file. Every append, read and clear takes the records' lock (changes.lock
// in the same folder, held open without sharing for that one step), so two
// host processes writing one site's record lose no line, and a reader never
// sees a record half moved to its older file. Paths are UTF-8.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/history/change_record.h"
#include "host/history/record_shelf.h"

namespace history {

class RecordFiles {
public:
    explicit RecordFiles(std::string folder) : folder_(std::move(folder)) {}
    const std::string& folder() const { return folder_; }
    std::string pathOf(const RecordKey& key) const;

    // Appends one line (recordLine) in one write, flushed to the disk. A
    // file whose last line was cut short (a crash) gets its line feed first,
    // so the cut line stays one line of its own that the reader passes over;
    // a file that would pass limitBytes moves over the older file first; a
    // new file starts with the heading that names `siteLabel`.
    bool append(const RecordKey& key, const std::string& siteLabel, const std::string& line, std::string& failure);
    // The older file's text, then the current file's; none is no text.
    bool read(const RecordKey& key, std::string& text, std::string& failure);
    // Deletes the site's record and its older file.
    bool clear(const RecordKey& key, std::string& failure);
    // The server addresses that have a record in the folder ("host:port").
    std::vector<std::string> addresses() const;

    int lockWaitMs = 10000;
    std::uint64_t limitBytes = maxRecordBytes;

private:
    std::string folder_;
};

// The records the History page offers, over the files of one folder; the
// simulated site's lines in memory.
class FilesShelf : public RecordShelf {
public:
    explicit FilesShelf(RecordFiles& files) : files_(files) {}
    std::vector<RecordChoice> choices() override;
    std::string servedNow() override { return served ? served() : std::string(); }
    std::string where() override { return files_.folder(); }
    bool read(const std::string& id, std::string& text, std::string& failure) override;
    bool clear(const std::string& id, std::string& failure) override;

    // The saved sites' names, and the record id of the site served now.
    std::function<std::vector<std::string>()> savedNames;
    std::function<std::string()> served;
    // The simulated site's changes of this run, as a record's lines.
    std::string simulatedLines;

private:
    RecordFiles& files_;
};

}  // namespace history
