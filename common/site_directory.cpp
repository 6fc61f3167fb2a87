#include "common/site_directory.h"

SiteDirectory siteDirectory = {nullptr, nullptr, nullptr, false};

void loadSiteDirectory() {}

void ensureSiteDirectory() {
    if (!siteDirectory.loaded) {
        loadSiteDirectory();
    }
}

void parseGroupListing(ReplyLine*, NamePairList*&, NamePairList*&) {}
void parseUserListing(ReplyLine*, NameList*&) {}

void releaseSiteDirectory() {
    freeNamePairList(siteDirectory.groupList);
    freeNamePairList(siteDirectory.privateGroupList);
    freeNameList(siteDirectory.userNames);
    siteDirectory = {nullptr, nullptr, nullptr, false};
}
