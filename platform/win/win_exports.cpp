#include "basetypes.h"
