#pragma once
// The History page: a site's change record, newest first, filtered by text
// and outcome; the selected lines copied as the file holds them; the record
// cleared on the operator's Yes. Reads context.changeRecords each time it is
// shown, and sends nothing.
#include <windows.h>

namespace history {

DLGPROC historyPageProcedure();

}  // namespace history
