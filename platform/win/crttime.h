// Date and time texts of the C run-time of Windows, in local time.
#pragma once

// Writes "MM/DD/YY" (9 bytes with the terminator) and returns `buffer`.
char *_strdate(char *buffer);

// Writes "HH:MM:SS" (9 bytes with the terminator), 24-hour clock, and returns `buffer`.
char *_strtime(char *buffer);
