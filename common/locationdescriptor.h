// Code-location descriptors: the one-line texts in which breakpoints and code positions
// travel between the symbol server, its windows and the host, and are stored by clients.
//
// The breakpoint-description query writes them in four forms:
//
//   'FUNCTION {FILE} .LINE+';MODULES;OCCURRENCE;DISTANCE;OFFSET;   a source position
//   'LABEL';MODULE;                                               exactly at a label
//   'LABEL+0xOFFSET';MODULE;                                      past the nearest label
//   0xADDRESS                                                     nothing better known
//
// In the source position the marker is +' (or ' alone when all ranges of the line are
// meant, which also leaves OFFSET empty), MODULES may list several modules joined with
// ',', OCCURRENCE says which range of the line holds the address (1 for the first),
// DISTANCE is the line's distance from the function's first line, and OFFSET is 0x%X of
// the address's offset into its range. Clients also write "FILE LINE" (blanks, dots or
// tabs between them), which the parser takes as a fifth form.
#pragma once

#include <afx.h>

// The longest part that each form may carry. A longer part does not match, so the
// descriptor fails or (for the optional offset) leaves the part unread.
constexpr int kDescriptorFunctionLimit = 519; // the first part of a source position
constexpr int kDescriptorFileLimit = 259;     // the braced part of a source position
constexpr int kDescriptorModulesLimit = 5199;
constexpr int kDescriptorMarkerLimit = 3;
constexpr int kDescriptorOffsetLimit = 31;
constexpr int kDescriptorSymbolLimit = 519;   // the label of a label form
constexpr int kDescriptorLabelModuleLimit = 259;
constexpr int kDescriptorNameLimit = 259;     // the file of "FILE LINE"

// Splits a descriptor into its parts, by position:
//
//   form             first    second    number     text     n1, n2    offset
//   source position  FUNCTION FILE      LINE       MODULES  OCC, DIST OFFSET, -1 if none
//   0xADDRESS        -        -         ADDRESS    -        -         -1
//   'LABEL+0xOFF';M; LABEL    -         -          M        -         OFF
//   'LABEL';M;       LABEL    -         -          M        -         0
//   FILE LINE        -        FILE      LINE or 0  -        -         0
//
// "-" is empty or 0; an address or offset above 0x7FFFFFFF comes as the int of its 32
// bits. A source position needs every part up to DISTANCE; "FILE" alone is enough for the
// last form. The first part of a source position cannot hold a blank, so a function name
// with one (a demangled C++ name) does not parse: the caller keeps such a descriptor as
// text. Returns FALSE for a descriptor of none of the forms, or shorter than two
// characters; the texts are then empty and the numbers 0, except `offset`, which keeps
// the value of the form tried (-1 for the first two forms, else 0).
BOOL ParseLocationDescriptor(LPCSTR descriptor, CString &first, CString &second, int &number, CString &text,
                             int &occurrence, int &distance, int &offset);
