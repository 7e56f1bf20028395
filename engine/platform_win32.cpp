#include <windows.h>

#include <string.h>

#include "platform.h"

const char PATH_SEPARATOR = '\\';

bool IsPathSeparator(char c) { return c == '\\' || c == ':'; }

static HANDLE ToHandle(FileHandle file) { return (HANDLE)file; }

FileHandle OpenFileForRead(const char *path)
{
    HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    return h == INVALID_HANDLE_VALUE ? NO_FILE : (FileHandle)h;
}

FileHandle CreateFileForWrite(const char *path)
{
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
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

int64_t GetFileLength(FileHandle file)
{
    LARGE_INTEGER size;
    if (!GetFileSizeEx(ToHandle(file), &size)) return -1;
    return size.QuadPart;
}

bool GetFileWriteTime(FileHandle file, FileTime *time)
{
    FILETIME written;
    if (!GetFileTime(ToHandle(file), NULL, NULL, &written)) return false;
    *time = ((int64_t)written.dwHighDateTime << 32) | written.dwLowDateTime;
    return true;
}

bool SetFileWriteTime(FileHandle file, FileTime time)
{
    FILETIME written;
    written.dwLowDateTime = (DWORD)time;
    written.dwHighDateTime = (DWORD)((uint64_t)time >> 32);
    return SetFileTime(ToHandle(file), NULL, NULL, &written) != 0;
}

struct FileMapping {
    HANDLE handle;
    int64_t length;
};

FileMapping *OpenMapping(FileHandle file)
{
    int64_t length = GetFileLength(file);
    if (length <= 0) return NULL;
    HANDLE handle = CreateFileMappingA(ToHandle(file), NULL, PAGE_READONLY, 0, 0, NULL);
    if (!handle) return NULL;
    FileMapping *mapping = (FileMapping *)HeapAlloc(GetProcessHeap(), 0, sizeof(FileMapping));
    if (!mapping) {
        CloseHandle(handle);
        return NULL;
    }
    mapping->handle = handle;
    mapping->length = length;
    return mapping;
}

int64_t GetMappingLength(const FileMapping *mapping) { return mapping->length; }

const unsigned char *MapFileWindow(FileMapping *mapping, int64_t offset, size_t length)
{
    return (const unsigned char *)MapViewOfFile(mapping->handle, FILE_MAP_READ, (DWORD)(offset >> 32),
                                                (DWORD)offset, length);
}

void UnmapFileWindow(const unsigned char *view, size_t)
{
    if (view) UnmapViewOfFile(view);
}

void CloseMapping(FileMapping *mapping)
{
    if (!mapping) return;
    CloseHandle(mapping->handle);
    HeapFree(GetProcessHeap(), 0, mapping);
}

int64_t GetPathFileSize(const char *path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return 0;
    return ((int64_t)found.nFileSizeHigh << 32) | found.nFileSizeLow;
}

bool IsFolderPath(const char *path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFilePath(const char *path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CopyFileNoReplace(const char *from, const char *to) { return CopyFileA(from, to, TRUE) != 0; }

bool DeleteFilePath(const char *path) { return DeleteFileA(path) != 0; }

bool GetProgramPath(char *buffer, int size)
{
    DWORD length = GetModuleFileNameA(NULL, buffer, size);
    return length > 0 && (int)length < size;
}

// Opening with no access rights asks nothing of the file's sharing, so a
// file that another program holds open is identified too.
static bool GetFileIdentity(const char *path, BY_HANDLE_FILE_INFORMATION *info)
{
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool known = GetFileInformationByHandle(h, info) != 0;
    CloseHandle(h);
    return known;
}

bool IsSameFile(const char *a, const char *b)
{
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    if (GetFileIdentity(a, &infoA) && GetFileIdentity(b, &infoB))
        return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
               infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
    char fullA[MAX_PATH * 2], fullB[MAX_PATH * 2];
    DWORD lengthA = GetFullPathNameA(a, sizeof fullA, fullA, NULL);
    DWORD lengthB = GetFullPathNameA(b, sizeof fullB, fullB, NULL);
    if (!lengthA || !lengthB || lengthA >= sizeof fullA || lengthB >= sizeof fullB) return false;
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, fullA, -1, fullB, -1) == CSTR_EQUAL;
}

bool ListFolder(const char *folder, const char *pattern, ListEntryProc each, void *context)
{
    char query[PATH_SIZE * 2];
    size_t folderLength = strlen(folder), patternLength = strlen(pattern);
    if (folderLength + patternLength >= sizeof query) return false;
    memcpy(query, folder, folderLength);
    memcpy(query + folderLength, pattern, patternLength + 1);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(query, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    do {
        each(found.cFileName, context);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}
