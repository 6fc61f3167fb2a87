#include "host/admin/group_colour.h"

#include <cstring>

namespace admin {

void removeColours(std::string& line) {
    std::size_t read = line.find('\x1b');
    if (read == std::string::npos) return;
    std::size_t write = read;
    const std::size_t size = line.size();
    while (read < size) {
        if (line[read] == '\x1b' && read + 1 < size && line[read + 1] == '[') {
            std::size_t end = read + 2;
            while (end < size && ((line[end] >= '0' && line[end] <= '9') || line[end] == ';')) ++end;
            if (end < size && line[end] == 'm') {
                read = end + 1;
                continue;
            }
        }
        line[write++] = line[read++];
    }
    line.resize(write);
}

void removeColours(session::Reply& reply) {
    for (std::string& line : reply.lines) removeColours(line);
}

bool hasColours(const session::Reply& reply) {
    for (const std::string& line : reply.lines)
        if (std::memchr(line.data(), '\x1b', line.size()) != nullptr) return true;
    return false;
}

}  // namespace admin
