#pragma once
// A site's change record as the History page shows it: its changes newest
// first, filtered by text and by outcome. Lines that are no change (the
// heading, a line cut short by a crash, a line damaged by hand) are passed
// over. Rows point into the text read: nothing is copied per line, so a
// record of 100,000 lines is ready about as fast as it is read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/history/change_record.h"

namespace history {

struct RecordFilter {
    std::string text;  // in any field, without regard to ASCII case; empty: any
    bool took = true, refused = true, unknown = true;
};

class RecordView {
public:
    // The record's text: the older file's, then the current file's.
    void read(std::string text);
    void filter(const RecordFilter& filter);

    std::size_t size() const { return filtered_ ? shown_.size() : rows_.size(); }  // rows shown
    std::size_t total() const { return rows_.size(); }
    std::size_t passedOver() const { return passedOver_; }
    // Row 0 is the newest change shown. Fields as the file holds them (see
    // change_record.h), the line without its line feed.
    std::string_view field(std::size_t row, std::size_t index) const;
    std::string_view line(std::size_t row) const;
    Outcome outcome(std::size_t row) const { return rows_[indexOf(row)].outcome; }

private:
    struct Row {
        std::uint32_t begin;
        std::uint32_t length;
        Outcome outcome;
    };
    std::size_t indexOf(std::size_t row) const {
        return filtered_ ? shown_[row] : rows_.size() - 1 - row;
    }

    std::string text_;
    std::vector<Row> rows_;  // in the file's order
    std::vector<std::uint32_t> shown_;
    bool filtered_ = false;
    std::size_t passedOver_ = 0;
};

// Whether a line (without its line feed) is a change: seven fields, a time
// first and an outcome last.
bool isChangeLine(std::string_view line, Outcome& outcome);

}  // namespace history
