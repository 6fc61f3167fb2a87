#pragma once
// Turns an address entry into a full ident@host mask with "*" wildcards.

// Returns an owned heap text of at most strlen(entry) + 9 characters; the
// entry is left unchanged.
char* normaliseIpMask(const char* entry);
