// The scoped-symbol forms of a watch text: a name with the scope "(global)", a name
// followed by an opening square bracket, or a name followed by the word "#" (which means
// the global one). Texts of any other form are expressions for the watch parser.
#pragma once

#include <afx.h>

// TRUE when `text` has one of the three forms; the "#" form is rewritten in place to
// "NAME (global)". A name is a run of letters, digits and underscores that does not begin
// with a digit; blanks may stand between the parts. A name with a scope in parentheses
// other than "global" is no scoped symbol, and the other forms are not tried.
BOOL IsScopedSymbolText(CString &text);

// TRUE when `text` has the form in which a symbol entry is kept in watch files and the
// settings: a name, one blank and the scope text that the symbol server answered for it
// ("*" for a name looked up in every scope), which the symbol server reads back.
BOOL IsStoredSymbolText(const CString &text);
