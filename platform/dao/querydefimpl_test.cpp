#include "daotestfolder.h"

#include <vector>

using namespace qeldaotest;

namespace {

// The symbol database's tables: per field its name, type and flags (r Required,
// z AllowZeroLength, a auto-increment); per index its name, kind (p primary and
// unique, u unique, n neither) and fields.
struct FieldSpec {
    const char *name;
    LONG type;
    const char *flags;
};
struct IndexSpec {
    const char *name;
    char kind;
    std::vector<const char *> fields;
};
struct TableSpec {
    const char *name;
    std::vector<FieldSpec> fields;
    std::vector<IndexSpec> indexes;
};

const LONG L = dbLong, T = dbText, D = dbDate, B = dbBoolean;

const std::vector<TableSpec> kTables = {
    {"Version", {{"Version", L, "r"}, {"CreationTime", D, "r"}}, {}},
    {"Program",
     {{"ProgramIndex", L, "r"}, {"Name", T, "z"}, {"Type", L, "r"}, {"ModifiedTime", D, "r"}, {"Source", T, "r"},
      {"EntryPoint", T, "z"}, {"MainFunction", T, "z"}, {"AlternateEntryPoint", T, "z"},
      {"AlternateMainFunction", T, "z"}, {"Analyzed", B, "r"}},
     {{"ProgramIndexKey", 'p', {"ProgramIndex"}}}},
    {"Sections",
     {{"SectionIndex", L, "r"}, {"Name", T, "z"}, {"Type", L, ""}, {"AddressMode", L, ""}, {"AddressValue", L, ""},
      {"Length", L, ""}},
     {{"SectionIndexKey", 'p', {"SectionIndex"}}}},
    {"Moduls", {{"ModulIndex", L, "r"}, {"Name", T, "z"}, {"Offset", L, ""}, {"Analyzed", B, "r"}},
     {{"ModulIndexKey", 'p', {"ModulIndex"}}}},
    {"SourceFiles",
     {{"SourceFileIndex", L, "r"}, {"Type", L, ""}, {"Name", T, "rz"}, {"EntryInFile", T, "r"}, {"Analyzed", B, "r"}},
     {{"SourceFileIndexKey", 'p', {"SourceFileIndex"}}, {"EntryInFileKey", 'u', {"EntryInFile"}}}},
    {"SourceLines",
     {{"SourceLineIndex", L, "ra"}, {"SourceLine", L, "r"}, {"AddressMode", L, "r"}, {"AddressValue", L, "r"},
      {"Length", L, "r"}, {"SectionIndex", L, "r"}, {"SourceFileIndex", L, "r"}},
     {{"SourceLineIndexKey", 'p', {"SourceLineIndex"}}, {"SectionIndexKey", 'n', {"SectionIndex"}}}},
    {"Functions",
     {{"FunctionIndex", L, "r"}, {"Name", T, "r"}, {"NameString", T, "z"}, {"AddressMode", L, "r"},
      {"AddressValue", L, "r"}, {"Length", L, "r"}, {"SectionIndex", L, "r"}, {"ReturnType", L, ""},
      {"Scope", L, ""}, {"CallType", L, ""}},
     {{"FunctionIndexKey", 'p', {"FunctionIndex"}}}},
    {"ModulSectionRelation", {{"ModulIndex", L, "r"}, {"SectionIndex", L, "r"}},
     {{"ModulSectionKey", 'p', {"ModulIndex", "SectionIndex"}}}},
    {"ModulSourceFileRelation", {{"ModulIndex", L, "r"}, {"SourceFileIndex", L, "r"}},
     {{"ModulSourceFileKey", 'p', {"ModulIndex", "SourceFileIndex"}}}},
    {"SectionSourceFileRelation", {{"SectionIndex", L, "r"}, {"SourceFileIndex", L, "r"}},
     {{"SectionSourceFileKey", 'p', {"SectionIndex", "SourceFileIndex"}}}},
    {"RegisterMap", {{"Name", T, "r"}, {"Number", L, "r"}}, {}},
    {"Symbols",
     {{"SymbolIndex", L, "ra"}, {"ModulIndex", L, "r"}, {"SymbolID", L, "r"}, {"ScopeIndex", L, "r"},
      {"Name", T, "z"}, {"NameString", T, "z"}, {"Data_1", L, "r"}, {"Data_2", L, ""}, {"Data_3", L, ""},
      {"Data_4", L, ""}, {"Data_5", L, ""}, {"Data_6", L, ""}},
     {{"SymbolIndexkey", 'p', {"SymbolIndex"}}}},
    {"Types",
     {{"TypeIndex", L, "r"}, {"ModulIndex", L, "r"}, {"TypeID", L, "r"}, {"Name", T, "z"}, {"Data_1", L, "r"},
      {"Data_2", L, ""}, {"Data_3", L, ""}, {"Data_4", L, ""}},
     {{"TypeIndexKey", 'p', {"TypeIndex"}}, {"Data_4Key", 'n', {"Data_4"}}}},
};

// The stored queries of the symbol database, in the order the schema makes them.
const char *const kQueries[][2] = {
    {"$FirstFunctionOfModul",
     "PARAMETERS [_ModulIndex] Long; SELECT * FROM Functions WHERE Functions.FunctionIndex In (SELECT MIN(Functions.FunctionIndex)  FROM Functions WHERE ABS(Functions.Scope)=[_ModulIndex]);"},
    {"$GlobalsAndStaticsOfModul",
     "PARAMETERS [_ModulIndex] Long; SELECT * FROM Symbols WHERE ModulIndex=[_ModulIndex] AND SymbolID IN (3,4,5,6,13) ORDER BY SymbolIndex;"},
    {"SectionByName",
     "PARAMETERS [_Name] Text; SELECT * FROM Sections WHERE (((Sections.Name) LIKE [_Name]));"},
    {"SectionByAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Sections WHERE Sections.AddressMode = [_AddressMode] AND Sections.AddressValue <= [_AddressValue] AND [_AddressValue] < (Sections.AddressValue + Sections.Length);"},
    {"$SectionOverlap",
     "PARAMETERS [_AddressMode] Long, [_AddressValue1] Long, [_AddressValue2] Long; SELECT * FROM Sections WHERE (Sections.AddressMode=[_AddressMode])  AND ( (Sections.AddressValue<=[_AddressValue1] AND [_AddressValue1]<Sections.AddressValue+Sections.Length) OR([_AddressValue1]<=Sections.AddressValue AND Sections.AddressValue+Sections.Length<[_AddressValue1]) OR (Sections.AddressValue<=[_AddressValue2] AND  [_AddressValue2]<Sections.AddressValue+Sections.Length) OR ([_AddressValue2]<=Sections.AddressValue AND Sections.AddressValue+Sections.Length<[_AddressValue2]));"},
    {"$SectionAscending",
     "SELECT * FROM Sections ORDER BY [AddressMode], [AddressValue];"},
    {"SourceFilesWithSourceLines",
     "SELECT * FROM SourceFiles WHERE SourceFiles.Type>=1000;"},
    {"SourceFileByPath",
     "SELECT SourceFiles.Name, SourceFiles.Type, SourceFiles.EntryInFile, SourceFiles.Analyzed, [$SourceLinesOfSourceFile].SourceLine, [$SourceLinesOfSourceFile].AddressMode, [$SourceLinesOfSourceFile].AddressValue, [$SourceLinesOfSourceFile].Length, [$SourceLinesOfSourceFile].SourceFileIndex FROM SourceFiles, [$SourceLinesOfSourceFile] WHERE SourceFiles.SourceFileIndex= [$SourceLinesOfSourceFile].SourceFileIndex AND SourceLine In (SELECT MIN(SourceLine) FROM [$SourceLinesOfSourceFile]);"},
    {"SourceFileByAddress",
     "SELECT SourceFiles.Name, SourceFiles.Type, SourceFiles.EntryInFile, SourceFiles.Analyzed, [$SourceLineOfAddress].SourceLine, [$SourceLineOfAddress].AddressMode, [$SourceLineOfAddress].AddressValue, [$SourceLineOfAddress].Length, [$SourceLineOfAddress].SourceFileIndex\nFROM SourceFiles, [$SourceLineOfAddress]\nWHERE [$SourceLineOfAddress].SourceFileIndex = SourceFiles.SourceFileIndex;\n"},
    {"$SourceFilesOfSection",
     "PARAMETERS [_SectionIndex] Long; SELECT * FROM SourceFiles WHERE SourceFiles.SourceFileIndex In (SELECT SourceFiles.SourceFileIndex FROM SourceFiles, SectionSourceFileRelation WHERE SectionSourceFileRelation.SourceFileIndex=SourceFiles.SourceFileIndex AND SectionSourceFileRelation.SectionIndex=[_SectionIndex]);"},
    {"$SourceFileByDataAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM SourceFiles WHERE SourceFiles.SourceFileIndex IN (SELECT SourceFileIndex FROM SectionSourceFileRelation, SectionByAddress WHERE SectionSourceFileRelation.SectionIndex=SectionByAddress.SectionIndex);"},
    {"$SourceFileForLocation",
     "SELECT [SourceFiles].[Name],[SourceFiles].[Type],[SourceFiles].[EntryInFile],[SourceFiles].[Analyzed],[$SourceLineOfAddress].[SourceLine],[$SourceLineOfAddress].[AddressMode],[$SourceLineOfAddress].[AddressValue],[$SourceLineOfAddress].[Length],[$SourceLineOfAddress].[SourceFileIndex],[$SourceLineOfAddress].[SectionIndex] FROM SourceFiles, [$SourceLineOfAddress] WHERE ((([$SourceLineOfAddress].[SourceFileIndex])=[SourceFiles].[SourceFileIndex]));"},
    {"LocationByAddress",
     "SELECT [$SourceFileForLocation].Name,[$SourceFileForLocation].Type,[$SourceFileForLocation].EntryInFile,[$SourceFileForLocation].Analyzed,[$SourceFileForLocation].SourceLine,[$SourceFileForLocation].AddressMode,[$SourceFileForLocation].AddressValue,[$SourceFileForLocation].Length,SectionByAddress.Name,SectionByAddress.Type,SectionByAddress.AddressMode,SectionByAddress.AddressValue,SectionByAddress.Length FROM [$SourceFileForLocation] RIGHT JOIN SectionByAddress ON [$SourceFileForLocation].SectionIndex=[SectionByAddress].[SectionIndex];"},
    {"FunctionByName",
     "PARAMETERS [_Name] Text; SELECT * FROM Functions WHERE NameString LIKE [_Name];"},
    {"FunctionByAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Functions WHERE (((Functions.AddressMode)=[_AddressMode]) AND ((Functions.AddressValue)<=[_AddressValue]) AND (([_AddressValue])<([Functions].[AddressValue]+[Functions].[Length])));"},
    {"FunctionsOfSourceFile",
     "PARAMETERS [_Path] Text; SELECT * FROM Functions WHERE Functions.SectionIndex IN (SELECT SectionIndex FROM SectionSourceFileRelation, SourceFilesWithSourceLines WHERE SectionSourceFileRelation.SourceFileIndex=SourceFilesWithSourceLines.SourceFileIndex  AND (SourceFilesWithSourceLines.Name=[_Path] OR SourceFilesWithSourceLines.EntryInFile=[_Path]));"},
    {"FunctionByNameAndPath",
     "PARAMETERS [_Name] Text, [_Path] Text; SELECT * FROM Functions WHERE Functions.Name Like [_Name] AND (Functions.Scope= (SELECT ModulIndex FROM ModulSourceFileRelation WHERE ModulSourceFileRelation.SourceFileIndex= (SELECT SourceFileIndex FROM SourceFiles WHERE Name=[_Path] OR EntryInFile=[_Path])));"},
    {"$FunctionAddressFromNames",
     "PARAMETERS [_ModulName] Text, [_FunctionName] Text; SELECT AddressMode, AddressValue FROM Functions WHERE [_FunctionName]=Functions.Name AND (Functions.Scope=(SELECT ModulIndex FROM Moduls WHERE Name=[_ModulName]) OR Functions.Scope=-(SELECT ModulIndex FROM Moduls WHERE Name=[_ModulName]));"},
    {"$SourceLineOfAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT [SourceLines].[SourceLineIndex], [SourceLines].[SourceLine], [SourceLines].[AddressMode], [SourceLines].[AddressValue], [SourceLines].[Length], [SourceLines].[SectionIndex], [SourceLines].[SourceFileIndex] FROM SourceLines, SectionByAddress WHERE ((SourceLines.SectionIndex=SectionByAddress.SectionIndex AND  (SourceLines.AddressMode)=[_AddressMode]) AND ((SourceLines.AddressValue) In (SELECT MAX(SourceLines.AddressValue) FROM SourceLines WHERE SourceLines.AddressValue <= [_AddressValue])));"},
    {"$SourceLinesOfSourceFile",
     "PARAMETERS [_Path] Text; SELECT * FROM SourceLines\nWHERE (((SourceLines.SourceFileIndex)=(SELECT SourceFileIndex FROM SourceFiles WHERE (Name=[_Path] OR EntryInFile=[_Path])))) ORDER BY SourceLines.AddressValue, SourceLines.SourceLineIndex;\n"},
    {"$SourceLineRangesByIndex",
     "PARAMETERS [_SourceFileIndex] Long, [_SourceLine] Long; SELECT * FROM SourceLines WHERE SourceFileIndex=[_SourceFileIndex] AND SourceLine=[_SourceLine];"},
    {"$SourceLinesOfSourceFile2",
     "PARAMETERS [_SourceFileIndex] Long; SELECT * FROM SourceLines WHERE (((SourceLines.SourceFileIndex)=[_SourceFileIndex])) ORDER BY SourceLines.AddressValue, SourceLines.SourceLineIndex;\n"},
    {"$SourceLineOfFunctionByAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT [FunctionByAddress].[Name], [$SourceLinesOfAddress].[SourceLine] FROM FunctionByAddress, [$SourceLinesOfAddress] WHERE [FunctionByAddress].[AddressMode]=[$SourceLinesOfAddress].[AddressMode] And [FunctionByAddress].[AddressValue]=[$SourceLinesOfAddress].[AddressValue];"},
    {"$SourceLineOfFunctionByNames",
     "SELECT SourceLines.SourceFileIndex, SourceLines.SourceLine, SourceLines.SectionIndex FROM SourceLines, [$FunctionAddressFromNames] WHERE (((SourceLines.AddressMode)=[$FunctionAddressFromNames].[AddressMode]) AND ((SourceLines.AddressValue)=[$FunctionAddressFromNames].[AddressValue]) AND SourceLines.Length <> -1);"},
    {"$SourceLinesOfAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT [SourceLines].[SourceLineIndex], [SourceLines].[SourceLine], [SourceLines].[AddressMode], [SourceLines].[AddressValue], [SourceLines].[Length], [SourceLines].[SectionIndex], [SourceLines].[SourceFileIndex] FROM SourceLines, SectionByAddress WHERE [SourceLines].[SectionIndex]=[SectionByAddress].[SectionIndex] And [SourceLines].[AddressMode]=[_AddressMode] And [SourceLines].[AddressValue]<=[_AddressValue] And [SourceLines].[Length]<>-1;"},
    {"$SourceLinesInRange",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long, [_Length] Long; SELECT [SourceFiles].[Name], [SourceFiles].[Type], [SourceFiles].[EntryInFile], [SourceFiles].[Analyzed], [SourceLines].[SourceLine], [SourceLines].[AddressMode], [SourceLines].[AddressValue], [SourceLines].[Length], [SourceLines].[SourceFileIndex], [SourceLines].[SectionIndex] FROM SourceFiles, SourceLines WHERE [SourceLines].[SourceFileIndex] In (SELECT SourceFileIndex FROM SourceLines WHERE  [SourceLines].[AddressMode]=[_AddressMode] And [SourceLines].[AddressValue]>=[_AddressValue] And [SourceLines].[AddressValue] < ([_AddressValue]+[_Length])) And [SourceLines].[SourceFileIndex]=[SourceFiles].[SourceFileIndex]\nORDER BY  [SourceLines].[SourceLine], [SourceLines].[AddressValue];"},
    {"GlobalLabelByName",
     "PARAMETERS [_Name] Text; SELECT * FROM Symbols WHERE SymbolID=13 AND NameString Like [_Name];"},
    {"GlobalLabelByAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Symbols WHERE SymbolID=13 AND Data_2=[_AddressMode] AND Data_3=[_AddressValue];"},
    {"StaticLabelByAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Symbols WHERE (SymbolID=14 OR SymbolID=9) AND Data_2=[_AddressMode] AND Data_3=[_AddressValue];"},
    {"LabelByAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Symbols WHERE ((Symbols.SymbolID IN (9,13,14)) AND Symbols.Data_2=[_AddressMode] AND Symbols.Data_3=[_AddressValue]) ORDER BY SymbolID;"},
    {"CodeLabels",
     "PARAMETERS [_Name] Text ( 255 ); SELECT * FROM Symbols WHERE [Symbols].[SymbolID] In (9,13,14) And [Symbols].[NameString] Like [_Name] ORDER BY [Symbols].[Data_2], [Symbols].[Data_3];"},
    {"DeleteModulSymbols",
     "PARAMETERS [_ModulIndex] Long; DELETE * FROM Symbols WHERE ModulIndex=[_ModulIndex] AND SymbolID NOT IN (3,4,5,6,13);"},
    {"DeleteModulTypes",
     "PARAMETERS [_ModulIndex] Long; DELETE * FROM Types WHERE ModulIndex= [_ModulIndex];"},
    {"$ModulByAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT Moduls.ModulIndex, Moduls.Name, Moduls.Offset, Moduls.Analyzed FROM Moduls, ModulSectionRelation, SectionByAddress WHERE Moduls.ModulIndex=ModulSectionRelation.ModulIndex AND ModulSectionRelation.SectionIndex=[SectionByAddress].SectionIndex;"},
    {"$BlocksByAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Symbols WHERE (((Symbols.SymbolID)=8) AND ((Symbols.Data_2)=[_AddressMode]) AND ((Symbols.Data_3)<=[_AddressValue]) AND (([_AddressValue])<([Data_3]+[Data_4])));"},
    {"$BlockByIndex",
     "PARAMETERS [_ModulIndex] Long, [_BlockIndex] Long; SELECT Functions.Name, Symbols.Data_1, Functions.Scope FROM Symbols, Functions WHERE Symbols.ModulIndex=[_ModulIndex] AND Symbols.ScopeIndex=[_BlockIndex] AND Symbols.SymbolID=8 AND Symbols.Data_2=Functions.AddressMode AND Functions.AddressValue <= Symbols.Data_3 AND Symbols.Data_3 < (Functions.AddressValue + Functions.Length);\n"},
    {"$ModulByPath",
     "PARAMETERS [_Path] Text; SELECT * FROM Moduls WHERE ModulIndex IN (SELECT ModulIndex FROM ModulSourceFilerelation WHERE  SourceFileIndex = (SELECT SourceFiles.SourceFileIndex FROM SourceFiles WHERE Name=[_Path] Or EntryInFIle =[_Path]));"},
    {"$ModulByName",
     "PARAMETERS [_Name] Text ( 255 ); SELECT * FROM Moduls WHERE ((([Moduls].[Name]) Like [_Name]));"},
    {"$ModulsInRange",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long, [_Length] Long; SELECT Moduls.ModulIndex, Moduls.Name, Moduls.Offset, Moduls.Analyzed FROM Moduls, ModulSectionRelation WHERE (((Moduls.ModulIndex)=[ModulSectionRelation].[ModulIndex]) AND ((ModulSectionRelation.SectionIndex) In (SELECT SectionIndex From Sections WHERE (AddressMode=[_AddressMode] AND Type=1 AND ((([_AddressValue] <= AddressValue) AND (AddressValue <= ([_AddressValue]+[_Length])) )OR(([_AddressValue] <= (AddressValue+Length-1))AND((AddressValue+Length-1) < ( [_AddressValue]+[_Length]))))))));"},
    {"Global_C_DataByName",
     "PARAMETERS [_Name] Text, [_Path] Text; SELECT * FROM Symbols WHERE ((([Symbols].[NameString]) Like [_Name]) AND (([Symbols].[SymbolID])=5) AND (([Symbols].[ModulIndex]) In (SELECT ModulIndex FROM ModulSourceFileRelation, SourceFiles WHERE ModulSourceFileRelation.SourceFileIndex=SourceFiles.SourcefileIndex AND  ((SourceFiles.Name LIKE [_Path]) OR (SourceFiles.EntryInFile LIKE [_Path])))));"},
    {"Global_ASS_DataByName",
     "PARAMETERS [_Name] Text; SELECT * FROM Symbols WHERE ((([Symbols].[SymbolID])=6) AND (([Symbols].[NameString]) Like [_Name]));"},
    {"Global_C_DataByScope",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long, [_Name] Text; SELECT * FROM Symbols WHERE ((([Symbols].[NameString]) Like [_NAME] And ([Symbols].[NameString]) Not In (SELECT NameString FROM Symbols WHERE ( (Symbols.SymbolID=1 AND Symbols.ScopeIndex In (SELECT FunctionIndex FROM FunctionByAddress)) OR ( (Symbols.SymbolID=2 OR Symbols.SymbolID=3) AND (Symbols.ScopeIndex In (SELECT ScopeIndex FROM [$BlocksByAddress]) AND Symbols.ModulIndex=(SELECT ModulIndex FROM [$BlocksByAddress]))) OR ( Symbols.SymbolID=4 AND Symbols.ScopeIndex In (SELECT ModulIndex FROM [$ModulByAddress]))) AND Symbols.NameString IN (SELECT NameString FROM Symbols WHERE Symbols.SymbolID=5))) AND (([Symbols].[SymbolID])=5)) ORDER BY Symbols.NameString;"},
    {"$VarEdVariables",
     "SELECT * FROM Symbols WHERE SymbolID=15 OR SymbolID=16;"},
    {"$VarEdMapping",
     "PARAMETERS [_SymbolIndex] Long; SELECT * FROM Symbols WHERE SymbolId=17 AND Data_1=[_SymbolIndex];"},
    {"Static_C_DataByName",
     "PARAMETERS [_Name] Text, [_Path] Text; SELECT * FROM Symbols WHERE (Symbols.SymbolID=3 OR Symbols.SymbolID=4) AND Symbols.NameString LIKE [_Name] AND (Symbols.ModulIndex In (SELECT ModulIndex FROM ModulSourceFileRelation, SourceFiles WHERE ModulSourceFileRelation.SourceFileIndex=SourceFiles.SourcefileIndex AND  ((SourceFiles.Name LIKE [_Path]) OR (SourceFiles.EntryInFile LIKE [_Path]))));"},
    {"Static_ASS_DataByName",
     "PARAMETERS [_Name] Text; SELECT * FROM Symbols WHERE Symbols.SymbolID=7 AND Symbols.NameString LIKE [_Name];"},
    {"ModulDataByScope",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long, [_Name] Text; SELECT * FROM Symbols WHERE (((Symbols.NameString) Like [_Name] And (Symbols.NameString) Not In (SELECT NameString FROM Symbols WHERE ((Symbols.SymbolID=1 AND Symbols.ScopeIndex IN(SELECT ScopeIndex FROM FunctionByAddress)) OR ((Symbols.SymbolID=2 OR Symbols.SymbolID=3) AND (Symbols.ScopeIndex IN(SELECT ScopeIndex FROM [$BlocksByAddress]) AND Symbols.ModulIndex=(SELECT ModulIndex FROM [$BlocksByAddress])))))) AND ((Symbols.SymbolID)=4) AND ((Symbols.ScopeIndex) In (SELECT ModulIndex FROM [$ModulByAddress]))) ORDER BY Symbols.NameString;\n"},
    {"FunctionDataByScope",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long, [_Name] Text; SELECT Symbols.SymbolIndex, Symbols.ModulIndex, Symbols.SymbolID, Symbols.ScopeIndex, Symbols.Name, Symbols.NameString, Symbols.Data_1, Symbols.Data_2, Symbols.Data_3, Symbols.Data_4, Symbols.Data_5, Symbols.Data_6 FROM Symbols, FunctionByAddress WHERE ( Symbols.NameString Like [_Name] AND (Symbols.SymbolID=1 AND Symbols.ScopeIndex=FunctionByAddress.FunctionIndex)) UNION ALL SELECT Symbols.SymbolIndex, Symbols.ModulIndex, Symbols.SymbolID, Symbols.ScopeIndex, Symbols.Name, Symbols.NameString, Symbols.Data_1, Symbols.Data_2, Symbols.Data_3, Symbols.Data_4, Symbols.Data_5, Symbols.Data_6 FROM Symbols, [$BlocksByAddress] WHERE ( Symbols.NameString Like [_Name] AND ((Symbols.SymbolID=2 OR Symbols.SymbolID=3) AND Symbols.ScopeIndex IN ([$BlocksByAddress].ScopeIndex) AND Symbols.ModulIndex=[$BlocksByAddress].ModulIndex )) ORDER BY NameString;"},
    {"ParameterOfFunction",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Symbols WHERE Symbols.SymbolID=1 AND Symbols.ScopeIndex In (SELECT FunctionIndex FROM FunctionByAddress);"},
    {"$FunctionDataLifeTime",
     "PARAMETERS [_ModulIndex] Long, [_LifetimeIndex] Long; SELECT * FROM Symbols WHERE ModulIndex=[_ModulIndex] AND SymbolID=12 AND ScopeIndex=[_LifeTimeIndex] ORDER BY Data_1;"},
    {"$TypeByIndex",
     "PARAMETERS [_TypeIndex] Long; SELECT * FROM Types WHERE TypeIndex=[_TypeIndex];"},
    {"$MembersOfStruct",
     "PARAMETERS [_TypeIndex] Long; SELECT * FROM Types WHERE TypeID=11 AND Data_4=[_TypeIndex] ORDER BY TypeIndex;"},
    {"$MembersOfEnum",
     "PARAMETERS [_TypeIndex] Long; SELECT * FROM Types WHERE TypeID=12 AND Data_4=[_TypeIndex] ORDER BY Data_1;"},
    {"$MembersOfClass",
     "PARAMETERS [_TypeIndex] Long; SELECT * FROM Types WHERE TypeID=13 AND Data_4=[_TypeIndex] ORDER BY Data_2;"},
    {"$TypeByName",
     "PARAMETERS [_Name] Text; SELECT * FROM Types WHERE Name=[_Name] AND TypeID IN (0,1,5,6,7,8);"},
    {"$StackAdjustByBlock",
     "PARAMETERS [_ModulIndex] Long, [_ScopeIndex] Long; SELECT * FROM Symbols WHERE Symbols.ModulIndex=[_ModulIndex] AND Symbols.SymbolID=11 AND Symbols.ScopeIndex In (SELECT Functions.FunctionIndex FROM Functions, Symbols WHERE Symbols.ModulIndex=[_ModulIndex] AND SymbolID=8 AND Symbols.ScopeIndex=[_ScopeIndex] AND Symbols.Data_2=Functions.AddressMode AND Functions.AddressValue <= Symbols.Data_3 AND Symbols.Data_3<Functions.AddressValue+Functions.Length) ORDER BY Data_3, Data_4;"},
    {"$StackAdjustByFunction",
     "PARAMETERS [_ModulIndex] Long, [_ScopeIndex] Long; SELECT * FROM Symbols WHERE ModulIndex=[_ModulIndex] AND SymbolID=11 AND ScopeIndex=[_ScopeIndex] ORDER BY Data_3, Data_4;"},
    {"BreakpointDescription",
     "SELECT [$ModulByAddress].[Name], [SourceFiles].[Name], [SourceFiles].[EntryInFile], [SourceLines].[SourceLine], [$SourceLineOfFunctionByAddress].[Name], [$SourceLineOfFunctionByAddress].[SourceLine], [$SourceLineOfAddress].[AddressMode], [SourceLines].[AddressValue], [SourceLines].[Length], [SourceFiles].[Analyzed] FROM SourceLines, [$SourceLineOfAddress], SourceFiles, [$SourceLineOfFunctionByAddress], [$ModulByAddress]\nWHERE [$SourceLineOfAddress].[SourceFileIndex]=[SourceFiles].[SourceFileIndex] And [SourceLines].[SourceLine]=[$SourceLineOfAddress].[SourceLine] And [SourceLines].[SourceFileIndex]=[$SourceLineOfAddress].[SourceFileIndex] ORDER BY [SourceLines].[AddressValue];"},
    {"BreakpointAddresses",
     "PARAMETERS [_LineOffset] Long; SELECT SourceLines.SourceLineIndex, SourceLines.SourceLine, SourceLines.AddressMode, SourceLines.AddressValue, SourceLines.Length, SourceLines.SectionIndex, SourceLines.SourceFileIndex FROM SourceLines, [$SourceLineOfFunctionByNames] WHERE (((SourceLines.SourceLine)=[$SourceLineOfFunctionByNames].[SourceLine]+[_LineOffset]) AND ((SourceLines.SourceFileIndex)=[$SourceLineOfFunctionByNames].[SourceFileIndex]) AND SourceLines.SectionIndex=[$SourceLineOfFunctionByNames].SectionIndex) ORDER BY SourceLines.AddressValue;"},
    {"NearestLabelByAddress",
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT [$ModulByAddress].[Name], [Symbols].[Name], [Symbols].[Data_2], [Symbols].[Data_3] FROM Symbols, [$ModulByAddress] WHERE (((Symbols.Data_2)=[_AddressMode]) AND ((Symbols.Data_3) In (SELECT MAX(Symbols.Data_3) FROM Symbols WHERE (Symbols.SymbolID=9 OR Symbols.SymbolID=13 OR Symbols.SymbolID=14) AND Symbols.Data_2=[_AddressMode] AND Symbols.Data_3 <= [_AddressValue])) AND (Symbols.SymbolID=9 OR Symbols.SymbolID=13 OR Symbols.SymbolID=14) AND ((Symbols.ModulIndex)=[$ModulByAddress].[ModulIndex])) ORDER BY [Symbols].[SymbolID];"},
    {"LabelByNames",
     "PARAMETERS [_ModulName] Text, [_LabelName] Text; SELECT * FROM Symbols WHERE (Symbols.SymbolID=9 OR Symbols.SymbolID=13 OR Symbols.SymbolID=14) AND ModulIndex IN (SELECT ModulIndex FROM Moduls WHERE Name=[_Modulname])\nAND NameString=[_LabelName];"},
    {"BreakpointAddressesHI",
     "PARAMETERS [_Path] Text, [_Line] Long; SELECT * FROM SourceLines WHERE SourceLines.SourceLine=[_Line] AND SourceLines.SourceFileIndex IN (SELECT SourceFileIndex FROM SourceFiles WHERE (Name LIKE [_Path] OR EntryInFile Like [_Path]));"},
    {"LabelByName",
     "PARAMETERS [_LabelName] Text;SELECT * FROM Symbols WHERE (Symbols.SymbolID=9 OR Symbols.SymbolID=13 OR Symbols.SymbolID=14) AND Symbols.NameString=[_LabelName];"},
};
class SymbolQueriesTest : public DaoTest {
protected:
    void SetUp() override
    {
        DaoTest::SetUp();
        m_db = NewDatabase();
        // The schema's order: the queries before the last tables.
        for (const TableSpec &tableSpec : kTables) {
            if (std::string(tableSpec.name) == "RegisterMap")
                for (const auto &query : kQueries)
                    m_db.CreateQueryDef(query[0], query[1]);
            CdbTableDef table = m_db.CreateTableDef(tableSpec.name);
            for (const FieldSpec &field : tableSpec.fields) {
                std::string flags = field.flags;
                AddField(table, field.name, field.type, flags.find('a') != std::string::npos ? dbAutoIncrField : 0,
                         flags.find('r') != std::string::npos, flags.find('z') != std::string::npos);
            }
            for (const IndexSpec &index : tableSpec.indexes) {
                CdbIndex x = table.CreateIndex(index.name);
                for (const char *name : index.fields) {
                    CdbField f = x.CreateField(name);
                    x.Fields.Append(f);
                }
                x.SetPrimary(index.kind == 'p');
                x.SetUnique(index.kind != 'n');
                table.Indexes.Append(x);
            }
            m_db.TableDefs.Append(table);
        }
    }
    void TearDown() override
    {
        m_db.Close();
        DaoTest::TearDown();
    }

    // Adds one record to a table; Booleans keep their False of a new record.
    void Add(const char *table, std::initializer_list<std::pair<const char *, CdbVariant>> values)
    {
        CdbRecordset rs = m_db.OpenRecordset(table);
        rs.AddNew();
        for (const auto &[field, value] : values)
            rs.SetField(field, &value);
        rs.Update();
    }

    static std::pair<const char *, CdbVariant> V(const char *field, LONG value) { return {field, CdbVariant(value)}; }
    static std::pair<const char *, CdbVariant> V(const char *field, const char *value)
    {
        return {field, CdbVariant(value)};
    }

    // One program: a code section with one module, one source file with two lines, a
    // function with a parameter, a block with a local, a label and a global.
    void AddProgram()
    {
        Add("Sections", {V("SectionIndex", 1), V("Name", ".text"), V("Type", 1), V("AddressMode", 1),
                         V("AddressValue", 0x1000), V("Length", 0x100)});
        Add("Moduls", {V("ModulIndex", 1), V("Name", "main.c"), V("Offset", 0)});
        Add("ModulSectionRelation", {V("ModulIndex", 1), V("SectionIndex", 1)});
        Add("SourceFiles", {V("SourceFileIndex", 1), V("Type", 1000), V("Name", "main.c"),
                            V("EntryInFile", "C:\\src\\main.c")});
        Add("ModulSourceFileRelation", {V("ModulIndex", 1), V("SourceFileIndex", 1)});
        Add("SectionSourceFileRelation", {V("SectionIndex", 1), V("SourceFileIndex", 1)});
        for (LONG line : {10, 11})
            Add("SourceLines", {V("SourceLine", line), V("AddressMode", 1), V("AddressValue", 0x1000 + 0x10 * (line - 10)),
                                V("Length", 0x10), V("SectionIndex", 1), V("SourceFileIndex", 1)});
        Add("Functions", {V("FunctionIndex", 1), V("Name", "main"), V("NameString", "\xEE\xE2\xEA\xEF"),
                          V("AddressMode", 1), V("AddressValue", 0x1000), V("Length", 0x100), V("SectionIndex", 1),
                          V("Scope", 1)});
        Add("Symbols", {V("ModulIndex", 1), V("SymbolID", 1), V("ScopeIndex", 1), V("Name", "argc"),
                        V("NameString", "\xE2\xF3\xE8\xE4"), V("Data_1", 0)});
        Add("Symbols", {V("ModulIndex", 1), V("SymbolID", 8), V("ScopeIndex", 5), V("Data_1", 1), V("Data_2", 1),
                        V("Data_3", 0x1000), V("Data_4", 0x100)});
        Add("Symbols", {V("ModulIndex", 1), V("SymbolID", 2), V("ScopeIndex", 5), V("Name", "i"),
                        V("NameString", "\xEA"), V("Data_1", 0)});
        Add("Symbols", {V("ModulIndex", 1), V("SymbolID", 13), V("ScopeIndex", 1), V("Name", "start"),
                        V("NameString", "\xF4\xF5\xE2\xF3\xF5"), V("Data_1", 0), V("Data_2", 1), V("Data_3", 0x1000)});
        Add("Symbols", {V("ModulIndex", 1), V("SymbolID", 5), V("ScopeIndex", 1), V("Name", "counter"),
                        V("NameString", "\xE4\xF0\xF6\xEF\xF5\xE6\xF3"), V("Data_1", 0)});
    }

    CdbQueryDef AtAddress(const char *query, LONG value)
    {
        CdbQueryDef q = m_db.QueryDefs[query];
        q.SetParamValue("_AddressMode", CdbVariant(1L));
        q.SetParamValue("_AddressValue", CdbVariant(value));
        return q;
    }

    CdbDatabase m_db;
};

TEST_F(SymbolQueriesTest, EveryStoredQueryOpens)
{
    for (const auto &query : kQueries) {
        SCOPED_TRACE(query[0]);
        try {
            m_db.QueryDefs[query[0]];
        } catch (const CdbException &e) {
            CdbLastOLEError info;
            ADD_FAILURE() << (e.m_hr & 0xFFFF) << " " << static_cast<LPCTSTR>(info.GetDescription());
        }
    }
}

TEST_F(SymbolQueriesTest, ParametersAndLocalsInScopeComeSortedByEncodedName)
{
    AddProgram();
    CdbQueryDef q = AtAddress("FunctionDataByScope", 0x1010);
    q.SetParamValue("_Name", CdbVariant("*"));
    CdbRecordset rs = q.OpenRecordset(dbOpenSnapshot);
    std::vector<std::string> names;
    for (; !rs.IsEOF(); rs.MoveNext())
        names.push_back(TextOf(rs.GetField("[Name]")));
    EXPECT_EQ(names, std::vector<std::string>({"argc", "i"}));
}

TEST_F(SymbolQueriesTest, TheLocationOfAnAddressBindsItsQualifiedColumns)
{
    AddProgram();
    CdbRecordset rs = AtAddress("LocationByAddress", 0x1014).OpenRecordset(dbOpenSnapshot);
    ASSERT_EQ(rs.GetRecordCount(), 1);
    EXPECT_EQ(TextOf(rs.GetField("[$SourceFileForLocation.Name]")), "main.c");
    EXPECT_EQ(TextOf(rs.GetField("[EntryInFile]")), "C:\\src\\main.c");
    EXPECT_EQ(LongOf(rs.GetField("[SourceLine]")), 11);
    EXPECT_EQ(LongOf(rs.GetField("[$SourceFileForLocation.AddressValue]")), 0x1010);
    EXPECT_EQ(TextOf(rs.GetField("[SectionByAddress.Name]")), ".text");
    EXPECT_EQ(LongOf(rs.GetField("[SectionByAddress.Length]")), 0x100);
}

TEST_F(SymbolQueriesTest, ABreakpointDescriptionNamesModuleFileLineAndFunction)
{
    AddProgram();
    CdbRecordset rs = AtAddress("BreakpointDescription", 0x1000).OpenRecordset(dbOpenSnapshot);
    ASSERT_EQ(rs.GetRecordCount(), 1);
    EXPECT_EQ(TextOf(rs.GetField("[$ModulByAddress.Name]")), "main.c");
    EXPECT_EQ(TextOf(rs.GetField("[SourceFiles.Name]")), "main.c");
    EXPECT_EQ(LongOf(rs.GetField("[SourceLines.SourceLine]")), 10);
    EXPECT_EQ(TextOf(rs.GetField("[$SourceLineOfFunctionByAddress.Name]")), "main");
    EXPECT_EQ(LongOf(rs.GetField("[$SourceLineOfFunctionByAddress.SourceLine]")), 10);
    EXPECT_EQ(rs.GetField("[Analyzed]").vt, VT_BOOL);
}

TEST_F(SymbolQueriesTest, AQueryNameResolvesBlindToCase)
{
    AddProgram();
    CdbQueryDef q = AtAddress("NearestLabelbyAddress", 0x1050);
    CdbRecordset rs = q.OpenRecordset(dbOpenSnapshot);
    ASSERT_EQ(rs.GetRecordCount(), 1);
    EXPECT_EQ(TextOf(rs.GetField("[$ModulByAddress.Name]")), "main.c");
    EXPECT_EQ(TextOf(rs.GetField("[Symbols.Name]")), "start");
    EXPECT_EQ(LongOf(rs.GetField("[Data_3]")), 0x1000);
}

TEST_F(SymbolQueriesTest, DeletingAModulesSymbolsKeepsItsModuleLevelRows)
{
    AddProgram();
    CdbQueryDef q = m_db.QueryDefs["DeleteModulSymbols"];
    q.SetParamValue("_ModulIndex", CdbVariant(1L));
    q.Execute(dbFailOnError);
    CdbRecordset rs = m_db.OpenRecordset("Symbols");
    std::vector<LONG> kinds;
    for (; !rs.IsEOF(); rs.MoveNext())
        kinds.push_back(LongOf(rs.GetField("SymbolID")));
    EXPECT_EQ(kinds, std::vector<LONG>({13, 5}));
}

TEST_F(SymbolQueriesTest, AnEncodedNameTellsCaseUnderTheCaseBlindComparison)
{
    AddProgram();
    CdbQueryDef q = m_db.QueryDefs["FunctionByName"];
    q.SetParamValue("_Name", CdbVariant("\xEE\xE2*")); // "ma*" encoded
    EXPECT_EQ(q.OpenRecordset(dbOpenSnapshot).GetRecordCount(), 1);
    q.SetParamValue("_Name", CdbVariant("M\xE2*")); // "Ma*"
    EXPECT_EQ(q.OpenRecordset(dbOpenSnapshot).GetRecordCount(), 0);
}

} // namespace
