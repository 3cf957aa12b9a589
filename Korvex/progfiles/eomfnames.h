// The value-name tables by which the EOMF dump prints numbers as names (ValueName of
// dumpnames.h; the address modes and section types are symbolcodes.h's).
#pragma once

#include "valuenames.h"

extern const QEL_VALUE_NAME g_eomfRecordTypeNames[];
extern const QEL_VALUE_NAME g_eomfDependencyKindNames[];
extern const QEL_VALUE_NAME g_eomfCommentClassNames[];
extern const QEL_VALUE_NAME g_eomfTypeDescriptorNames[];
extern const QEL_VALUE_NAME g_eomfParameterKindNames[];
extern const QEL_VALUE_NAME g_eomfPointerAttributeNames[];
extern const QEL_VALUE_NAME g_eomfArrayAttributeNames[];
extern const QEL_VALUE_NAME g_eomfFunctionAttributeNames[];
extern const QEL_VALUE_NAME g_eomfStructKindNames[];
extern const QEL_VALUE_NAME g_eomfBaseTypeNames[];
extern const QEL_VALUE_NAME g_eomfSymbolKindNames[];
extern const QEL_VALUE_NAME g_eomfMemoryModelNames[];
extern const QEL_VALUE_NAME g_eomfStackSizeNames[];
extern const QEL_VALUE_NAME g_eomfSectionTypeNames[];
