#pragma once
// Certificate fingerprints as operators see them: SHA-256 in upper-case hex
// pairs joined by ':', as `openssl x509 -noout -fingerprint -sha256` prints
// them (without its "sha256 Fingerprint=" prefix).
#include <array>
#include <cstddef>
#include <string>

namespace live {

using Sha256Digest = std::array<unsigned char, 32>;

std::string fingerprintText(const Sha256Digest& digest);
// Reads a fingerprint as an operator may paste it: openssl's line with or
// without its prefix, either case, with ':' or without any separator,
// blanks around it. False for anything that is not 32 bytes of hex.
bool parseFingerprint(const std::string& text, Sha256Digest& digest);

}  // namespace live
