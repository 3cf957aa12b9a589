// The ids of the buttons with which a dialog or a message box ends, as its caller
// receives them.
#pragma once

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
