// The thin file-system layer under the engine. One implementation for
// Win32 (narrow paths in the ANSI code page, UTF-8 where the program's
// manifest is honoured; '\' and ':' as separators) and one for POSIX.
#ifndef PARTELLO_PLATFORM_H
#define PARTELLO_PLATFORM_H

#include <stddef.h>
#include <stdint.h>

// Limits in characters, as the system counts them (see FitCharacters), and
// the bytes a narrow text needs for them. On Windows a character takes up
// to 3 bytes in UTF-8, and the 4 bytes of an emoji count as 2 characters,
// a surrogate pair; on POSIX names are bytes, and a path may be as long as
// the system's own limit.
#ifdef _WIN32
enum {
    PATH_CHARS = 260,  // a path with its terminating zero
    NAME_CHARS = 255,  // a file name within a path
    PATH_SIZE = 3 * (PATH_CHARS - 1) + 1,
    NAME_SIZE = 3 * NAME_CHARS + 1,
};
#else
enum {
    PATH_CHARS = 4096,
    NAME_CHARS = 255,
    PATH_SIZE = PATH_CHARS,
    NAME_SIZE = NAME_CHARS + 1,
};
#endif

enum { NO_SYSTEM_ERROR = 0 };  // LastSystemError when there was no reason

typedef intptr_t FileHandle;
const FileHandle NO_FILE = -1;

typedef int64_t FileTime;  // an opaque last-write stamp

// Read-only windows onto an open file, for the checksum pass: reads into one
// buffer, so that a file that shrinks meanwhile gives a failed window and
// never a fault. Views start at multiples of WINDOW_ALIGNMENT.
struct FileWindowReader;
enum { WINDOW_ALIGNMENT = 65536 };

// What a name leads to, and which file: volume and index (Windows) or
// device and inode (POSIX). A deleted file's index goes to the next file
// made, so a file is known again by its size and times as well: the
// last-write time, and the creation time (Windows) or the time its entry
// last changed (POSIX).
struct FileIdentity {
    uint64_t volume;
    uint64_t index;
    int64_t size;
    FileTime written;
    FileTime made;
};
enum EntryKind {
    ENTRY_NONE,   // nothing (also a link that leads nowhere)
    ENTRY_FILE,   // a regular file, `*identity` filled
    ENTRY_OTHER,  // a folder, a device or anything else
};
// The same file, unchanged: what an answer to a question about it covers.
inline bool IsSameIdentity(const FileIdentity &a, const FileIdentity &b)
{
    return a.volume == b.volume && a.index == b.index && a.size == b.size && a.written == b.written &&
           a.made == b.made;
}
// The same file, whatever was done to it: enough for a file this program
// holds open, whose index nobody else can be given meanwhile.
inline bool IsSameFileIndex(const FileIdentity &a, const FileIdentity &b)
{
    return a.volume == b.volume && a.index == b.index;
}

// The permissions a file this program wrote takes before it is moved onto
// its final name (see SetFinalAccess).
enum AccessRule {
    ACCESS_OF_NEW_FILE,  // as a newly created file gets them (the umask)
    ACCESS_OF_MODEL,     // the replaced file's: its mode, and owner and group where allowed; its attributes on Windows
    ACCESS_WITHIN_MODEL, // as a new file gets them, but never wider than the model's
};

// Why a path cannot name a file to write, as the system would read it.
enum NameFault {
    NAME_USABLE,
    NAME_STREAM,    // a ':' after the drive: a hidden stream of another file
    NAME_DEVICE,    // CON, PRN, AUX, NUL, COM1-9, LPT1-9 or a \\.\ path
    NAME_WILDCARD,  // '*' or '?'
};

// What ListFolder calls with each entry's bare name.
typedef void (*ListEntryProc)(const char *name, void *context);

extern const char PATH_SEPARATOR;

