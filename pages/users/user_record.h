#pragma once
// The one record of the account shown on the Edit user page.

// Frees every text of the record and empties it.
void clearUserRecord();
