#include "gnu166format.h"

#include <afx.h>

DWORD ReadGnu166Word(const BYTE *p)
{
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}

Gnu166Header ReadGnu166Header(const BYTE *p)
{
    Gnu166Header header;
    const DWORD first = ReadGnu166Word(p);
    header.Magic = first & 0xFFFF;
    header.Code = static_cast<BYTE>(first >> 16);
    header.Model = static_cast<BYTE>(first >> 24);
    header.Text = ReadGnu166Word(p + 4);
    header.Data = ReadGnu166Word(p + 8);
    header.Bss = ReadGnu166Word(p + 12);
    header.Symbols = ReadGnu166Word(p + 16);
    header.Start = ReadGnu166Word(p + 20);
    header.TextRelocations = ReadGnu166Word(p + 24);
    header.DataRelocations = ReadGnu166Word(p + 28);
    return header;
}

Gnu166Symbol ReadGnu166Symbol(const BYTE *p)
{
    Gnu166Symbol symbol;
    symbol.NameOffset = ReadGnu166Word(p);
    symbol.Type = p[4];
    symbol.Other = p[5];
    symbol.Description = static_cast<WORD>(p[6] | p[7] << 8);
    symbol.Value = ReadGnu166Word(p + 8);
    return symbol;
}

CString Gnu166HeaderRefusal(const Gnu166Header &header)
{
    CString reason;
    if (header.Magic != GNU166_MAGIC)
        reason.Format("it is no GNU C166 file (its magic is %Xh, not 107h)", static_cast<unsigned>(header.Magic));
    else if (header.Model != GNU166_MODEL_SMALL && header.Model != GNU166_MODEL_COMPACT &&
             header.Model != GNU166_MODEL_SPECIAL_MEDIUM && header.Model != GNU166_MODEL_LARGE)
        reason.Format("its memory model %u is none of 0, 1, 2 and 4", header.Model);
    else if (header.Code != 0x66 && header.Code != 0xCA && header.Code != 0xCB && header.Code != 0xFD)
        reason.Format("its code %Xh names no C167 call convention that is read", header.Code);
    return reason;
}

const QEL_VALUE_NAME g_gnu166CodeNames[] = {
    {0x64, "C166"},
    {0x65, "C166 call sequences"},
    {0x66, "C167 call sequences"},
    {0x97, "C167 AUMA Riester"},
    {0x98, "C167 HTCP board"},
    {0x99, "C167"},
    {0x9A, "C166 Kloeckner Moeller"},
    {0x9B, "C167 Kloeckner Moeller"},
    {0xC8, "C166 regparm"},
    {0xC9, "C166 call sequences regparm"},
    {0xCA, "C167 call sequences regparm"},
    {0xCB, "C167 regparm - 1.2 rets calls"},
    {0xFB, "C167 AUMA Riester regparm"},
    {0xFC, "C167 HTCP board regparm"},
    {0xFD, "C167 regparm"},
    {0xFE, "C166 Kloeckner Moeller regparm"},
    {0xFF, "C166 Kloeckner Moeller regparm"},
    {0, nullptr},
};

const QEL_VALUE_NAME g_gnu166ModelNames[] = {
    {0, "small"}, {1, "compact"}, {2, "special medium"}, {4, "large"}, {0, nullptr},
};

const QEL_VALUE_NAME g_gnu166SymbolTypeNames[] = {
    {0, "N_UNDF (undefined symbol)"},
    {1, "N_EXT (external symbol)"},
    {2, "N_ABS (absolute value)"},
    {3, "N_ABS | N_EXT"},
    {4, "N_TEXT (code symbol)"},
    {5, "N_TEXT | N_EXT"},
    {6, "N_DATA (data symbol)"},
    {7, "N_DATA | N_EXT"},
    {8, "N_BSS (bss symbol)"},
    {9, "N_BSS | N_EXT"},
    {0xF, "N_FN (filename symbol"},
    {0, nullptr},
};

const QEL_VALUE_NAME g_gnu166StabNames[] = {
    {0x20, "N_GSYM (global symbol - name only)"},
    {0x24, "N_FUN (function)"},
    {0x26, "N_STSYM (static symbol)"},
    {0x28, "N_LCSYM (static symbol)"},
    {0x40, "N_RSYM (register variable)"},
    {0x44, "N_SLINE (line number)"},
    {0x64, "N_SO (main source file)"},
    {0x80, "N_LSYM (automatic variable / type description)"},
    {0x84, "N_SOL (sub source file)"},
    {0xA0, "N_PSYM (parameter variable)"},
    {0xC0, "N_LBRAC (begin of lexical block)"},
    {0xE0, "N_RBRAC (end of lexical block)"},
    {0, nullptr},
};

const QEL_VALUE_NAME g_gnu166SectionTypeNames[] = {
    {1, "Code"}, {2, "Data"}, {4, "BSS"}, {0xB, "Special jumps"}, {0, nullptr},
};
