#pragma once

// qelhost eval FILE [--core CORE] [--pc ADDR] [--scope NAME] EXPR...: each expression's
// value on the program's simulated target, as the host's expression object gives it.
int EvaluateWatchTexts(int argc, char **argv);
