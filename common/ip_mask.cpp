#include "common/ip_mask.h"

#include <cstring>

#include "common/heap.h"

namespace {

// Appends into the one result block; the block is sized for the longest
// result, and the bound is checked all the same.
struct MaskWriter {
    char* buffer;
    std::size_t capacity;  // characters, the NUL not counted
    std::size_t length;

    void append(const char* text, std::size_t count) {
        if (count > capacity - length) {
            count = capacity - length;
        }
        std::memcpy(buffer + length, text, count);
        length += count;
        buffer[length] = '\0';
    }
    void append(const char* text) { append(text, std::strlen(text)); }
};

bool isNumericHost(const char* host) {
    for (; *host != '\0'; ++host) {
        if ((*host < '0' || *host > '9') && *host != '.') {
            return false;
        }
    }
    return true;
}

// Pads digits and dots to four fields: the tails to use, after the first,
// second and third dot, for a rest that is empty or not.
void appendNumericHost(MaskWriter& out, const char* host) {
    static const char* const emptyRest[3] = {"*.*.*", "*.*", "*"};
    static const char* const rest[3] = {".*.*", ".*", ""};
    const char* dot = std::strchr(host, '.');
    if (dot == nullptr) {
        if (*host == '\0') {
            out.append("*.*.*.*");
        } else {
            out.append(host);
            out.append(".*.*.*");
        }
        return;
    }
    const char* field = host;
    for (int dots = 0; dots < 3; ++dots) {
        if (dot == field) {
            out.append("*.");
        } else {
            out.append(field, static_cast<std::size_t>(dot - field) + 1);
        }
        field = dot + 1;
        const char* next = dots < 2 ? std::strchr(field, '.') : nullptr;
        if (next == nullptr) {
            // After the third dot the whole rest stays as it is.
            if (*field == '\0') {
                out.append(emptyRest[dots]);
            } else {
                out.append(field);
                out.append(rest[dots]);
            }
            return;
        }
        dot = next;
    }
}

}  // namespace

char* normaliseIpMask(const char* entry) {
    if (entry == nullptr) {
        entry = "";
    }
    const std::size_t length = std::strlen(entry);
    MaskWriter out{static_cast<char*>(heapAlloc(length + 10)), length + 9, 0};
    out.buffer[0] = '\0';

    const char* host = entry;
    const char* at = std::strchr(entry, '@');
    if (at == nullptr) {
        out.append("*@");
    } else if (at == entry) {
        out.append("*@");
        host = at + 1;
    } else {
        out.append(entry, static_cast<std::size_t>(at - entry) + 1);
        host = at + 1;
    }

    if (isNumericHost(host)) {
        appendNumericHost(out, host);
    } else {
        out.append(host);
    }
    return out.buffer;
}
