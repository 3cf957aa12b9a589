SELECT SourceFiles.Name, SourceFiles.Type, SourceFiles.EntryInFile, SourceFiles.Analyzed, [$SourceLineOfAddress].SourceLine, [$SourceLineOfAddress].AddressMode, [$SourceLineOfAddress].AddressValue, [$SourceLineOfAddress].Length, [$SourceLineOfAddress].SourceFileIndex
FROM SourceFiles, [$SourceLineOfAddress]
WHERE [$SourceLineOfAddress].SourceFileIndex = SourceFiles.SourceFileIndex;
