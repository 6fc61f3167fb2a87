#include "common/command_text.h"

#include <cstdio>
#include <cstring>

#include "common/heap.h"

CommandText::CommandText()
    : buffer(static_cast<char*>(heapAlloc(initialCapacity + 1))),
      bufferCapacity(initialCapacity),
      textLength(0) {
    buffer[0] = '\0';
}

CommandText::CommandText(const char* text) : CommandText() {
    if (text == nullptr) {
        return;
    }
    const std::uint32_t n = static_cast<std::uint32_t>(std::strlen(text));
    if (n > bufferCapacity) {
        heapFree(buffer);
        bufferCapacity = n + growthSlack;
        buffer = static_cast<char*>(heapAlloc(bufferCapacity + 1));
    }
    std::memcpy(buffer, text, n + 1);
    textLength = n;
}

CommandText::~CommandText() {
    heapFree(buffer);
}

void CommandText::assign(const char* text) {
    if (text == nullptr) {
        buffer[0] = '\0';
        textLength = 0;
        return;
    }
    const std::uint32_t n = static_cast<std::uint32_t>(std::strlen(text));
    if (n > bufferCapacity) {
        heapFree(buffer);
        bufferCapacity = n + growthSlack;
        buffer = static_cast<char*>(heapAlloc(bufferCapacity + 1));
    }
    std::memcpy(buffer, text, n + 1);
    textLength = n;
}

void CommandText::append(const char* text) {
    if (text == nullptr) {
        return;
    }
    const CommandText piece(text);
    append(piece);
}

void CommandText::append(const CommandText& other) {
    const std::uint32_t m = other.textLength;
    if (textLength + m <= bufferCapacity) {
        std::memcpy(buffer + textLength, other.buffer, m + 1);
    } else {
        const std::uint32_t grown = textLength + m + growthSlack;
        char* larger = static_cast<char*>(heapAlloc(grown + 1));
        std::memcpy(larger, buffer, textLength);
        std::memcpy(larger + textLength, other.buffer, m + 1);
        heapFree(buffer);
        buffer = larger;
        bufferCapacity = grown;
    }
    textLength += m;
}

void CommandText::appendNumber(std::int32_t value) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", static_cast<int>(value));
    append(digits);
}
