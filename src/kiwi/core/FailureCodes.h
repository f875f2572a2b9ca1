// Every failure class the library and the converter raise: its code and its English form, the form the
// run log, Log.txt and the command-line tools print. "{name}" stands for the value of that name, "{cause}"
// for the failure the failure wraps, told in the same language. A front end that speaks another language
// keeps its own form for each code.
#pragma once

// X(code, English form)
#define KIWI_FAILURE_CODES(X)                                                                                \
    /* Nothing failed. */                                                                                    \
    X(None, "")                                                                                              \
    /* A failure of no known class: its own words, and the file it concerns where that is known. */          \
    X(Unknown, "{words}")                                                                                    \
    X(UnknownInFile, "{words}")                                                                              \
    /* A text already in the user's language (the import's own messages). */                                 \
    X(Told, "{words}")                                                                                       \
    /* The system's reason, by its error number ({words} is the system's text). */                           \
    X(System, "{words}")                                                                                     \
    /* Files and streams. */                                                                                 \
    X(FileReadError, "File read error!")                                                                     \
    X(FileOpenFailed, "Cannot open file \"{file}\". {cause}")                                                \
    X(FileOpenRefused, "Cannot open file \"{file}\"")                                                        \
    X(FileReadFailed, "Cannot read file \"{file}\"")                                                         \
    X(FileCreateFailed, "Cannot create file \"{file}\". {cause}")                                            \
    X(FileCreateRefused, "Cannot create file \"{file}\"")                                                    \
    X(StreamWriteFailed, "Stream write error: {cause}")                                                      \
    X(StreamNegativePosition, "Stream write error: negative position")                                       \
    X(StreamPositionOutOfRange, "Stream write error: position out of range")                                 \
    X(StreamSizeOutOfRange, "Stream write error: size out of range")                                         \
    X(StreamReadOnly, "Stream write error: the stream is read-only")                                         \
    X(StreamSizeFixed, "Stream write error: the stream size cannot be changed")                              \
    X(OutputOpenFailed, "ERROR: cannot write {file}: open: {cause}")                                         \
    X(OutputSyncFailed, "ERROR: cannot write {file}: sync: {cause}")                                         \
    X(OutputRenameFailed, "ERROR: cannot write {file}: rename: {cause}")                                     \
    X(OutputLinkFailed, "ERROR: cannot write {file}: link: {cause}")                                         \
    X(PartFileNotOurs, "A file of that name is in the folder, and this program did not write it")            \
    X(OutputClosed, "ERROR: cannot write {file}: already closed")                                            \
    X(OutputShortVolume, "ERROR: cannot write {file}: short volume")                                         \
    X(OutputRemoveFailed, "ERROR: cannot remove {file}: {cause}")                                            \
    /* What a reader could not read whole ({what}: a field or table name as stored, or a count and */        \
    /* its value; record fields are named in English). */                                                    \
    X(ShortRead, "{file}, byte {position}: {what}, the file holds {held} of its {wanted} bytes")             \
    X(ShortReadRecords, "{file}, byte {position}: {what}, the file holds {held} of their {wanted} bytes")    \
    X(ShortReadInStream, "byte {position}: {what}, the file holds {held} of its {wanted} bytes")             \
    X(ShortReadRecordsInStream, "byte {position}: {what}, the file holds {held} of their {wanted} bytes")    \
    X(FewerInFrame, "{count} {stored}: {readable} of them lie whole in their frame")                         \
    X(FramePastParcel, "{what} at byte {position} ({size} bytes) runs past its parcel's data frame, which "  \
                       "ends at byte {end}")                                                                 \
    X(ListOutsideFrame, "{count} {stored}: the list's offset leads outside its frame")                       \
    X(FewerLocated, "{count} {stored}, only {located} of them can be located")                               \
    X(HeaderShort, "{what} needs {wanted} bytes, {held} are there")                                          \
    /* Where the converter may write. */                                                                     \
    X(OutputIsSourceFile, "\"{file}\" is a file of the source map")                                          \
    X(OutputInSourceFolder, "\"{file}\" lies in a folder of the source map")                                 \
    X(OutputFolderMissing, "The folder of \"{file}\" does not exist")                                        \
    X(OutputFolderNotFolder, "The folder of \"{file}\" is not a folder")                                     \
    X(OutputMissing, "\"{file}\" does not exist")                                                            \
    /* The converter's settings. */                                                                          \
    X(NoOutputFile, "No output file is named")                                                               \
    X(UnknownTarget, "Unknown target platform")                                                              \
    X(SystemIdTooLong, "The system identification text is longer than 52 bytes")                             \
    X(UnknownHeaderTemplate, "Unknown data volume header template")                                          \
    X(DateStampTooLong, "The date stamp is longer than its field")                                           \
    X(VersionStampTooLong, "The version stamp is longer than its field")                                     \
    X(CodePageUnwritable, "Code page {codePage} cannot be written")                                          \
    X(TranslationLevelRange, "The translation level must lie between 1 and 5")                               \
    X(SharedClassAndType, "Buildings and house numbers cannot share a display class and type code")          \
    /* What the source map cannot take of the settings. */                                                   \
    X(Refused, "Refused: {cause}")                                                                           \
    X(ImportsNeedBuildingData, "buildings, house numbers and one-way arrows need building data")             \
    X(TrimNeedsBuildingData, "trimming to the imported data needs building data")                            \
    X(ExtraLevelRefused, "the extra level cannot be added: {cause}")                                         \
    X(ExtraLevelNeedsBuildingData, "the extra level needs building data")                                    \
    X(BuildingsClassBeyond,                                                                                  \
      "Buildings Display Class {class} is beyond the background classes of level {level} (it has {count})")  \
    X(NumberingClassBeyond,                                                                                  \
      "Numbering Display Class {class} is beyond the name classes of level {level} (it has {count})")        \
    X(TrimCoversNothing, "the trim rectangle (west {west}, north {north}, east {east}, south {south}) "      \
                         "covers nothing of the map "                                                        \
                         "(west {mapWest}, north {mapNorth}, east {mapEast}, south {mapSouth})")             \
    X(NoMainMap, "\"{file}\" holds no main map: {cause}")                                                    \
    /* Why the main map management data cannot be read whole. */                                             \
    X(ManagementHeaderCut, "the file ends inside the main map management header")                            \
    X(RecordsTooSmall, "the main map management header gives the {records} records {size} bytes, fewer "     \
                       "than the {needed} bytes their fields take")                                          \
    X(NamedRecordsTooSmall,                                                                                  \
      "the main map management header gives the {records} records {size} bytes, fewer than the {needed} "    \
      "bytes their fields take with their file names (File Name Designation set)")                           \
    X(LevelRecordsKind, "level")                                                                             \
    X(BlockSetRecordsKind, "block set")                                                                      \
    X(BlockRecordsKind, "block")                                                                             \
    X(LevelRecordRunsIntoTable, "level {level}'s record (at {at}) runs into the block set table at {table}") \
    X(LevelRecordsCut, "the main map management header declares {declared} level records, of which the "     \
                       "file holds {held} whole")                                                            \
    X(ListPastFile, "{blockSet} block {block}: its {list} ({count} records of {recordSize} bytes at {at}) "  \
                    "runs past the end of {file} ({held} bytes)")                                            \
    X(ParcelListKind, "parcel management list")                                                              \
    X(GuidanceListKind, "route guidance parcel management list")                                             \
    X(SectorSizeNot32, "its data volume's logical sector size is {size}, not 32")                            \
    X(NoManagementHeader0, "management header 0 names no main map management data")                          \
    X(ManagementFileUnopenable, "the file of its main map management data ({file}) cannot be opened")        \
    X(LevelRecordsDeclared, "its main map management header declares {count} level records")                 \
    /* Why the extra level cannot be added. */                                                               \
    X(LevelsNotAllReadable, "the levels of the source are not all readable")                                 \
    X(LevelRecordsShort, "level records are shorter than 40 bytes")                                          \
    X(ExtraLevelPresent, "the map already has an extra level")                                               \
    X(BlockSetRecordsShort, "block set records are shorter than 10 bytes")                                   \
    X(TooManyLastLevelBlockSets, "the last level has more than 256 block sets")                              \
    X(TooManyLastLevelBlocks, "the last level has more than 64 blocks a side in a block set")                \
    X(TooManyBlockSets, "too many block sets")                                                               \
    X(ManagementShorterThanTables, "the management data is shorter than its tables")                         \
    X(BlockSetTableOutside, "a block set table lies outside the block set records")                          \
    X(BlockTableAmongSets, "a block table lies among the block set records")                                 \
    X(LastLevelCode, "the last level has level code {levelCode}, not 0")                                     \
    /* The source's main map management data. */                                                             \
    X(SourceDamaged, "the source's main map management data is damaged: {cause}")                            \
    X(HeaderAndLevelRecords, "the main map management header and level records")                             \
    X(BlockSetTableOfLevel, "level {level}: its block set table")                                            \
    X(BlockTableOfSet, "level {level} block set {blockSet}: its block table")                                \
    X(BlockSetOfLevel, "level {level} block set {blockSet}")                                                 \
    X(ManagementNoSize, "management header 0 gives the main map management data no size")                    \
    X(ManagementHeaderTooLarge, "the main map management header declares {header} bytes, more than the "     \
                                "{size} bytes of the management "                                            \
                                "data")                                                                      \
    X(ManagementFileEnds,                                                                                    \
      "the file ends {held} bytes into the {size} bytes of the main map management data")                    \
    X(LevelRecordsPastData,                                                                                  \
      "the level records end past the {held} bytes of the main map management data the source holds")        \
    X(TablePastData, "{table} ({size} bytes at {offset}) lies past the end of the main map management data " \
                     "the source holds")                                                                     \
    X(TableOverHeader, "{table} ({size} bytes at {offset}) lies over {other}")                               \
    X(TableShared, "{table} is that of {other}, and its blocks cannot be in both")                           \
    X(TablesOverlap,                                                                                         \
      "{table} ({size} bytes at {offset}) overlaps {other} ({otherSize} bytes at {otherOffset})")            \
    /* The conversion run. */                                                                                \
    X(Stopped, "Stopped")                                                                                    \
    X(UnknownFailure, "unknown failure")                                                                     \
    X(TooManyDataFiles, "A level names more data files than the converter can hold")                         \
    X(ParcelInformationPastReserve, "Parcel management information laid out past its reserved size")         \
    X(ParcelInformationUnreadable,                                                                           \
      "The parcel management information of block {level}/{blockSet}/{block} can no longer be read")         \
    X(OutputPast32GiB, "Output exceeds 32 GiB: a KIWI address cannot reach past it")                         \
    X(OutputOffsetPast32GiB, "Output exceeds 32 GiB: offset {offset}")                                       \
    X(OutputBudget, "The new map would grow past {kb} kb, several times the source: its records name the "   \
                    "same data over and "                                                                    \
                    "over")                                                                                  \
    X(NoParcelConverted, "No parcel of the source could be converted: the new map would hold none")          \
    X(NoParcelConvertedWarned, "No parcel of the source could be converted (see the {warnings} warnings): "  \
                               "the new map would hold none")                                                \
    X(CmpListCutShort, "The CMP list {file} is cut short")                                                   \
    X(RegionLevelUnreadable, "Region level {level} cannot be read")                                          \
    /* Imported building data. */                                                                            \
    X(ImportReadFailed, "ERROR: cannot read {file}: {cause}")                                                \
    X(LmpTooLarge, "ERROR: {file} is too large for compiled building data")                                  \
    X(LmpNotCompiled, "ERROR: {file} is not a compiled map file: {cause}")                                   \
    X(LmpOutgrows, "ERROR: the building data would outgrow 2 GiB")                                           \
    X(LmpNoMemory, "ERROR: not enough memory for {file}")                                                    \
    X(LmpShortBox, "shorter than its 16-byte box")                                                           \
    X(LmpHeaderPastEnd, "a record header past the end")                                                      \
    X(LmpNoPoints, "a record without points")                                                                \
    X(LmpShortOutline, "an outline with fewer than 3 points or a label")                                     \
    X(LmpBadHouseNumber, "a house number with a bad point count or label")                                   \
    X(LmpUnknownKind, "a record of unknown kind {kind}")                                                     \
    X(LmpRecordPastEnd, "a record past the end")                                                             \
    X(LmpPointOffGlobe, "a point off the globe")                                                             \
    /* The finishing tasks. */                                                                               \
    X(NotAVolumeInTheWay,                                                                                    \
      "ERROR: {file} is not a volume of a split, yet it would be read as the next volume "                   \
      "of this one; it is left as it is and nothing was split")                                              \
    X(TooManyVolumes, "The new map of {size} bytes needs more than {volumes} volumes; volume files are "     \
                      "numbered 1 to 9 only")                                                                \
    X(FileConInvalid, "FILECON.MNG of the source map is not valid")                                          \
    X(FileConCannotList, "{file} cannot be listed in FILECON.MNG")                                           \
    X(RegionInvalid, "REGION.KWI of the source map is not valid region data")                                \
    X(NoneBesideSource, "{file} not written: there is none beside the source map")                           \
    X(NoVoiceInAllData, "STDVCE.KWI not written: ALLDATA.KWI of the source map holds no voice data")         \
    X(VoiceInVoiceDat, "STDVCE.KWI not written: ALLDATA.KWI of the source map holds no voice data; it lies " \
                       "in VOICEDAT.KWI beside "                                                             \
                       "the map")                                                                            \
    /* What a run or its finishing tasks left undone, and why. */                                            \
    X(RegionKeptWithoutFrame, "REGION.KWI: {cause}; the region is kept without it")                          \
    X(RegionPartShort, "{part} needs {count} bytes at {position}, the file holds {size}")                    \
    X(RegionHeaderPart, "the region data header with its level records")                                     \
    X(RegionTablePart, "the region management table of level {level}")                                       \
    X(RegionFramePart, "the route planning frame of level {level} region {region}")                          \
    X(RegionLevelRecordUnreadable, "the level management record of level {level} cannot be read")            \
    X(RegionFileMissing, "{file} not found beside the source map: region data not inserted")                 \
    X(VoiceFileMissing, "{file} not found beside the source map: voice data not inserted")                   \
    X(RegionInsertFailed, "{file} cannot be inserted: {cause}; region data not inserted")                    \
    X(RegionNotValidData, "it is not valid region data")                                                     \
    X(ExtraLevelNotCreatedNoRoom, "the extra level was not created: the main map management data ({size} "   \
                                  "bytes) has no room for its block tables within {limit} bytes")            \
    X(ExtraLevelWillNotNoRoom, "the extra level will not be created: the main map management data ({size} "  \
                               "bytes) has no room for its block tables within {limit} bytes")               \
    X(ExtraLevelNoImports, "the extra level was not created: no imported building data falls in it")         \
    X(HouseNumbersLeftOut, "house numbers were left out of the parcels whose Numbering Display Class "       \
                           "{class} is already busy in the old map")
