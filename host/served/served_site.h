#pragma once
// The one site the host window serves at a time: the simulated site, or a
// live connection. The window talks to either through this; connecting to a
// live site or returning to the simulated one swaps the object.
#include <functional>
#include <memory>
#include <string>

#include "host/live/live_site_win32.h"
#include "host/simsite/simulated_site.h"

class ServedSite {
public:
    virtual ~ServedSite() = default;
    virtual session::SiteLink& link() = 0;
    bool isOpen() const { return const_cast<ServedSite*>(this)->link().isOpen(); }

    // The connection panel's text, and what the window's title adds.
    virtual std::string stateText() const = 0;
    virtual std::string titleSuffix() const = 0;

    // Work between requests (reading what a server sent on its own, the
    // keep-alive); false when the connection was found gone.
    virtual bool idle(std::string& failure) = 0;
    // Milliseconds until idle() has something to do, at most a second.
    virtual int msUntilIdleWork() const = 0;
    // Closes a connection (the simulated site stays).
    virtual void close() = 0;

    // The release directory's name after the host's own nuke, as a refreshed
    // listing would show it; empty when the host cannot know.
    virtual std::string nameAfterNuke(const std::string& directory) const = 0;

    // The simulated site, for its switches; null for a live one.
    virtual simsite::SimulatedSite* simulation() = 0;
};

struct SimulatedSiteSettings {
    simsite::SimulatedSite::Generation generation = simsite::SimulatedSite::Generation::Glftpd1;
    bool operatorColours = false;
};

std::unique_ptr<ServedSite> makeSimulatedSite(const SimulatedSiteSettings& settings);

// Connects, secures and logs in (see live::LiveSite::open). A site that
// could not be opened comes back closed, with the reason in `failure`: the
// window serves it all the same, so that nothing meant for that site goes to
// another, and Reconnect tries again. `note` gets the connection's own transcript lines,
// `waiting` the progress of a reply.
struct LiveSiteHooks {
    std::function<void(const std::string& line)> note;
    std::function<void(const std::string& command, std::size_t linesSoFar)> waiting;
    std::function<void(const std::string& fingerprint)> certificateSeen;
    live::TrustPrompt prompt;
};
// `savedName`: the saved site these options come from (empty: none), named
// in the panel and the title.
std::unique_ptr<ServedSite> openLiveSite(const live::SiteOptions& options, const std::string& savedName,
                                         int keepAliveMs, const LiveSiteHooks& hooks, std::string& failure);
