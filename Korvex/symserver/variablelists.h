// What the variable handlers (codes 401 to 409) share. A handler may run several parts
// (code 409: the block's variables, then the module's statics, then the globals), and
// each part appends its entries to the array that the parts before it left in the
// request.
#pragma once

#include "queryrows.h"

#include <tagreaders.h>

typedef CArray<VariableTag, VariableTag &> VariableArray;

// The request's variable array: the one an earlier part set, else a new one.
VariableArray &VariableResult(CSymbolRequest &request);

// The type words and text of the variable's packed type index.
void DescribeVariable(CSymbolEngine &engine, VariableTag &variable);

// Appends every row of `query` (a query of Symbols rows) in its order, each with its
// scope text; only the first gets its type described, since a list can be long and a
// client asks for the type of the entry it selects. The module of the first row is read
// first when it has not been, so that the types it refers to are there.
void AppendVariables(CSymbolEngine &engine, CSymbolRequest &request, CStoredQuery &query);

// Appends the row that `row` stands on, with its scope text and type.
void AppendVariable(CSymbolEngine &engine, CSymbolRequest &request, CDBSymbolInfo &row);
