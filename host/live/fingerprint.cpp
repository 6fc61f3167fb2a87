#include "host/live/fingerprint.h"

namespace live {

namespace {

const char hexDigits[] = "0123456789ABCDEF";

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
    std::size_t at = 0;
    for (; prefix[at] != '\0'; ++at) {
        if (at >= text.size()) {
            return false;
        }
        char c = text[at];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != prefix[at]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string fingerprintText(const Sha256Digest& digest) {
    std::string text;
    text.reserve(digest.size() * 3);
    for (std::size_t i = 0; i < digest.size(); ++i) {
        if (i > 0) {
            text += ':';
        }
        text += hexDigits[digest[i] >> 4];
        text += hexDigits[digest[i] & 0x0F];
    }
    return text;
}

bool parseFingerprint(const std::string& text, Sha256Digest& digest) {
    static const char prefix[] = "sha256 fingerprint=";
    std::string hex = trimmed(text);
    if (startsWithNoCase(hex, prefix)) {
        hex = trimmed(hex.substr(sizeof prefix - 1));
    }
    // Either 64 bare digits or 32 pairs with a ':' between every two.
    const std::size_t count = digest.size();
    const bool separated = hex.size() == count * 3 - 1;
    if (!separated && hex.size() != count * 2) {
        return false;
    }
    const std::size_t step = separated ? 3 : 2;
    Sha256Digest read{};
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = i * step;
        if (separated && i > 0 && hex[at - 1] != ':') {
            return false;
        }
        const int high = hexValue(hex[at]);
        const int low = hexValue(hex[at + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        read[i] = static_cast<unsigned char>(high * 16 + low);
    }
    digest = read;
    return true;
}

}  // namespace live