// The platform's calls, each listed once as
//   X(result, Name, (parameters), (arguments))
// with its contract above it. This header expands the list into plain
// declarations; the fault harness (tests/fault) expands it again to pass
// each call on to the real platform, so a new call needs only its row here
// and its two implementations.
#define PARTELLO_PLATFORM_CALLS(X) \
    /* The number of bytes at the start of `text` that hold at most `limit` \
       characters, never splitting one. Characters are what the system \
       counts: UTF-16 units of the text in the ANSI code page on Windows, \
       bytes on POSIX, where names are bytes. */ \
    X(size_t, FitCharacters, (const char *text, size_t limit), (text, limit)) \
    /* The system's reason for the platform call that just failed: errno on \
       POSIX, GetLastError on Windows. Read it right after the failed call, \
       before anything else can change it. */ \
    X(int, LastSystemError, (), ()) \
    \
    /* Opens an existing file for reading; others may go on reading and \
       writing it. On POSIX only a regular file opens, and opening never \
       waits (a FIFO, a device or a folder is refused at once). */ \
    X(FileHandle, OpenFileForRead, (const char *path), (path)) \
    /* Creates a new file for reading and writing, shared with nobody while \
       open but for renaming it (it may be moved while open), readable by its \
       owner only on POSIX; fails when an entry of that name exists, a link \
       too (never followed), and then sets `*taken`. */ \
    X(FileHandle, CreateNewFile, (const char *path, bool *taken), (path, taken)) \
    X(void, CloseFileHandle, (FileHandle file), (file)) \
    \
    /* Read or write up to `count` bytes at the current position. The result \
       is the number of bytes moved (short only at the end of the file or on \
       failure), or -1 when the first transfer already failed. On POSIX a \
       failed call leaves the system's reason in errno, or 0 there when there \
       was none (a short count at the end of a file, an entry that is not a \
       regular file). */ \
    X(int64_t, ReadFileBytes, (FileHandle file, void *buffer, int64_t count), (file, buffer, count)) \
    X(int64_t, WriteFileBytes, (FileHandle file, const void *buffer, int64_t count), (file, buffer, count)) \
    /* Waits until the file's data and metadata are on stable storage. */ \
    X(bool, FlushToDisk, (FileHandle file), (file)) \
    /* Starts writing the file's data to stable storage without waiting, \
       where the system can, so that a flush later has less to wait for. */ \
    X(void, BeginFlush, (FileHandle file), (file)) \
    /* FlushToDisk for the regular file at `path`, opened for it (never \
       through a link). */ \
    X(bool, FlushPathToDisk, (const char *path), (path)) \
    /* The file's length in bytes, or -1. */ \
    X(int64_t, GetFileLength, (FileHandle file), (file)) \
    \
    X(bool, GetFileWriteTime, (FileHandle file, FileTime *time), (file, time)) \
    /* Sets the last-write time and leaves the other times alone. */ \
    X(bool, SetFileWriteTime, (FileHandle file, FileTime time), (file, time)) \
    \
    /* Opening a window reader fails for an empty file, which has no \
       checksum. One window is open at a time; the file's position is as it \
       was once the reader is closed. */ \
    X(FileWindowReader *, OpenWindowReader, (FileHandle file), (file)) \
    X(int64_t, GetReaderLength, (const FileWindowReader *reader), (reader)) \
    /* A view of `length` bytes from `offset`; offset must be a multiple of \
       WINDOW_ALIGNMENT. NULL on failure. */ \
    X(const unsigned char *, ReadFileWindow, (FileWindowReader *reader, int64_t offset, size_t length), \
      (reader, offset, length)) \
    X(void, ReleaseFileWindow, (const unsigned char *view, size_t length), (view, length)) \
    X(void, CloseWindowReader, (FileWindowReader *reader), (reader)) \
    \
    /* Size of the file a directory search finds under `path`; 0 when there \
       is none, when it is a folder, or when the search fails. */ \
    X(int64_t, GetPathFileSize, (const char *path), (path)) \
    X(bool, IsFolderPath, (const char *path), (path)) \
    /* True when a directory search finds `path` and the entry is not a \
       folder. */ \
    X(bool, IsFilePath, (const char *path), (path)) \
    X(bool, CopyFileNoReplace, (const char *from, const char *to), (from, to)) \
    /* Moves the file `from` to `to` in one step. With `replace`, a file at \
       `to` is replaced; without, the move fails when any entry is at `to`. \
       Both names are in one folder. */ \
    X(bool, MoveFileIntoPlace, (const char *from, const char *to, bool replace), (from, to, replace)) \
    /* Gives `file` (open, at `path`) the permissions of `rule`, `model` \
       naming the file they are taken from. On Windows only ACCESS_OF_MODEL \
       does anything: the model's attributes carry over. */ \
    X(bool, SetFinalAccess, (FileHandle file, const char *path, const char *model, AccessRule rule), \
      (file, path, model, rule)) \
    /* Makes the folder entries of the folder holding `path` durable (POSIX; \
       on Windows the write-through move has done it). */ \
    X(bool, SyncFolderOf, (const char *path), (path)) \
    /* Free bytes for this user on the file system that holds the folder of \
       `path`; -1 when unknown. */ \
    X(int64_t, GetFreeDiskBytes, (const char *path), (path)) \
    \
    X(EntryKind, LookUpEntry, (const char *path, FileIdentity *identity), (path, identity)) \
    X(bool, GetFileIdentity, (FileHandle file, FileIdentity *identity), (file, identity)) \
    /* Always NAME_USABLE on POSIX, where every byte but '/' and zero may \
       stand in a name. */ \
    X(NameFault, FindNameFault, (const char *path), (path)) \
    X(bool, DeleteFilePath, (const char *path), (path)) \
    /* Full path of the running program's executable. */ \
    X(bool, GetProgramPath, (char *buffer, int size), (buffer, size)) \
    /* True when both paths name the same file. When both exist, by \
       identity: on Windows the volume serial number and file index, so \
       short names, other drive letters, junctions and hard links are seen \
       through; on POSIX the device and inode. Otherwise by name: on Windows \
       the full paths compared without regard to case, on POSIX the \
       canonical names. */ \
    X(bool, IsSameFile, (const char *a, const char *b), (a, b)) \
    X(bool, IsPathSeparator, (char c), (c)) \
    \
    /* Calls `each` with the bare name of every entry of `folder` ("" for \
       the current folder; otherwise ending in a separator) that the \
       system's search offers for `pattern`. The system may offer more names \
       than the pattern strictly matches; callers filter. False when the \
       folder could not be searched (a folder with no match is searched). */ \
    X(bool, ListFolder, (const char *folder, const char *pattern, ListEntryProc each, void *context), \
      (folder, pattern, each, context))

#define PARTELLO_DECLARE_PLATFORM_CALL(result, name, parameters, arguments) result name parameters;
PARTELLO_PLATFORM_CALLS(PARTELLO_DECLARE_PLATFORM_CALL)
#undef PARTELLO_DECLARE_PLATFORM_CALL

// The file name of a path: the text after its last separator. What comes
// before it is the folder part, separator included.
inline const char *FindFileName(const char *path)
{
    const char *name = path;
    for (const char *p = path; *p; p++)
        if (IsPathSeparator(*p)) name = p + 1;
    return name;
}

#endif
