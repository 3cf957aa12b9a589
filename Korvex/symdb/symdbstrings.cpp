// The symbol database's entries of Korvex's string table.
//
// The stored queries are Jet SQL, as Jet takes them. Where a text as it was first
// written gives wrong answers, the text below is the corrected one:
// - ModulDataByScope: a parameter hides a module static only inside its own function
//   (FunctionByAddress has no ScopeIndex, so "SELECT ScopeIndex" named the outer row's
//   column and let every parameter of every function hide).
// - $ModulsInRange also finds the code section that holds the range's start, so that a
//   range inside one section reads that section's module.
// - $SourceLineOfAddress looks for the nearest line in the address mode and section of
//   the address, not in the whole program.
// - NearestLabelByAddress looks for the nearest label in the module of the address, as
//   its result must lie there.
// - FunctionByNameAndPath and $FunctionAddressFromNames take a function's module from
//   Scope with either sign, as the other queries do: readers negate it for one of the
//   two kinds of function (static or public, by the reader).
// - A comparison with a subquery that can give several rows (nested blocks; source
//   files of one short name in different folders; modules of one name) is IN, not "=":
//   Jet refuses "=" with several rows at run time.
#include "symdbstrings.h"

const QEL_STRING_ENTRY g_SymdbStrings[] = {
    {IDS_DB_QUERY_GROUP, "20"},
    {1020, "$FirstFunctionOfModul"},
    {1021,
     "PARAMETERS [_ModulIndex] Long; SELECT * FROM Functions WHERE Functions.FunctionIndex In "
     "(SELECT MIN(Functions.FunctionIndex)  FROM Functions WHERE "
     "ABS(Functions.Scope)=[_ModulIndex]);"},
    {1022, "$GlobalsAndStaticsOfModul"},
    {1023,
     "PARAMETERS [_ModulIndex] Long; SELECT * FROM Symbols WHERE ModulIndex=[_ModulIndex] AND "
     "SymbolID IN (3,4,5,6,13) ORDER BY SymbolIndex;"},
    {1040, "SectionByName"},
    {1041,
     "PARAMETERS [_Name] Text; SELECT * FROM Sections WHERE (((Sections.Name) LIKE [_Name]));"},
    {1042, "SectionByAddress"},
    {1043,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Sections WHERE "
     "Sections.AddressMode = [_AddressMode] AND Sections.AddressValue <= [_AddressValue] AND "
     "[_AddressValue] < (Sections.AddressValue + Sections.Length);"},
    {1044, "$SectionOverlap"},
    {1045,
     "PARAMETERS [_AddressMode] Long, [_AddressValue1] Long, [_AddressValue2] Long; SELECT * FROM "
     "Sections WHERE (Sections.AddressMode=[_AddressMode])  AND ( "
     "(Sections.AddressValue<=[_AddressValue1] AND "
     "[_AddressValue1]<Sections.AddressValue+Sections.Length) "
     "OR([_AddressValue1]<=Sections.AddressValue AND "
     "Sections.AddressValue+Sections.Length<[_AddressValue1]) OR "
     "(Sections.AddressValue<=[_AddressValue2] AND  "
     "[_AddressValue2]<Sections.AddressValue+Sections.Length) OR "
     "([_AddressValue2]<=Sections.AddressValue AND "
     "Sections.AddressValue+Sections.Length<[_AddressValue2]));"},
    {1046, "$SectionAscending"},
    {1047,
     "SELECT * FROM Sections ORDER BY [AddressMode], [AddressValue];"},
    {1060, "SourceFilesWithSourceLines"},
    {1061,
     "SELECT * FROM SourceFiles WHERE SourceFiles.Type>=1000;"},
    {1062, "SourceFileByPath"},
    {1063,
     "SELECT SourceFiles.Name, SourceFiles.Type, SourceFiles.EntryInFile, SourceFiles.Analyzed, "
     "[$SourceLinesOfSourceFile].SourceLine, [$SourceLinesOfSourceFile].AddressMode, "
     "[$SourceLinesOfSourceFile].AddressValue, [$SourceLinesOfSourceFile].Length, "
     "[$SourceLinesOfSourceFile].SourceFileIndex FROM SourceFiles, [$SourceLinesOfSourceFile] "
     "WHERE SourceFiles.SourceFileIndex= [$SourceLinesOfSourceFile].SourceFileIndex AND SourceLine "
     "In (SELECT MIN(SourceLine) FROM [$SourceLinesOfSourceFile]);"},
    {1064, "SourceFileByAddress"},
    {1065,
     "SELECT SourceFiles.Name, SourceFiles.Type, SourceFiles.EntryInFile, SourceFiles.Analyzed, "
     "[$SourceLineOfAddress].SourceLine, [$SourceLineOfAddress].AddressMode, "
     "[$SourceLineOfAddress].AddressValue, [$SourceLineOfAddress].Length, "
     "[$SourceLineOfAddress].SourceFileIndex\nFROM SourceFiles, [$SourceLineOfAddress]\nWHERE "
     "[$SourceLineOfAddress].SourceFileIndex = SourceFiles.SourceFileIndex;\n"},
    {1066, "$SourceFilesOfSection"},
    {1067,
     "PARAMETERS [_SectionIndex] Long; SELECT * FROM SourceFiles WHERE SourceFiles.SourceFileIndex "
     "In (SELECT SourceFiles.SourceFileIndex FROM SourceFiles, SectionSourceFileRelation WHERE "
     "SectionSourceFileRelation.SourceFileIndex=SourceFiles.SourceFileIndex AND "
     "SectionSourceFileRelation.SectionIndex=[_SectionIndex]);"},
    {1068, "$SourceFileByDataAddress"},
    {1069,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM SourceFiles WHERE "
     "SourceFiles.SourceFileIndex IN (SELECT SourceFileIndex FROM SectionSourceFileRelation, "
     "SectionByAddress WHERE "
     "SectionSourceFileRelation.SectionIndex=SectionByAddress.SectionIndex);"},
    {1070, "$SourceFileForLocation"},
    {1071,
     "SELECT "
     "[SourceFiles].[Name],[SourceFiles].[Type],[SourceFiles].[EntryInFile],[SourceFiles].[Analyzed],[$SourceLineOfAddress].[SourceLine],[$SourceLineOfAddress].[AddressMode],[$SourceLineOfAddress].[AddressValue],[$SourceLineOfAddress].[Length],[$SourceLineOfAddress].[SourceFileIndex],[$SourceLineOfAddress].[SectionIndex] "
     "FROM SourceFiles, [$SourceLineOfAddress] WHERE "
     "((([$SourceLineOfAddress].[SourceFileIndex])=[SourceFiles].[SourceFileIndex]));"},
    {1072, "LocationByAddress"},
    {1073,
     "SELECT "
     "[$SourceFileForLocation].Name,[$SourceFileForLocation].Type,[$SourceFileForLocation].EntryInFile,[$SourceFileForLocation].Analyzed,[$SourceFileForLocation].SourceLine,[$SourceFileForLocation].AddressMode,[$SourceFileForLocation].AddressValue,[$SourceFileForLocation].Length,SectionByAddress.Name,SectionByAddress.Type,SectionByAddress.AddressMode,SectionByAddress.AddressValue,SectionByAddress.Length "
     "FROM [$SourceFileForLocation] RIGHT JOIN SectionByAddress ON "
     "[$SourceFileForLocation].SectionIndex=[SectionByAddress].[SectionIndex];"},
    {1080, "FunctionByName"},
    {1081,
     "PARAMETERS [_Name] Text; SELECT * FROM Functions WHERE NameString LIKE [_Name];"},
    {1082, "FunctionByAddress"},
    {1083,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Functions WHERE "
     "(((Functions.AddressMode)=[_AddressMode]) AND ((Functions.AddressValue)<=[_AddressValue]) "
     "AND (([_AddressValue])<([Functions].[AddressValue]+[Functions].[Length])));"},
    {1084, "FunctionsOfSourceFile"},
    {1085,
     "PARAMETERS [_Path] Text; SELECT * FROM Functions WHERE Functions.SectionIndex IN (SELECT "
     "SectionIndex FROM SectionSourceFileRelation, SourceFilesWithSourceLines WHERE "
     "SectionSourceFileRelation.SourceFileIndex=SourceFilesWithSourceLines.SourceFileIndex  AND "
     "(SourceFilesWithSourceLines.Name=[_Path] OR "
     "SourceFilesWithSourceLines.EntryInFile=[_Path]));"},
    {1086, "FunctionByNameAndPath"},
    {1087,
     "PARAMETERS [_Name] Text, [_Path] Text; SELECT * FROM Functions WHERE Functions.Name Like "
     "[_Name] AND (ABS(Functions.Scope) IN (SELECT ModulIndex FROM ModulSourceFileRelation WHERE "
     "ModulSourceFileRelation.SourceFileIndex IN (SELECT SourceFileIndex FROM SourceFiles WHERE "
     "Name=[_Path] OR EntryInFile=[_Path])));"},
    {1088, "$FunctionAddressFromNames"},
    {1089,
     "PARAMETERS [_ModulName] Text, [_FunctionName] Text; SELECT AddressMode, AddressValue FROM "
     "Functions WHERE [_FunctionName]=Functions.Name AND ABS(Functions.Scope) IN (SELECT "
     "ModulIndex FROM Moduls WHERE Name=[_ModulName]);"},
    {1100, "$SourceLineOfAddress"},
    {1101,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT "
     "[SourceLines].[SourceLineIndex], [SourceLines].[SourceLine], [SourceLines].[AddressMode], "
     "[SourceLines].[AddressValue], [SourceLines].[Length], [SourceLines].[SectionIndex], "
     "[SourceLines].[SourceFileIndex] FROM SourceLines, SectionByAddress WHERE "
     "((SourceLines.SectionIndex=SectionByAddress.SectionIndex AND  "
     "(SourceLines.AddressMode)=[_AddressMode]) AND ((SourceLines.AddressValue) In (SELECT "
     "MAX(SourceLines.AddressValue) FROM SourceLines, SectionByAddress WHERE "
     "SourceLines.SectionIndex=SectionByAddress.SectionIndex AND "
     "SourceLines.AddressMode=[_AddressMode] AND SourceLines.AddressValue <= [_AddressValue])));"},
    {1102, "$SourceLinesOfSourceFile"},
    {1103,
     "PARAMETERS [_Path] Text; SELECT * FROM SourceLines\nWHERE (((SourceLines.SourceFileIndex) IN "
     "(SELECT SourceFileIndex FROM SourceFiles WHERE (Name=[_Path] OR EntryInFile=[_Path])))) "
     "ORDER BY SourceLines.AddressValue, SourceLines.SourceLineIndex;\n"},
    {1104, "$SourceLineRangesByIndex"},
    {1105,
     "PARAMETERS [_SourceFileIndex] Long, [_SourceLine] Long; SELECT * FROM SourceLines WHERE "
     "SourceFileIndex=[_SourceFileIndex] AND SourceLine=[_SourceLine];"},
    {1106, "$SourceLinesOfSourceFile2"},
    {1107,
     "PARAMETERS [_SourceFileIndex] Long; SELECT * FROM SourceLines WHERE "
     "(((SourceLines.SourceFileIndex)=[_SourceFileIndex])) ORDER BY SourceLines.AddressValue, "
     "SourceLines.SourceLineIndex;\n"},
    {1108, "$SourceLineOfFunctionByAddress"},
    {1109,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT [FunctionByAddress].[Name], "
     "[$SourceLinesOfAddress].[SourceLine] FROM FunctionByAddress, [$SourceLinesOfAddress] WHERE "
     "[FunctionByAddress].[AddressMode]=[$SourceLinesOfAddress].[AddressMode] And "
     "[FunctionByAddress].[AddressValue]=[$SourceLinesOfAddress].[AddressValue];"},
    {1110, "$SourceLineOfFunctionByNames"},
    {1111,
     "SELECT SourceLines.SourceFileIndex, SourceLines.SourceLine, SourceLines.SectionIndex FROM "
     "SourceLines, [$FunctionAddressFromNames] WHERE "
     "(((SourceLines.AddressMode)=[$FunctionAddressFromNames].[AddressMode]) AND "
     "((SourceLines.AddressValue)=[$FunctionAddressFromNames].[AddressValue]) AND "
     "SourceLines.Length <> -1);"},
    {1112, "$SourceLinesOfAddress"},
    {1113,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT "
     "[SourceLines].[SourceLineIndex], [SourceLines].[SourceLine], [SourceLines].[AddressMode], "
     "[SourceLines].[AddressValue], [SourceLines].[Length], [SourceLines].[SectionIndex], "
     "[SourceLines].[SourceFileIndex] FROM SourceLines, SectionByAddress WHERE "
     "[SourceLines].[SectionIndex]=[SectionByAddress].[SectionIndex] And "
     "[SourceLines].[AddressMode]=[_AddressMode] And [SourceLines].[AddressValue]<=[_AddressValue] "
     "And [SourceLines].[Length]<>-1;"},
    {1114, "$SourceLinesInRange"},
    {1115,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long, [_Length] Long; SELECT "
     "[SourceFiles].[Name], [SourceFiles].[Type], [SourceFiles].[EntryInFile], "
     "[SourceFiles].[Analyzed], [SourceLines].[SourceLine], [SourceLines].[AddressMode], "
     "[SourceLines].[AddressValue], [SourceLines].[Length], [SourceLines].[SourceFileIndex], "
     "[SourceLines].[SectionIndex] FROM SourceFiles, SourceLines WHERE "
     "[SourceLines].[SourceFileIndex] In (SELECT SourceFileIndex FROM SourceLines WHERE  "
     "[SourceLines].[AddressMode]=[_AddressMode] And [SourceLines].[AddressValue]>=[_AddressValue] "
     "And [SourceLines].[AddressValue] < ([_AddressValue]+[_Length])) And "
     "[SourceLines].[SourceFileIndex]=[SourceFiles].[SourceFileIndex]\nORDER BY  "
     "[SourceLines].[SourceLine], [SourceLines].[AddressValue];"},
    {1120, "GlobalLabelByName"},
    {1121,
     "PARAMETERS [_Name] Text; SELECT * FROM Symbols WHERE SymbolID=13 AND NameString Like "
     "[_Name];"},
    {1122, "GlobalLabelByAddress"},
    {1123,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Symbols WHERE "
     "SymbolID=13 AND Data_2=[_AddressMode] AND Data_3=[_AddressValue];"},
    {1124, "StaticLabelByAddress"},
    {1125,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Symbols WHERE "
     "(SymbolID=14 OR SymbolID=9) AND Data_2=[_AddressMode] AND Data_3=[_AddressValue];"},
    {1126, "LabelByAddress"},
    {1127,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Symbols WHERE "
     "((Symbols.SymbolID IN (9,13,14)) AND Symbols.Data_2=[_AddressMode] AND "
     "Symbols.Data_3=[_AddressValue]) ORDER BY SymbolID;"},
    {1128, "CodeLabels"},
    {1129,
     "PARAMETERS [_Name] Text ( 255 ); SELECT * FROM Symbols WHERE [Symbols].[SymbolID] In "
     "(9,13,14) And [Symbols].[NameString] Like [_Name] ORDER BY [Symbols].[Data_2], "
     "[Symbols].[Data_3];"},
    {1140, "DeleteModulSymbols"},
    {1141,
     "PARAMETERS [_ModulIndex] Long; DELETE * FROM Symbols WHERE ModulIndex=[_ModulIndex] AND "
     "SymbolID NOT IN (3,4,5,6,13);"},
    {1142, "DeleteModulTypes"},
    {1143,
     "PARAMETERS [_ModulIndex] Long; DELETE * FROM Types WHERE ModulIndex= [_ModulIndex];"},
    {1160, "$ModulByAddress"},
    {1161,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT Moduls.ModulIndex, Moduls.Name, "
     "Moduls.Offset, Moduls.Analyzed FROM Moduls, ModulSectionRelation, SectionByAddress WHERE "
     "Moduls.ModulIndex=ModulSectionRelation.ModulIndex AND "
     "ModulSectionRelation.SectionIndex=[SectionByAddress].SectionIndex;"},
    {1162, "$BlocksByAddress"},
    {1163,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Symbols WHERE "
     "(((Symbols.SymbolID)=8) AND ((Symbols.Data_2)=[_AddressMode]) AND "
     "((Symbols.Data_3)<=[_AddressValue]) AND (([_AddressValue])<([Data_3]+[Data_4])));"},
    {1164, "$BlockByIndex"},
    {1165,
     "PARAMETERS [_ModulIndex] Long, [_BlockIndex] Long; SELECT Functions.Name, Symbols.Data_1, "
     "Functions.Scope FROM Symbols, Functions WHERE Symbols.ModulIndex=[_ModulIndex] AND "
     "Symbols.ScopeIndex=[_BlockIndex] AND Symbols.SymbolID=8 AND "
     "Symbols.Data_2=Functions.AddressMode AND Functions.AddressValue <= Symbols.Data_3 AND "
     "Symbols.Data_3 < (Functions.AddressValue + Functions.Length);\n"},
    {1166, "$ModulByPath"},
    {1167,
     "PARAMETERS [_Path] Text; SELECT * FROM Moduls WHERE ModulIndex IN (SELECT ModulIndex FROM "
     "ModulSourceFilerelation WHERE  SourceFileIndex IN (SELECT SourceFiles.SourceFileIndex FROM "
     "SourceFiles WHERE Name=[_Path] Or EntryInFIle =[_Path]));"},
    {1168, "$ModulByName"},
    {1169,
     "PARAMETERS [_Name] Text ( 255 ); SELECT * FROM Moduls WHERE ((([Moduls].[Name]) Like "
     "[_Name]));"},
    {1170, "$ModulsInRange"},
    {1171,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long, [_Length] Long; SELECT "
     "Moduls.ModulIndex, Moduls.Name, Moduls.Offset, Moduls.Analyzed FROM Moduls, "
     "ModulSectionRelation WHERE (((Moduls.ModulIndex)=[ModulSectionRelation].[ModulIndex]) AND "
     "((ModulSectionRelation.SectionIndex) In (SELECT SectionIndex From Sections WHERE "
     "(AddressMode=[_AddressMode] AND Type=1 AND ((([_AddressValue] <= AddressValue) AND "
     "(AddressValue <= ([_AddressValue]+[_Length])) )OR(([_AddressValue] <= "
     "(AddressValue+Length-1))AND((AddressValue+Length-1) < ( "
     "[_AddressValue]+[_Length])))OR((AddressValue <= [_AddressValue])AND([_AddressValue] < "
     "(AddressValue+Length))))))));"},
    {1180, "Global_C_DataByName"},
    {1181,
     "PARAMETERS [_Name] Text, [_Path] Text; SELECT * FROM Symbols WHERE "
     "((([Symbols].[NameString]) Like [_Name]) AND (([Symbols].[SymbolID])=5) AND "
     "(([Symbols].[ModulIndex]) In (SELECT ModulIndex FROM ModulSourceFileRelation, SourceFiles "
     "WHERE ModulSourceFileRelation.SourceFileIndex=SourceFiles.SourcefileIndex AND  "
     "((SourceFiles.Name LIKE [_Path]) OR (SourceFiles.EntryInFile LIKE [_Path])))));"},
    {1182, "Global_ASS_DataByName"},
    {1183,
     "PARAMETERS [_Name] Text; SELECT * FROM Symbols WHERE ((([Symbols].[SymbolID])=6) AND "
     "(([Symbols].[NameString]) Like [_Name]));"},
    {1184, "Global_C_DataByScope"},
    {1185,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long, [_Name] Text; SELECT * FROM Symbols "
     "WHERE ((([Symbols].[NameString]) Like [_NAME] And ([Symbols].[NameString]) Not In (SELECT "
     "NameString FROM Symbols WHERE ( (Symbols.SymbolID=1 AND Symbols.ScopeIndex In (SELECT "
     "FunctionIndex FROM FunctionByAddress)) OR ( (Symbols.SymbolID=2 OR Symbols.SymbolID=3) AND "
     "(Symbols.ScopeIndex In (SELECT ScopeIndex FROM [$BlocksByAddress]) AND Symbols.ModulIndex IN "
     "(SELECT ModulIndex FROM [$BlocksByAddress]))) OR ( Symbols.SymbolID=4 AND Symbols.ScopeIndex "
     "In (SELECT ModulIndex FROM [$ModulByAddress]))) AND Symbols.NameString IN (SELECT NameString "
     "FROM Symbols WHERE Symbols.SymbolID=5))) AND (([Symbols].[SymbolID])=5)) ORDER BY "
     "Symbols.NameString;"},
    {1186, "$VarEdVariables"},
    {1187,
     "SELECT * FROM Symbols WHERE SymbolID=15 OR SymbolID=16;"},
    {1188, "$VarEdMapping"},
    {1189,
     "PARAMETERS [_SymbolIndex] Long; SELECT * FROM Symbols WHERE SymbolId=17 AND "
     "Data_1=[_SymbolIndex];"},
    {1200, "Static_C_DataByName"},
    {1201,
     "PARAMETERS [_Name] Text, [_Path] Text; SELECT * FROM Symbols WHERE (Symbols.SymbolID=3 OR "
     "Symbols.SymbolID=4) AND Symbols.NameString LIKE [_Name] AND (Symbols.ModulIndex In (SELECT "
     "ModulIndex FROM ModulSourceFileRelation, SourceFiles WHERE "
     "ModulSourceFileRelation.SourceFileIndex=SourceFiles.SourcefileIndex AND  ((SourceFiles.Name "
     "LIKE [_Path]) OR (SourceFiles.EntryInFile LIKE [_Path]))));"},
    {1202, "Static_ASS_DataByName"},
    {1203,
     "PARAMETERS [_Name] Text; SELECT * FROM Symbols WHERE Symbols.SymbolID=7 AND "
     "Symbols.NameString LIKE [_Name];"},
    {1204, "ModulDataByScope"},
    {1205,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long, [_Name] Text; SELECT * FROM Symbols "
     "WHERE (((Symbols.NameString) Like [_Name] And (Symbols.NameString) Not In (SELECT NameString "
     "FROM Symbols WHERE ((Symbols.SymbolID=1 AND Symbols.ScopeIndex IN(SELECT FunctionIndex FROM "
     "FunctionByAddress)) OR ((Symbols.SymbolID=2 OR Symbols.SymbolID=3) AND (Symbols.ScopeIndex "
     "IN(SELECT ScopeIndex FROM [$BlocksByAddress]) AND Symbols.ModulIndex IN (SELECT ModulIndex "
     "FROM [$BlocksByAddress])))))) AND ((Symbols.SymbolID)=4) AND ((Symbols.ScopeIndex) In "
     "(SELECT ModulIndex FROM [$ModulByAddress]))) ORDER BY Symbols.NameString;\n"},
    {1220, "FunctionDataByScope"},
    {1221,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long, [_Name] Text; SELECT "
     "Symbols.SymbolIndex, Symbols.ModulIndex, Symbols.SymbolID, Symbols.ScopeIndex, Symbols.Name, "
     "Symbols.NameString, Symbols.Data_1, Symbols.Data_2, Symbols.Data_3, Symbols.Data_4, "
     "Symbols.Data_5, Symbols.Data_6 FROM Symbols, FunctionByAddress WHERE ( Symbols.NameString "
     "Like [_Name] AND (Symbols.SymbolID=1 AND "
     "Symbols.ScopeIndex=FunctionByAddress.FunctionIndex)) UNION ALL SELECT Symbols.SymbolIndex, "
     "Symbols.ModulIndex, Symbols.SymbolID, Symbols.ScopeIndex, Symbols.Name, Symbols.NameString, "
     "Symbols.Data_1, Symbols.Data_2, Symbols.Data_3, Symbols.Data_4, Symbols.Data_5, "
     "Symbols.Data_6 FROM Symbols, [$BlocksByAddress] WHERE ( Symbols.NameString Like [_Name] AND "
     "((Symbols.SymbolID=2 OR Symbols.SymbolID=3) AND Symbols.ScopeIndex IN "
     "([$BlocksByAddress].ScopeIndex) AND Symbols.ModulIndex=[$BlocksByAddress].ModulIndex )) "
     "ORDER BY NameString;"},
    {1222, "ParameterOfFunction"},
    {1223,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT * FROM Symbols WHERE "
     "Symbols.SymbolID=1 AND Symbols.ScopeIndex In (SELECT FunctionIndex FROM FunctionByAddress);"},
    {1224, "$FunctionDataLifeTime"},
    {1225,
     "PARAMETERS [_ModulIndex] Long, [_LifetimeIndex] Long; SELECT * FROM Symbols WHERE "
     "ModulIndex=[_ModulIndex] AND SymbolID=12 AND ScopeIndex=[_LifeTimeIndex] ORDER BY Data_1;"},
    {1240, "$TypeByIndex"},
    {1241,
     "PARAMETERS [_TypeIndex] Long; SELECT * FROM Types WHERE TypeIndex=[_TypeIndex];"},
    {1242, "$MembersOfStruct"},
    {1243,
     "PARAMETERS [_TypeIndex] Long; SELECT * FROM Types WHERE TypeID=11 AND Data_4=[_TypeIndex] "
     "ORDER BY TypeIndex;"},
    {1244, "$MembersOfEnum"},
    {1245,
     "PARAMETERS [_TypeIndex] Long; SELECT * FROM Types WHERE TypeID=12 AND Data_4=[_TypeIndex] "
     "ORDER BY Data_1;"},
    {1246, "$MembersOfClass"},
    {1247,
     "PARAMETERS [_TypeIndex] Long; SELECT * FROM Types WHERE TypeID=13 AND Data_4=[_TypeIndex] "
     "ORDER BY Data_2;"},
    {1248, "$TypeByName"},
    {1249,
     "PARAMETERS [_Name] Text; SELECT * FROM Types WHERE Name=[_Name] AND TypeID IN (0,1,5,6,7,8);"},
    {1260, "$StackAdjustByBlock"},
    {1261,
     "PARAMETERS [_ModulIndex] Long, [_ScopeIndex] Long; SELECT * FROM Symbols WHERE "
     "Symbols.ModulIndex=[_ModulIndex] AND Symbols.SymbolID=11 AND Symbols.ScopeIndex In (SELECT "
     "Functions.FunctionIndex FROM Functions, Symbols WHERE Symbols.ModulIndex=[_ModulIndex] AND "
     "SymbolID=8 AND Symbols.ScopeIndex=[_ScopeIndex] AND Symbols.Data_2=Functions.AddressMode AND "
     "Functions.AddressValue <= Symbols.Data_3 AND "
     "Symbols.Data_3<Functions.AddressValue+Functions.Length) ORDER BY Data_3, Data_4;"},
    {1262, "$StackAdjustByFunction"},
    {1263,
     "PARAMETERS [_ModulIndex] Long, [_ScopeIndex] Long; SELECT * FROM Symbols WHERE "
     "ModulIndex=[_ModulIndex] AND SymbolID=11 AND ScopeIndex=[_ScopeIndex] ORDER BY Data_3, "
     "Data_4;"},
    {1280, "BreakpointDescription"},
    {1281,
     "SELECT [$ModulByAddress].[Name], [SourceFiles].[Name], [SourceFiles].[EntryInFile], "
     "[SourceLines].[SourceLine], [$SourceLineOfFunctionByAddress].[Name], "
     "[$SourceLineOfFunctionByAddress].[SourceLine], [$SourceLineOfAddress].[AddressMode], "
     "[SourceLines].[AddressValue], [SourceLines].[Length], [SourceFiles].[Analyzed] FROM "
     "SourceLines, [$SourceLineOfAddress], SourceFiles, [$SourceLineOfFunctionByAddress], "
     "[$ModulByAddress]\nWHERE "
     "[$SourceLineOfAddress].[SourceFileIndex]=[SourceFiles].[SourceFileIndex] And "
     "[SourceLines].[SourceLine]=[$SourceLineOfAddress].[SourceLine] And "
     "[SourceLines].[SourceFileIndex]=[$SourceLineOfAddress].[SourceFileIndex] ORDER BY "
     "[SourceLines].[AddressValue];"},
    {1282, "BreakpointAddresses"},
    {1283,
     "PARAMETERS [_LineOffset] Long; SELECT SourceLines.SourceLineIndex, SourceLines.SourceLine, "
     "SourceLines.AddressMode, SourceLines.AddressValue, SourceLines.Length, "
     "SourceLines.SectionIndex, SourceLines.SourceFileIndex FROM SourceLines, "
     "[$SourceLineOfFunctionByNames] WHERE "
     "(((SourceLines.SourceLine)=[$SourceLineOfFunctionByNames].[SourceLine]+[_LineOffset]) AND "
     "((SourceLines.SourceFileIndex)=[$SourceLineOfFunctionByNames].[SourceFileIndex]) AND "
     "SourceLines.SectionIndex=[$SourceLineOfFunctionByNames].SectionIndex) ORDER BY "
     "SourceLines.AddressValue;"},
    {1284, "NearestLabelByAddress"},
    {1285,
     "PARAMETERS [_AddressMode] Long, [_AddressValue] Long; SELECT [$ModulByAddress].[Name], "
     "[Symbols].[Name], [Symbols].[Data_2], [Symbols].[Data_3] FROM Symbols, [$ModulByAddress] "
     "WHERE (((Symbols.Data_2)=[_AddressMode]) AND ((Symbols.Data_3) In (SELECT "
     "MAX(Symbols.Data_3) FROM Symbols WHERE (Symbols.SymbolID=9 OR Symbols.SymbolID=13 OR "
     "Symbols.SymbolID=14) AND Symbols.Data_2=[_AddressMode] AND Symbols.Data_3 <= [_AddressValue] "
     "AND Symbols.ModulIndex IN (SELECT ModulIndex FROM [$ModulByAddress]))) AND "
     "(Symbols.SymbolID=9 OR Symbols.SymbolID=13 OR Symbols.SymbolID=14) AND "
     "((Symbols.ModulIndex)=[$ModulByAddress].[ModulIndex])) ORDER BY [Symbols].[SymbolID];"},
    {1286, "LabelByNames"},
    {1287,
     "PARAMETERS [_ModulName] Text, [_LabelName] Text; SELECT * FROM Symbols WHERE "
     "(Symbols.SymbolID=9 OR Symbols.SymbolID=13 OR Symbols.SymbolID=14) AND ModulIndex IN (SELECT "
     "ModulIndex FROM Moduls WHERE Name=[_Modulname])\nAND NameString=[_LabelName];"},
    {1288, "BreakpointAddressesHI"},
    {1289,
     "PARAMETERS [_Path] Text, [_Line] Long; SELECT * FROM SourceLines WHERE "
     "SourceLines.SourceLine=[_Line] AND SourceLines.SourceFileIndex IN (SELECT SourceFileIndex "
     "FROM SourceFiles WHERE (Name LIKE [_Path] OR EntryInFile Like [_Path]));"},
    {1290, "LabelByName"},
    {1291,
     "PARAMETERS [_LabelName] Text;SELECT * FROM Symbols WHERE (Symbols.SymbolID=9 OR "
     "Symbols.SymbolID=13 OR Symbols.SymbolID=14) AND Symbols.NameString=[_LabelName];"},
    {IDS_DB_QUERY_END, "1899"},
    {1900, "_AddressMode"},
    {1901, "_AddressValue"},
    {1902, "_Name"},
    {1903, "_Path"},
    {1904, "_ModulIndex"},
    {1905, "_BlockIndex"},
    {1906, "_TypeIndex"},
    {1907, "_LifetimeIndex"},
    {1908, "_ScopeIndex"},
    {1909, "_SymbolIndex"},
    {2000, "wsJet"},
    {2001, "admin"},
    {2002, ".mdb"},
    {2004, "Version"},
    {2005, "CreationTime"},
    {2006, "Program"},
    {2007, "ProgramIndex"},
    {2008, "Name"},
    {2009, "Type"},
    {2010, "ModifiedTime"},
    {2011, "Source"},
    {2012, "Analyzed"},
    {2013, "ProgramIndexKey"},
    {2014, "Sections"},
    {2015, "SectionIndex"},
    {2016, "AddressMode"},
    {2017, "AddressValue"},
    {2018, "Length"},
    {2020, "SectionIndexKey"},
    {2021, "Moduls"},
    {2022, "ModulIndex"},
    {2023, "Offset"},
    {2024, "Types"},
    {2025, "Symbols"},
    {2026, "ModulIndexKey"},
    {2027, "SourceFiles"},
    {2028, "SourceFileIndex"},
    {2030, "EntryInFile"},
    {2031, "SourceFileIndexKey"},
    {2033, "EntryInFileKey"},
    {2034, "SourceLines"},
    {2035, "SourceLineIndex"},
    {2036, "SourceLine"},
    {2037, "SourceLineIndexKey"},
    {2039, "Functions"},
    {2040, "FunctionIndex"},
    {2041, "ReturnType"},
    {2042, "Scope"},
    {2043, "CallType"},
    {2044, "FunctionIndexKey"},
    {2047, "TypeID"},
    {2048, "Data_1"},
    {2049, "Data_2"},
    {2050, "Data_3"},
    {2051, "Data_4"},
    {2052, "Data_5"},
    {2053, "Data_6"},
    {2054, "SymbolID"},
    {2055, "ScopeIndex"},
    {2056, "ModulSectionRelation"},
    {2057, "ModulSectionKey"},
    {2058, "ModulSourceFileRelation"},
    {2059, "ModulSourceFileKey"},
    {2060, "SectionSourceFileRelation"},
    {2061, "SectionSourceFileKey"},
    {2064, "NameString"},
    {2065, "TypeIndex"},
    {2066, "TypeIndexKey"},
    {2067, "SymbolIndex"},
    {2068, "SymbolIndexkey"},
    {2069, "RegisterMap"},
    {2070, "Number"},
    {2073, "EntryPoint"},
    {2074, "MainFunction"},
    {2075, "AlternateEntryPoint"},
    {2076, "AlternateMainFunction"},
    {2078, "Data_4Key"},
    {2079, "LineAddressKey"},
    {2080, "LineNumberKey"},
    {2081, "SectionModulKey"},
    {2082, "LineModeAddressKey"},
    {2083, "SectionAddressKey"},
    {2084, "SectionLengthKey"},
    {2085, "FunctionAddressKey"},
    {2086, "FunctionLengthKey"},
    {2087, "SymbolScopeKey"},
    {2088, "SymbolAddressKey"},
    {2089, "SymbolLengthKey"},
    {2090, "SymbolModulKey"},
    {2091, "Writers"},
    {2092, "Schema"},
    {2093, "Readers"},
    {2094, "FunctionByNameKey"},
    {2095, "TypeModulKey"},
    {2096, "ModulNameKey"},
    {2097, "SourceFileNameKey"},
    {2098, "SourceFileModulKey"},
};

const size_t g_SymdbStringCount = sizeof g_SymdbStrings / sizeof g_SymdbStrings[0];
