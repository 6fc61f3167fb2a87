#pragma once
// The site's group, private group and user names, fetched once from the
// server and from then on kept in step by the pages that change them.
#include "common/text_utils.h"
#include "plugin/host_channel.h"

struct SiteDirectory {
    NamePairList* groupList;         // public groups: name, description
    NamePairList* privateGroupList;  // private groups: name, description
    NameList* userNames;
    bool loaded;
};

extern SiteDirectory siteDirectory;

// Sends SITE GROUPS and SITE USER and reads both listings.
void loadSiteDirectory();
// Loads the directory unless it is already loaded.
void ensureSiteDirectory();

void parseGroupListing(ReplyLine* lines, NamePairList*& groups, NamePairList*& privateGroups);
void parseUserListing(ReplyLine* lines, NameList*& userNames);

// Frees the three lists (the library's unload).
void releaseSiteDirectory();
