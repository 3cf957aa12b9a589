// The one-line text of a watch parse tree, as qelhost parse prints it: an operator node
// is "(CODE c1 c2)", with a third child for the conditional only and "-" for a NULL
// child; an integer is its decimal value, a floating constant "F:" and its "%.17g"
// text, a type name "T:NAME", a keyword or pointer mark "K:CODE", an identifier its
// name.
#pragma once

#include "watchparsenode.h"

#include <string>

std::string WatchTreeText(const WatchParseNode *node);
