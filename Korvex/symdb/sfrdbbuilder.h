// Building a controller database from its description (sfrdescription.h): the six
// tables of the names and columns that the controller recordsets read, and nothing else,
// rows in the order given. The database keeps no password, so it opens with any.
#pragma once

#include "sfrdescription.h"

// Writes `description` to a new database at `path`, replacing a file there only once
// the new one is complete: it is built in a temporary file beside `path` and renamed at
// the end, so a build that fails leaves no file of its own and the old one as it was.
// FALSE with `error` when it fails.
BOOL BuildSfrDatabase(const SfrDescription &description, LPCSTR path, CString &error);

// Reads the description file `descriptionPath` and builds the database at `path`;
// FALSE with `error` ("FILE:LINE: reason" for a refused description).
BOOL BuildSfrDatabaseFromFile(LPCSTR descriptionPath, LPCSTR path, CString &error);
