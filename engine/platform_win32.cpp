#include <windows.h>

#include <string.h>

#include "platform.h"

const char PATH_SEPARATOR = '\\';

int LastSystemError() { return (int)GetLastError(); }

bool IsPathSeparator(char c) { return c == '\\' || c == ':'; }

static HANDLE ToHandle(FileHandle file) { return (HANDLE)file; }

// Room for a path as the wide calls take it, the long-path prefix included.
enum { WIDE_PATH_SIZE = 2 * PATH_CHARS };

// `path` as the wide calls take it. A path as long as the system allows
// may have an unfinished name beside it that passes MAX_PATH: such a path
// is made full and given the "\\?\" prefix, which lifts that limit.
// Shorter paths stay as they are, relative ones relative.
static bool WidenPath(const char *path, WCHAR *wide)
{
    WCHAR typed[WIDE_PATH_SIZE];
    int units = MultiByteToWideChar(CP_ACP, 0, path, -1, typed, WIDE_PATH_SIZE);
    if (units == 0) return false;
    if (units <= MAX_PATH - 12) {  // 12: a folder's own limit
        memcpy(wide, typed, (size_t)units * sizeof *wide);
        return true;
    }
    const WCHAR *unc = typed[0] == L'\\' && typed[1] == L'\\' ? L"UNC" : L"";
    lstrcpyW(wide, L"\\\\?\\");
    lstrcatW(wide, unc);
    int prefix = lstrlenW(wide);
    DWORD length = GetFullPathNameW(typed, WIDE_PATH_SIZE - prefix, wide + prefix, NULL);
    if (length == 0 || length >= (DWORD)(WIDE_PATH_SIZE - prefix)) return false;
    if (unc[0]) memmove(wide + prefix, wide + prefix + 1, length * sizeof *wide);  // \\server -> UNC\server
    return true;
}

static HANDLE OpenPath(const char *path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    WCHAR wide[WIDE_PATH_SIZE];
    if (!WidenPath(path, wide)) return INVALID_HANDLE_VALUE;
    return CreateFileW(wide, access, share, NULL, disposition, flags, NULL);
}

// The attributes of what `path` names, or INVALID_FILE_ATTRIBUTES.
static DWORD GetPathAttributes(const char *path)
{
    WCHAR wide[WIDE_PATH_SIZE];
    return WidenPath(path, wide) ? GetFileAttributesW(wide) : INVALID_FILE_ATTRIBUTES;
}

FileHandle OpenFileForRead(const char *path)
{
    HANDLE h = OpenPath(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    return h == INVALID_HANDLE_VALUE ? NO_FILE : (FileHandle)h;
}

FileHandle CreateNewFile(const char *path, bool *taken)
{
    HANDLE h = OpenPath(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    DWORD error = GetLastError();
    *taken = h == INVALID_HANDLE_VALUE && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
    return h == INVALID_HANDLE_VALUE ? NO_FILE : (FileHandle)h;
}

void CloseFileHandle(FileHandle file)
{
    if (file != NO_FILE) CloseHandle(ToHandle(file));
}

// ReadFile and WriteFile take 32-bit counts, so large transfers go in slices.
static const DWORD kSlice = 1u << 30;

int64_t ReadFileBytes(FileHandle file, void *buffer, int64_t count)
{
    int64_t done = 0;
    while (done < count) {
        DWORD want = count - done > kSlice ? kSlice : (DWORD)(count - done);
        DWORD got = 0;
        if (!ReadFile(ToHandle(file), (char *)buffer + done, want, &got, NULL)) return done ? done : -1;
        if (got == 0) break;
        done += got;
    }
    return done;
}

int64_t WriteFileBytes(FileHandle file, const void *buffer, int64_t count)
{
    int64_t done = 0;
    while (done < count) {
        DWORD want = count - done > kSlice ? kSlice : (DWORD)(count - done);
        DWORD put = 0;
        if (!WriteFile(ToHandle(file), (const char *)buffer + done, want, &put, NULL)) return done ? done : -1;
        if (put == 0) break;
        done += put;
    }
    return done;
}

bool FlushToDisk(FileHandle file) { return FlushFileBuffers(ToHandle(file)) != 0; }

void BeginFlush(FileHandle) {}

// Flushing needs write access; the file is one this program wrote.
bool FlushPathToDisk(const char *path)
{
    HANDLE h = OpenPath(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING,
                        FILE_FLAG_OPEN_REPARSE_POINT);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool flushed = FlushFileBuffers(h) != 0;
    DWORD error = GetLastError();
    CloseHandle(h);
    SetLastError(error);
    return flushed;
}

int64_t GetFileLength(FileHandle file)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(ToHandle(file), &size)) return -1;
    return size.QuadPart;
}

