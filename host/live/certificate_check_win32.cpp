#include "host/live/certificate_check_win32.h"

#include "host/live/socket_stream_win32.h"

namespace live {

namespace {

// The policy's verdicts an operator meets, in words; others by their code.
std::string chainErrorText(DWORD code) {
    switch (code) {
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
        return "its chain ends in a root this system does not trust (a self-signed certificate?)";
    case static_cast<DWORD>(CERT_E_CHAINING):
        return "its issuer is unknown to this system";
    case static_cast<DWORD>(CERT_E_EXPIRED):
        return "it has expired or is not valid yet";
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
        return "it is made out to another host name";
    case static_cast<DWORD>(CERT_E_WRONG_USAGE):
        return "it is not meant for servers";
    case static_cast<DWORD>(CRYPT_E_REVOKED):
        return "it has been revoked";
    default:
        return systemErrorText("the system does not trust it", static_cast<long>(code));
    }
}

}  // namespace

bool certificateDigest(const std::vector<unsigned char>& der, Sha256Digest& digest, std::string& failure) {
    if (der.empty()) {
        failure = "The server sent no certificate";
        return false;
    }
    DWORD size = static_cast<DWORD>(digest.size());
    if (!CryptHashCertificate2(L"SHA256", 0, nullptr, der.data(), static_cast<DWORD>(der.size()), digest.data(),
                               &size) ||
        size != digest.size()) {
        failure = systemErrorText("Cannot hash the server's certificate", static_cast<long>(GetLastError()));
        return false;
    }
    return true;
}

bool certificateChainTrusted(PCCERT_CONTEXT certificate, const std::string& hostName, std::string& why) {
    if (certificate == nullptr) {
        why = "the server sent no certificate";
        return false;
    }
    char serverAuth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {serverAuth};
    CERT_CHAIN_PARA chainPara{};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara, 0, nullptr,
                                 &chain)) {
        why = systemErrorText("the system cannot build its chain", static_cast<long>(GetLastError()));
        return false;
    }
    std::wstring wideName(hostName.begin(), hostName.end());
    HTTPSPolicyCallbackData https{};
    https.cbStruct = sizeof https;
    https.dwAuthType = AUTHTYPE_SERVER;
    https.pwszServerName = &wideName[0];
    CERT_CHAIN_POLICY_PARA policyPara{};
    policyPara.cbSize = sizeof policyPara;
    policyPara.pvExtraPolicyPara = &https;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    const BOOL checked = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policyPara, &status);
    CertFreeCertificateChain(chain);
    if (!checked) {
        why = systemErrorText("the system cannot check its chain", static_cast<long>(GetLastError()));
        return false;
    }
    if (status.dwError != 0) {
        why = chainErrorText(status.dwError);
        return false;
    }
    return true;
}

}  // namespace live
