#pragma once
// A reply held as the host hands it over: a ReplyLine list of writable texts
// in one buffer, restored to its pristine bytes on demand, because readers
// cut fields in place. Shared by the parser benchmarks and the page
// benchmark's host.
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/host_channel.h"

class RestorableReply {
public:
    RestorableReply() = default;
    RestorableReply(const RestorableReply&) = delete;
    // Moving keeps the buffers, so the lines' pointers stay valid.
    RestorableReply(RestorableReply&&) = default;
    RestorableReply& operator=(RestorableReply&&) = default;

    explicit RestorableReply(const std::vector<std::string>& lines) : nodes(lines.size()) {
        std::size_t size = 0;
        for (const std::string& line : lines) {
            size += line.size() + 1;
        }
        pristine.reserve(size);
        for (const std::string& line : lines) {
            pristine.insert(pristine.end(), line.begin(), line.end());
            pristine.push_back('\0');
        }
        work = pristine;
        char* text = work.data();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            nodes[i].text = text;
            nodes[i].next = i + 1 < lines.size() ? &nodes[i + 1] : nullptr;
            text += lines[i].size() + 1;
        }
    }

    // Undoes the NULs the last reader wrote.
    void restore() {
        if (!pristine.empty()) {
            std::memcpy(work.data(), pristine.data(), pristine.size());
        }
    }
    ReplyLine* head() { return nodes.empty() ? nullptr : nodes.data(); }
    std::size_t bytes() const { return pristine.size(); }
    std::size_t lineCount() const { return nodes.size(); }

private:
    std::vector<char> pristine;
    std::vector<char> work;
    std::vector<ReplyLine> nodes;
};
