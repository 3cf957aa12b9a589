// The DAO class library over SQLite: the engine, workspaces, databases, table and
// query definitions, recordsets and fields that the symbol database and the controller
// engine use, with DAO's names, signatures and error numbers.
//
// Databases are SQLite files of this engine's own format (see databaseimpl.h), not
// Jet files. Jet SQL is translated when a query is opened (jetsql.h); LIKE has Jet's
// wildcards (jetlike.h); text compares blind to case.
#pragma once

#include <ole2.h>

#include "afxstring.h"

#include "daoconst.h"
#include "daoerror.h"
#include "daovariant.h"
#include "daofield.h"
#include "daotabledef.h"
#include "daorecordset.h"
#include "daoquerydef.h"
#include "daodatabase.h"
#include "daoengine.h"
