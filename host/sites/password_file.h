#pragma once
// A password handed to the host in a file (--password-file): its first line,
// without its line end. A leading UTF-8 byte order mark (Notepad's) is not
// part of it, and a file longer than maxPasswordFileBytes is refused rather
// than cut: a cut password would be sent as if it were the whole.
#include <cstddef>
#include <string>

namespace sites {

constexpr std::size_t maxPasswordFileBytes = 1023;

// The password in the file's bytes; false with the reason when the file is
// too long. `password` is the caller's to wipe.
bool passwordFromFile(const std::string& bytes, std::string& password, std::string& why);

// Reads the file (a UTF-8 path) and takes its password; false with the
// reason. The host's own copies of the bytes are wiped.
bool readPasswordFile(const std::string& path, std::string& password, std::string& why);

}  // namespace sites
