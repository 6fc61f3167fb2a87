#pragma once
// The fetched list of users online, kept for the life of the library.

// Frees the list and the selection (the library's unload, and before each
// fetch that must start afresh).
void clearOnlineList();
