// The real POSIX platform under other names, so that the fault platform can
// take the real names and pass each call on. platform_posix.cpp is compiled
// a second time with this header forced in (REAL_PLATFORM_RENAME defined),
// which renames every definition; without it, the header declares them.
#ifndef PARTELLO_TESTS_REAL_PLATFORM_H
#define PARTELLO_TESTS_REAL_PLATFORM_H

#ifdef REAL_PLATFORM_RENAME
#define OpenFileForRead RealOpenFileForRead
#define CreateFileForWrite RealCreateFileForWrite
#define CloseFileHandle RealCloseFileHandle
#define ReadFileBytes RealReadFileBytes
#define WriteFileBytes RealWriteFileBytes
#define FlushToDisk RealFlushToDisk
#define GetFileLength RealGetFileLength
#define GetFileWriteTime RealGetFileWriteTime
#define SetFileWriteTime RealSetFileWriteTime
#define FileWindowReader RealFileWindowReader
#define OpenWindowReader RealOpenWindowReader
#define GetReaderLength RealGetReaderLength
#define ReadFileWindow RealReadFileWindow
#define ReleaseFileWindow RealReleaseFileWindow
#define CloseWindowReader RealCloseWindowReader
#define GetPathFileSize RealGetPathFileSize
#define IsFolderPath RealIsFolderPath
#define IsFilePath RealIsFilePath
#define CopyFileNoReplace RealCopyFileNoReplace
#define DeleteFilePath RealDeleteFilePath
#define GetProgramPath RealGetProgramPath
#define IsSameFile RealIsSameFile
#define IsPathSeparator RealIsPathSeparator
#define PATH_SEPARATOR REAL_PATH_SEPARATOR
#define ListFolder RealListFolder
#define FitCharacters RealFitCharacters
#define CreateNewFile RealCreateNewFile
#define MoveFileIntoPlace RealMoveFileIntoPlace
#define SyncFolderOf RealSyncFolderOf
#define GetFreeDiskBytes RealGetFreeDiskBytes
#define LookUpEntry RealLookUpEntry
#define GetFileIdentity RealGetFileIdentity
#define FindNameFault RealFindNameFault
#define LastSystemError RealLastSystemError
#else
#include "engine/platform.h"

FileHandle RealOpenFileForRead(const char *path);
FileHandle RealCreateFileForWrite(const char *path);
void RealCloseFileHandle(FileHandle file);
int64_t RealReadFileBytes(FileHandle file, void *buffer, int64_t count);
int64_t RealWriteFileBytes(FileHandle file, const void *buffer, int64_t count);
bool RealFlushToDisk(FileHandle file);
int64_t RealGetFileLength(FileHandle file);
bool RealGetFileWriteTime(FileHandle file, FileTime *time);
bool RealSetFileWriteTime(FileHandle file, FileTime time);
struct RealFileWindowReader;
RealFileWindowReader *RealOpenWindowReader(FileHandle file);
int64_t RealGetReaderLength(const RealFileWindowReader *mapping);
const unsigned char *RealReadFileWindow(RealFileWindowReader *mapping, int64_t offset, size_t length);
void RealReleaseFileWindow(const unsigned char *view, size_t length);
void RealCloseWindowReader(RealFileWindowReader *mapping);
int64_t RealGetPathFileSize(const char *path);
bool RealIsFolderPath(const char *path);
bool RealIsFilePath(const char *path);
bool RealCopyFileNoReplace(const char *from, const char *to);
bool RealDeleteFilePath(const char *path);
bool RealGetProgramPath(char *buffer, int size);
bool RealIsSameFile(const char *a, const char *b);
bool RealIsPathSeparator(char c);
bool RealListFolder(const char *folder, const char *pattern, ListEntryProc each, void *context);
size_t RealFitCharacters(const char *text, size_t limit);
FileHandle RealCreateNewFile(const char *path, bool *taken);
bool RealMoveFileIntoPlace(const char *from, const char *to, bool replace);
bool RealSyncFolderOf(const char *path);
int64_t RealGetFreeDiskBytes(const char *path);
EntryKind RealLookUpEntry(const char *path, FileIdentity *identity);
bool RealGetFileIdentity(FileHandle file, FileIdentity *identity);
NameFault RealFindNameFault(const char *path);
int RealLastSystemError();
#endif

#endif
