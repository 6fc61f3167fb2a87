#pragma once
// The user name that Add + Edit leaves for the Edit user page, which takes it
// when it is created.

// Owned text or null.
extern char* pendingEditUser;

// Replaces the pending name with a copy of `name` (null clears it).
void setPendingEditUser(const char* name);
// Hands the pending name over (the caller owns and frees it) and leaves none;
// null when there is none.
char* takePendingEditUser();
// Frees the pending name, if any (the library's unload).
void releasePendingEditUser();
