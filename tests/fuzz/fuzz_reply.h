#pragma once
// Arbitrary bytes as a kept reply: split at '\n', each line in a heap buffer
// of exactly its length and NUL, so that ASan reports any read past a line's
// end; the nodes form a null-terminated ReplyLine list as the host builds it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "plugin/host_channel.h"

class FuzzReply {
public:
    FuzzReply(const std::uint8_t* data, std::size_t size) {
        std::size_t start = 0;
        for (std::size_t i = 0; i <= size; ++i) {
            if (i == size || data[i] == '\n') {
                const std::size_t length = i - start;
                char* text = static_cast<char*>(std::malloc(length + 1));
                if (length > 0) {
                    std::memcpy(text, data + start, length);
                }
                text[length] = '\0';
                texts.push_back(text);
                start = i + 1;
            }
        }
        nodes.resize(texts.size());
        for (std::size_t i = 0; i < texts.size(); ++i) {
            nodes[i].text = texts[i];
            nodes[i].next = i + 1 < texts.size() ? &nodes[i + 1] : nullptr;
        }
    }
    ~FuzzReply() {
        for (char* text : texts) {
            std::free(text);
        }
    }
    FuzzReply(const FuzzReply&) = delete;
    FuzzReply& operator=(const FuzzReply&) = delete;

    ReplyLine* head() { return nodes.empty() ? nullptr : nodes.data(); }

private:
    std::vector<char*> texts;
    std::vector<ReplyLine> nodes;
};

// A broken invariant is a finding: abort so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)    \
    do {                         \
        if (!(condition)) {      \
            std::abort();        \
        }                        \
    } while (0)