static FileTime ToFileTime(const FILETIME &time) { return ((int64_t)time.dwHighDateTime << 32) | time.dwLowDateTime; }

bool GetFileWriteTime(FileHandle file, FileTime *time)
{
    FILETIME written;
    if (!GetFileTime(ToHandle(file), NULL, NULL, &written)) return false;
    *time = ToFileTime(written);
    return true;
}

bool SetFileWriteTime(FileHandle file, FileTime time)
{
    FILETIME written;
    written.dwLowDateTime = (DWORD)time;
    written.dwHighDateTime = (DWORD)((uint64_t)time >> 32);
    return SetFileTime(ToHandle(file), NULL, NULL, &written) != 0;
}

// The windows are read into one buffer that the reader keeps, not mapped:
// a file that shrinks or a medium that goes away meanwhile then gives a
// failed read, where a mapped page that is gone would fault. The file's
// position is put back when the reader closes. One window is open at a time.
struct FileWindowReader {
    HANDLE file;
    int64_t length;
    LARGE_INTEGER position;
    unsigned char *buffer;
    size_t bufferSize;
};

FileWindowReader *OpenWindowReader(FileHandle file)
{
    int64_t length = GetFileLength(file);
    LARGE_INTEGER zero, position;
    zero.QuadPart = 0;
    if (length <= 0 || !SetFilePointerEx(ToHandle(file), zero, &position, FILE_CURRENT)) return NULL;
    FileWindowReader *reader = (FileWindowReader *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof *reader);
    if (!reader) return NULL;
    reader->file = ToHandle(file);
    reader->length = length;
    reader->position = position;
    return reader;
}

int64_t GetReaderLength(const FileWindowReader *reader) { return reader->length; }

const unsigned char *ReadFileWindow(FileWindowReader *reader, int64_t offset, size_t length)
{
    if (length > reader->bufferSize) {
        if (reader->buffer) HeapFree(GetProcessHeap(), 0, reader->buffer);
        reader->buffer = (unsigned char *)HeapAlloc(GetProcessHeap(), 0, length);
        reader->bufferSize = reader->buffer ? length : 0;
        if (!reader->buffer) return NULL;
    }
    LARGE_INTEGER start;
    start.QuadPart = offset;
    if (!SetFilePointerEx(reader->file, start, NULL, FILE_BEGIN)) return NULL;
    int64_t got = ReadFileBytes((FileHandle)reader->file, reader->buffer, (int64_t)length);
    if (got == (int64_t)length) return reader->buffer;
    if (got >= 0) SetLastError(ERROR_HANDLE_EOF);  // the file shrank
    return NULL;
}

void ReleaseFileWindow(const unsigned char *, size_t) {}

void CloseWindowReader(FileWindowReader *reader)
{
    if (!reader) return;
    SetFilePointerEx(reader->file, reader->position, NULL, FILE_BEGIN);
    if (reader->buffer) HeapFree(GetProcessHeap(), 0, reader->buffer);
    HeapFree(GetProcessHeap(), 0, reader);
}

// Directory searches run on wide names: WIN32_FIND_DATAA holds 260 bytes,
// too few for a long name in UTF-8. Names come back in the ANSI code page.
static HANDLE FindFirstEntry(const char *pattern, WIN32_FIND_DATAW *found)
{
    WCHAR wide[WIDE_PATH_SIZE];
    if (!MultiByteToWideChar(CP_ACP, 0, pattern, -1, wide, WIDE_PATH_SIZE)) return INVALID_HANDLE_VALUE;
    return FindFirstFileW(wide, found);
}

