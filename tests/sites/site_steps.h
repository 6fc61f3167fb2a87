#pragma once
// One change to the saved sites' file as a line of text, so that a test and
// a second process (site_store_worker) can take turns changing one file:
//   save|NAME|HOST|PORT|USER|TLS|PIN|PASSWORD   (an empty PASSWORD: none)
//   delete|NAME
//   pin|NAME|HOST|PORT|USER|TLS|PIN|NEWPIN
//   remember|NAME|HOST|PORT|USER|TLS|PIN|PASSWORD
//   commands|NAME|HOST|PORT|USER|TLS|PIN|COMMAND;COMMAND...   (own commands)
#include <sstream>
#include <string>
#include <vector>

#include "host/sites/site_store_win32.h"

namespace site_steps {

inline std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> all;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '|');) {
        all.push_back(field);
    }
    if (!line.empty() && line.back() == '|') {
        all.emplace_back();
    }
    return all;
}

inline sites::SiteKey keyOf(const std::vector<std::string>& f) {
    return {f[2], std::stoi(f[3]), f[4], f[5] == "yes", f[6]};
}

// Applies the step to the file through the store: "ok", or "refused".
inline std::string apply(sites::SiteStore& store, const std::string& line) {
    const std::vector<std::string> f = fields(line);
    std::string failure;
    bool done = false;
    if (f.size() == 2 && f[0] == "delete") {
        done = store.update([&](sites::SavedSites& all, std::string&) { return all.remove(f[1]); }, false, failure);
    } else if (f.size() == 8) {
        const sites::SiteKey key = keyOf(f);
        const std::string blob =
            f[7].empty() || f[0] == "pin" || f[0] == "commands" ? "" : sites::protectPassword(f[7], key);
        done = store.update(
            [&](sites::SavedSites& all, std::string& why) {
                if (f[0] == "pin") {
                    return sites::pinSite(all, f[1], key, f[7], why);
                }
                if (f[0] == "remember") {
                    return all.setProtectedPassword(f[1], key, blob, why);
                }
                if (f[0] == "commands") {
                    std::vector<std::string> commands;
                    std::istringstream in(f[7]);
                    for (std::string command; std::getline(in, command, ';');) {
                        commands.push_back(command);
                    }
                    return all.setOwnCommands(f[1], key, commands, why);
                }
                sites::SavedSite site{f[1], key.host, key.port, key.user, key.requireTls, key.fingerprint, blob, {}};
                return all.put(site, why);
            },
            false, failure);
    }
    return done ? "ok" : "refused";
}

}  // namespace site_steps
