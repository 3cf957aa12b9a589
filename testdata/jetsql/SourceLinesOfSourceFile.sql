PARAMETERS [_Path] Text; SELECT * FROM SourceLines
WHERE (((SourceLines.SourceFileIndex) IN (SELECT SourceFileIndex FROM SourceFiles WHERE (Name=[_Path] OR EntryInFile=[_Path])))) ORDER BY SourceLines.AddressValue, SourceLines.SourceLineIndex;
