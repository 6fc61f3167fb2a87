#pragma once
// The growable string in which every command line is put together.
#include <cstdint>

class CommandText {
public:
    CommandText();
    explicit CommandText(const char* text);
    ~CommandText();

    CommandText(const CommandText&) = delete;
    CommandText& operator=(const CommandText&) = delete;

    void assign(const char* text);
    void append(const char* text);
    void append(const CommandText& other);
    // Appends the decimal form of a number ("%d").
    void appendNumber(std::int32_t value);

    const char* text() const { return buffer; }
    std::uint32_t length() const { return textLength; }
    std::uint32_t capacity() const { return bufferCapacity; }

private:
    static constexpr std::uint32_t initialCapacity = 256;
    static constexpr std::uint32_t growthSlack = 128;

    char* buffer;
    std::uint32_t bufferCapacity;
    std::uint32_t textLength;
};
