#pragma once
// The host's own checks of a server certificate: its SHA-256 fingerprint,
// and the system's chain and host-name check for the SSL server policy.
#include <windows.h>

#include <wincrypt.h>

#include <string>
#include <vector>

#include "host/live/fingerprint.h"

namespace live {

bool certificateDigest(const std::vector<unsigned char>& der, Sha256Digest& digest, std::string& failure);
// True when the chain reaches a trusted root and the certificate names the
// host; otherwise `why` says what failed.
bool certificateChainTrusted(PCCERT_CONTEXT certificate, const std::string& hostName, std::string& why);

}  // namespace live
