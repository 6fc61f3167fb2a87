// The two sites the host can serve: the simulated glftpd site and a live
// connection.
#include "host/served/served_site.h"

#include <windows.h>

#include <utility>

namespace {

class SimulatedServedSite : public ServedSite {
public:
    explicit SimulatedServedSite(const SimulatedSiteSettings& settings) {
        site.setGeneration(settings.generation);
        site.setOperatorColours(settings.operatorColours);
        // Who is online changes between two looks, as on a site in use.
        site.setSessionsAlive(true);
    }
    session::SiteLink& link() override { return site; }
    std::string stateText() const override {
        return "Simulated site " + site.siteName() + ", inside this program (no network); you act as " +
               site.operatorName() + ".";
    }
    std::string titleSuffix() const override { return " - simulated site"; }
    bool idle(std::string&) override { return true; }
    int msUntilIdleWork() const override { return 1000; }
    void close() override {}
    std::string nameAfterNuke(const std::string& directory) const override {
        // The site renames what it nukes.
        for (const simsite::Release& release : site.releases()) {
            if (release.nuked && release.originalName == directory) {
                return release.name;
            }
        }
        return "";
    }
    simsite::SimulatedSite* simulation() override { return &site; }

private:
    simsite::SimulatedSite site;
};

std::string shortFingerprint(const std::string& fingerprint) {
    return fingerprint.size() > 23 ? fingerprint.substr(0, 23) + "..." : fingerprint;
}

class LiveServedSite : public ServedSite {
public:
    LiveServedSite(const live::SiteOptions& options, const std::string& savedName, int keepAliveMs)
        : options(options), savedName(savedName), keepAliveMs(keepAliveMs) {}
    ~LiveServedSite() override {
        site.close();
        SecureZeroMemory(&options.password[0], options.password.size());
    }

    bool open(const LiveSiteHooks& hooks, std::string& failure) {
        site.onNote = hooks.note;
        site.onWaiting = hooks.waiting;
        site.onCertificate = hooks.certificateSeen;
        return site.open(options, hooks.prompt, failure);
    }
    session::SiteLink& link() override { return site; }
    std::string stateText() const override {
        if (!site.isOpen()) {
            return "Not connected to " + address() + ": Reconnect when ready.";
        }
        return "Connected to " + address() + " as " + options.user + ", " +
               (site.secured() ? "TLS, SHA-256 " + shortFingerprint(site.certificateFingerprint())
                               : std::string("plain (unencrypted)")) +
               ".";
    }
    std::string titleSuffix() const override {
        return " - " + (savedName.empty() ? std::string() : savedName + ": ") + options.user + "@" + hostAndPort() +
               (site.isOpen() ? "" : " (not connected)");
    }
    bool idle(std::string& failure) override {
        return !site.isOpen() || site.idle(keepAliveMs, failure);
    }
    int msUntilIdleWork() const override {
        const int due = site.msUntilKeepAlive(keepAliveMs);
        return due < 1 ? 1 : due < 1000 ? due : 1000;
    }
    void close() override { site.close(); }
    std::string nameAfterNuke(const std::string&) const override { return ""; }
    simsite::SimulatedSite* simulation() override { return nullptr; }

private:
    std::string hostAndPort() const { return options.host + ":" + std::to_string(options.port); }
    // "Main site (ftp.example.net:2121)", or the address alone.
    std::string address() const { return savedName.empty() ? hostAndPort() : savedName + " (" + hostAndPort() + ")"; }

    live::SiteOptions options;
    std::string savedName;
    int keepAliveMs;
    live::LiveSite site;
};

}  // namespace

std::unique_ptr<ServedSite> makeSimulatedSite(const SimulatedSiteSettings& settings) {
    return std::unique_ptr<ServedSite>(new SimulatedServedSite(settings));
}

std::unique_ptr<ServedSite> openLiveSite(const live::SiteOptions& options, const std::string& savedName,
                                         int keepAliveMs, const LiveSiteHooks& hooks, std::string& failure) {
    std::unique_ptr<LiveServedSite> site(new LiveServedSite(options, savedName, keepAliveMs));
    site->open(hooks, failure);
    return std::unique_ptr<ServedSite>(std::move(site));
}