int64_t GetPathFileSize(const char *path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstEntry(path, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    return ((int64_t)found.nFileSizeHigh << 32) | found.nFileSizeLow;
}

bool IsFolderPath(const char *path)
{
    DWORD attributes = GetPathAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFilePath(const char *path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstEntry(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CopyFileNoReplace(const char *from, const char *to)
{
    WCHAR wideFrom[WIDE_PATH_SIZE], wideTo[WIDE_PATH_SIZE];
    return WidenPath(from, wideFrom) && WidenPath(to, wideTo) && CopyFileW(wideFrom, wideTo, TRUE);
}

bool DeleteFilePath(const char *path)
{
    WCHAR wide[WIDE_PATH_SIZE];
    return WidenPath(path, wide) && DeleteFileW(wide);
}

bool MoveFileIntoPlace(const char *from, const char *to, bool replace)
{
    WCHAR wideFrom[WIDE_PATH_SIZE], wideTo[WIDE_PATH_SIZE];
    if (!WidenPath(from, wideFrom) || !WidenPath(to, wideTo)) return false;
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (replace) flags |= MOVEFILE_REPLACE_EXISTING;
    return MoveFileExW(wideFrom, wideTo, flags) != 0;
}

// The attributes a user gives a file that a replacement keeps; read-only
// is not among them, since such a file is not replaced at all.
static const DWORD kKeptAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool SetFinalAccess(FileHandle, const char *path, const char *model, AccessRule rule)
{
    if (rule != ACCESS_OF_MODEL) return true;
    DWORD attributes = GetPathAttributes(model);
    WCHAR wide[WIDE_PATH_SIZE];
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // gone: the file is new
    return WidenPath(path, wide) && SetFileAttributesW(wide, (attributes & kKeptAttributes) | FILE_ATTRIBUTE_ARCHIVE);
}

bool SyncFolderOf(const char *) { return true; }

int64_t GetFreeDiskBytes(const char *path)
{
    char folder[PATH_SIZE];
    size_t length = (size_t)(FindFileName(path) - path);
    if (length >= sizeof folder) return -1;
    memcpy(folder, path, length);
    folder[length] = '\0';
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(length ? folder : NULL, &available, NULL, NULL)) return -1;
    return available.QuadPart > (ULONGLONG)INT64_MAX ? INT64_MAX : (int64_t)available.QuadPart;
}

static void FillIdentity(const BY_HANDLE_FILE_INFORMATION *info, FileIdentity *identity)
{
    identity->volume = info->dwVolumeSerialNumber;
    identity->index = ((uint64_t)info->nFileIndexHigh << 32) | info->nFileIndexLow;
    identity->size = ((int64_t)info->nFileSizeHigh << 32) | info->nFileSizeLow;
    identity->written = ToFileTime(info->ftLastWriteTime);
    identity->made = ToFileTime(info->ftCreationTime);
}

bool GetFileIdentity(FileHandle file, FileIdentity *identity)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(ToHandle(file), &info)) return false;
    FillIdentity(&info, identity);
    return true;
}

bool GetProgramPath(char *buffer, int size)
{
    DWORD length = GetModuleFileNameA(NULL, buffer, size);
    return length > 0 && (int)length < size;
}

// Opening with no access rights asks nothing of the file's sharing, so a
// file that another program holds open is identified too.
static bool GetPathInformation(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE h = OpenPath(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                        FILE_FLAG_BACKUP_SEMANTICS);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool known = GetFileInformationByHandle(h, info) != 0;
    CloseHandle(h);
    return known;
}

// The full path as wide text, into WIDE_PATH_SIZE units.
static bool GetWideFullPath(const char *path, WCHAR *full)
{
    WCHAR wide[WIDE_PATH_SIZE];
    if (!MultiByteToWideChar(CP_ACP, 0, path, -1, wide, WIDE_PATH_SIZE)) return false;
    DWORD length = GetFullPathNameW(wide, WIDE_PATH_SIZE, full, NULL);
    return length > 0 && length < WIDE_PATH_SIZE;
}

bool IsSameFile(const char *a, const char *b)
{
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    if (GetPathInformation(a, &infoA) && GetPathInformation(b, &infoB))
        return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
               infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
    // A missing file is known by its full path, compared as wide text:
    // CompareStringA would read UTF-8 in the invariant locale's code page
    // and miss that "Été" and "été" name one file.
    WCHAR fullA[WIDE_PATH_SIZE], fullB[WIDE_PATH_SIZE];
    if (!GetWideFullPath(a, fullA) || !GetWideFullPath(b, fullB)) return false;
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, fullA, -1, fullB, -1) == CSTR_EQUAL;
}

