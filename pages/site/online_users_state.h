#pragma once
// The fetched list of users online, kept for the life of the library.

void clearOnlineList();
