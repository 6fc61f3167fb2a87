#include "common/fill_order.h"

namespace {

int primaryWeight(unsigned char c) {
    if (c >= 'a' && c <= 'z') {
        return 300 + (c - 'a');
    }
    if (c >= 'A' && c <= 'Z') {
        return 300 + (c - 'A');
    }
    if (c >= '0' && c <= '9') {
        return 200 + (c - '0');
    }
    if (c >= 0x80) {
        return 400 + c;
    }
    return c;  // signs and blanks keep their code order, below the digits
}

bool isUpper(unsigned char c) {
    return c >= 'A' && c <= 'Z';
}

}  // namespace

int compareForFill(const char* left, const char* right) {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(left != nullptr ? left : "");
    const unsigned char* b = reinterpret_cast<const unsigned char*>(right != nullptr ? right : "");
    for (std::size_t i = 0;; ++i) {
        // The end of a text weighs least: a prefix comes first.
        const int wa = a[i] == 0 ? -1 : primaryWeight(a[i]);
        const int wb = b[i] == 0 ? -1 : primaryWeight(b[i]);
        if (wa != wb) {
            return wa < wb ? -1 : 1;
        }
        if (a[i] == 0) {
            break;
        }
    }
    // Same length, same letters: they differ in case only, if at all.
    for (std::size_t i = 0; a[i] != 0; ++i) {
        if (a[i] != b[i]) {
            return isUpper(a[i]) ? 1 : -1;
        }
    }
    return 0;
}