EntryKind LookUpEntry(const char *path, FileIdentity *identity)
{
    DWORD attributes = GetPathAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return ENTRY_NONE;
    BY_HANDLE_FILE_INFORMATION info;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY || !GetPathInformation(path, &info)) return ENTRY_OTHER;
    FillIdentity(&info, identity);
    return ENTRY_FILE;
}

static char FoldLetter(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

// The number of COM and LPT devices: 1 to 9, or the superscripts one to
// three (U+00B9, U+00B2, U+00B3), which the system reads as those digits.
static bool IsDeviceNumber(const char *text, size_t length)
{
    if (length == 1 && text[0] >= '1' && text[0] <= '9') return true;
    WCHAR wide[2];
    return length >= 1 && length <= 3 &&
           MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, (int)length, wide, 2) == 1 &&
           (wide[0] == 0xB9 || wide[0] == 0xB2 || wide[0] == 0xB3);
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices in every folder, with
// any extension and with blanks before it.
static bool IsDeviceName(const char *name)
{
    size_t length = 0;
    while (name[length] && !strchr(".\\/", name[length])) length++;
    while (length > 0 && name[length - 1] == ' ') length--;
    char base[4] = "";
    if (length < 3 || length > 6) return false;
    for (size_t i = 0; i < 3; i++) base[i] = FoldLetter(name[i]);
    static const char *const kPlain[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char *device : kPlain)
        if (length == 3 && !strcmp(base, device)) return true;
    return (!strcmp(base, "COM") || !strcmp(base, "LPT")) && IsDeviceNumber(name + 3, length - 3);
}

NameFault FindNameFault(const char *path)
{
    if ((path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/') && path[2] == '.' &&
        (path[3] == '\\' || path[3] == '/'))
        return NAME_DEVICE;
    if (strpbrk(path, "*?")) return NAME_WILDCARD;
    bool drive = ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':';
    if (strchr(path + (drive ? 2 : 0), ':')) return NAME_STREAM;
    // The system takes '/' for '\\' too.
    for (const char *name = path; *name;) {
        if (IsDeviceName(name)) return NAME_DEVICE;
        const char *next = strpbrk(name, "\\/");
        if (!next) break;
        name = next + 1;
    }
    return NAME_USABLE;
}

bool ListFolder(const char *folder, const char *pattern, ListEntryProc each, void *context)
{
    char query[2 * PATH_SIZE];
    size_t folderLength = strlen(folder), patternLength = strlen(pattern);
    if (folderLength + patternLength >= sizeof query) return false;
    memcpy(query, folder, folderLength);
    memcpy(query + folderLength, pattern, patternLength + 1);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstEntry(query, &found);
    if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;  // searched: no match
    do {
        char name[NAME_SIZE];
        if (WideCharToMultiByte(CP_ACP, 0, found.cFileName, -1, name, sizeof name, NULL, NULL)) each(name, context);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

size_t FitCharacters(const char *text, size_t limit)
{
    size_t length = strlen(text);
    // A character takes at least one byte, so a short text fits whole. No
    // code page spends more than 3 bytes on a UTF-16 unit, so the first
    // `limit` units lie within 3 * limit bytes; 3 more keep a character cut
    // at the window's end out of them.
    if (length <= limit) return length;
    WCHAR wide[3 * PATH_CHARS];
    size_t window = 3 * limit + 3;
    if (window > length) window = length;
    if (window > 3 * PATH_CHARS) window = 3 * PATH_CHARS;
    int units = MultiByteToWideChar(CP_ACP, 0, text, (int)window, wide, 3 * PATH_CHARS);
    if (units <= (int)limit) return window;
    units = (int)limit;
    if (IS_HIGH_SURROGATE(wide[units - 1])) units--;  // keep the pair whole
    size_t fit = (size_t)WideCharToMultiByte(CP_ACP, 0, wide, units, NULL, 0, NULL, NULL);
    return fit < window ? fit : window;
}
