// The ids of the buttons with which a dialog ends, as its caller receives them.
#pragma once

#define IDOK 1
#define IDCANCEL 2
