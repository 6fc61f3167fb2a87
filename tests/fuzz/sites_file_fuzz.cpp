#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/sites/saved_sites.h"

// Whatever the reader takes from any text, the writer writes a file within
// the shared bounds that the reader takes whole and that writes back to the
// same bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sites::SavedSites read;
    sites::parseSites(std::string(reinterpret_cast<const char*>(data), size), read);
    for (const sites::SavedSite& site : read.all()) {
        if (!sites::siteProblem(site).empty()) {
            std::abort();
        }
    }
    const std::string written = sites::formatSites(read);
    if (written.size() > sites::maxFileBytes || read.all().size() > sites::maxSites) {
        std::abort();
    }
    sites::SavedSites again;
    if (!sites::parseSites(written, again).empty() || sites::formatSites(again) != written) {
        std::abort();
    }
    return 0;
}
