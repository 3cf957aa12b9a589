// The constants of the DAO class library that the system passes.
#pragma once

// Workspace types.
#define dbUseJet 2L

// Recordset types.
#define dbOpenTable 1L
#define dbOpenDynaset 2L
#define dbOpenSnapshot 4L

// Recordset options.
#define dbReadOnly 4L

// Options of CreateDatabase. The file is not encrypted: the option is accepted so that
// the system's calls stand as they are (see the README).
#define dbEncrypt 2L

// Options of Execute.
#define dbFailOnError 128L

// Update and CancelUpdate.
#define dbUpdateRegular 1L

// Field types.
#define dbBoolean 1
#define dbLong 4
#define dbDate 8
#define dbText 10

// Field attributes. dbFixedField and dbVariableField are kept as given and mean nothing
// more here, as they mean nothing more to Jet's own files.
#define dbFixedField 1L
#define dbVariableField 2L
#define dbAutoIncrField 16L

// The locale text of CreateDatabase for the general sort order of code page 1252.
#define dbLangGeneral ";LANGID=0x0409;CP=1252;COUNTRY=0"
