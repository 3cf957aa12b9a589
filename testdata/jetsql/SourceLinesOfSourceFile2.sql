PARAMETERS [_SourceFileIndex] Long; SELECT * FROM SourceLines WHERE (((SourceLines.SourceFileIndex)=[_SourceFileIndex])) ORDER BY SourceLines.AddressValue, SourceLines.SourceLineIndex;
