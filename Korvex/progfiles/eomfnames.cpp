#include "eomfnames.h"

const QEL_VALUE_NAME g_eomfRecordTypeNames[] = {
    {0x30, "RTXDEF"}, {0x70, "DEPLST"}, {0x72, "REGMSK"},  {0x7C, "BLKEND"}, {0x80, "THEADR"}, {0x82, "LHEADR"},
    {0x88, "COMMENT"}, {0x8A, "MODEND"}, {0x8C, "EXTDEF"}, {0x94, "LINNUM"}, {0x96, "LNAMES"}, {0xA6, "LIBNAM"},
    {0xA8, "LIBLOC"}, {0xAA, "LIBDIC"}, {0xB0, "SECDEF"},  {0xB1, "GRPDEF"}, {0xB2, "TYPDEF"}, {0xB3, "PUBDEF"},
    {0xB4, "FIXUPP"}, {0xB5, "LOCSYM"}, {0xB6, "DEBSYM"},  {0xB7, "BLKDEF"}, {0xB8, "LEDATA"}, {0xB9, "PEDATA"},
    {0xBA, "LIBHDR"}, {0xC5, "XSECDEF"}, {0xE0, "PHEADR"}, {0xE1, "TSKDEF"}, {0xE2, "TSKEND"}, {0xE3, "REGDEF"},
    {0xE4, "PECDEF"}, {0xE5, "SSKDEF"}, {0xE6, "GLBDEF"},  {0xE7, "MODINF"}, {0xE9, "VECTAB"}, {0xF0, "TYPNEW"},
    {0, nullptr},
};

const QEL_VALUE_NAME g_eomfDependencyKindNames[] = {
    {0, "Output file"},       {1, "Input file"},          {2, "Include file"}, {3, "Command file"},
    {4, "Object input file"}, {0xFF, "Command line"},     {0, nullptr},
};

const QEL_VALUE_NAME g_eomfCommentClassNames[] = {{0, "Translator"}, {0x4B, "Input file"}, {0, nullptr}};

const QEL_VALUE_NAME g_eomfTypeDescriptorNames[] = {
    {0x20, "Component list"}, {0x21, "Pointer"},      {0x22, "Array"}, {0x23, "Function"},
    {0x24, "Struct/Union"},   {0x25, "Bitfield"},     {0, nullptr},
};

const QEL_VALUE_NAME g_eomfParameterKindNames[] = {
    {1, "Register bit"}, {2, "Stack variable"}, {3, "Register"}, {0, nullptr}};

const QEL_VALUE_NAME g_eomfPointerAttributeNames[] = {
    {3, "Data near"}, {4, "Function near"}, {5, "Data far"}, {6, "Function far"},
    {9, "Data huge"}, {0xD, "Data xhuge"},  {0, nullptr},
};

const QEL_VALUE_NAME g_eomfArrayAttributeNames[] = {
    {0, "near (<= 16k)"}, {1, "huge (<= 64k)"}, {2, "xhuge (<= 16M"}, {0, nullptr}};

const QEL_VALUE_NAME g_eomfFunctionAttributeNames[] = {{1, "near"}, {2, "far"}, {0, nullptr}};

const QEL_VALUE_NAME g_eomfStructKindNames[] = {{1, "struct"}, {2, "union"}, {0, nullptr}};

const QEL_VALUE_NAME g_eomfBaseTypeNames[] = {
    {0x40, "untyped"}, {0x41, "bit"},     {0x42, "char"},    {0x43, "unsigned char"}, {0x44, "int"},
    {0x45, "unsigned int"}, {0x46, "long"}, {0x47, "unsigned long"}, {0x48, "float"}, {0x49, "double"},
    {0x4A, "void"},    {0x4B, "label"},   {0x4C, "bitword"}, {0x4D, "near"},  {0x4E, "far"},
    {0x4F, "data3"},   {0x50, "data4"},   {0x51, "data8"},   {0x52, "data16"}, {0x53, "intno"},
    {0x54, "regbank"}, {0, nullptr},
};

const QEL_VALUE_NAME g_eomfSymbolKindNames[] = {
    {0, "BIT"},      {1, "VARIABLE"}, {2, "LABEL"},             {3, "REGBANK"}, {4, "INTERRUPT NUMBER"},
    {5, "CONSTANT"}, {6, "REGISTER VARIABLE"}, {7, "STACK VARIABLE"}, {0, nullptr},
};

const QEL_VALUE_NAME g_eomfMemoryModelNames[] = {
    {1, "TINY"}, {2, "SMALL"}, {3, "COMPACT"}, {4, "MEDIUM"}, {5, "LARGE"}, {6, "HCOMPACT"}, {7, "HLARGE"},
    {0, nullptr},
};

const QEL_VALUE_NAME g_eomfStackSizeNames[] = {
    {0, "256"}, {1, "128"}, {2, "64"}, {3, "32"}, {4, "512"}, {5, "invalid"}, {6, "invalid"}, {7, "wrap around"},
    {0, nullptr},
};

const QEL_VALUE_NAME g_eomfSectionTypeNames[] = {{0, "BIT"}, {1, "DATA"}, {2, "CODE"}, {3, "CONST"}, {0, nullptr}};
