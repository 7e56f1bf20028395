#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "platform.h"

const char PATH_SEPARATOR = '/';

bool IsPathSeparator(char c) { return c == '/'; }

int LastSystemError() { return errno; }

// Data files only: opening never waits (a FIFO without a writer would hold
// the program forever), and anything but a regular file is refused.
FileHandle OpenFileForRead(const char *path)
{
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return NO_FILE;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        errno = 0;  // no system error: the console describes the entry itself
        return NO_FILE;
    }
    int status = fcntl(fd, F_GETFL);
    if (status == -1 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) {
        close(fd);
        return NO_FILE;
    }
    return fd;
}

FileHandle CreateNewFile(const char *path, bool *taken)
{
    *taken = false;
    // Private until it is whole: SetFinalAccess opens it up before the move.
    int fd = open(path, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) *taken = errno == EEXIST;
    return fd < 0 ? NO_FILE : fd;
}

void CloseFileHandle(FileHandle file)
{
    if (file != NO_FILE) close((int)file);
}

int64_t ReadFileBytes(FileHandle file, void *buffer, int64_t count)
{
    int64_t done = 0;
    while (done < count) {
        ssize_t got = read((int)file, (char *)buffer + done, (size_t)(count - done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return done ? done : -1;
        if (got == 0) {
            errno = 0;  // the end of the file: short, but no system error
            break;
        }
        done += got;
    }
    return done;
}

int64_t WriteFileBytes(FileHandle file, const void *buffer, int64_t count)
{
    int64_t done = 0;
    while (done < count) {
        ssize_t put = write((int)file, (const char *)buffer + done, (size_t)(count - done));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return done ? done : -1;
        if (put == 0) {
            errno = 0;
            break;
        }
        done += put;
    }
    return done;
}

bool FlushToDisk(FileHandle file) { return fsync((int)file) == 0; }

void BeginFlush(FileHandle file) { sync_file_range((int)file, 0, 0, SYNC_FILE_RANGE_WRITE); }

bool FlushPathToDisk(const char *path)
{
    int fd = open(path, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    bool flushed = fsync(fd) == 0;
    int error = errno;
    close(fd);
    errno = error;
    return flushed;
}

int64_t GetFileLength(FileHandle file)
{
    struct stat info;
    if (fstat((int)file, &info) != 0) return -1;
    return info.st_size;
}

static FileTime ToFileTime(const struct timespec &time) { return (int64_t)time.tv_sec * 1000000000 + time.tv_nsec; }

bool GetFileWriteTime(FileHandle file, FileTime *time)
{
    struct stat info;
    if (fstat((int)file, &info) != 0) return false;
    *time = ToFileTime(info.st_mtim);
    return true;
}

bool SetFileWriteTime(FileHandle file, FileTime time)
{
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time / 1000000000;
    times[1].tv_nsec = time % 1000000000;
    if (times[1].tv_nsec < 0) {
        times[1].tv_nsec += 1000000000;
        times[1].tv_sec -= 1;
    }
    return futimens((int)file, times) == 0;
}

// The windows are read into one buffer that the reader keeps, not mapped:
// faulting in a fresh mapping costs more per page than copying the bytes,
// and a file that shrinks meanwhile gives a failed window, not a SIGBUS.
// One window is open at a time.
struct FileWindowReader {
    int fd;
    int64_t length;
    unsigned char *buffer;
    size_t bufferSize;
};

FileWindowReader *OpenWindowReader(FileHandle file)
{
    int64_t length = GetFileLength(file);
    if (length <= 0) return NULL;
    FileWindowReader *reader = (FileWindowReader *)malloc(sizeof(FileWindowReader));
    if (!reader) return NULL;
    reader->fd = (int)file;
    reader->length = length;
    reader->buffer = NULL;
    reader->bufferSize = 0;
    return reader;
}

int64_t GetReaderLength(const FileWindowReader *reader) { return reader->length; }

const unsigned char *ReadFileWindow(FileWindowReader *reader, int64_t offset, size_t length)
{
    if (length > reader->bufferSize) {
        free(reader->buffer);
        reader->buffer = (unsigned char *)malloc(length);
        reader->bufferSize = reader->buffer ? length : 0;
        if (!reader->buffer) return NULL;
    }
    // pread leaves the file position alone, as a reader would.
    for (size_t done = 0; done < length;) {
        ssize_t got = pread(reader->fd, reader->buffer + done, length - done, (off_t)(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got == 0) errno = 0;  // the file shrank: no system error
        if (got <= 0) return NULL;
        done += (size_t)got;
    }
    return reader->buffer;
}

void ReleaseFileWindow(const unsigned char *, size_t) {}

void CloseWindowReader(FileWindowReader *reader)
{
    if (!reader) return;
    free(reader->buffer);
    free(reader);
}

int64_t GetPathFileSize(const char *path)
{
    struct stat info;
    if (stat(path, &info) != 0 || S_ISDIR(info.st_mode)) return 0;
    return info.st_size;
}

bool IsFolderPath(const char *path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFilePath(const char *path)
{
    struct stat info;
    return stat(path, &info) == 0 && !S_ISDIR(info.st_mode);
}

bool CopyFileNoReplace(const char *from, const char *to)
{
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat info;
    if (fstat(in, &info) != 0) {
        close(in);
        return false;
    }
    int out = open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777);
    if (out < 0) {
        close(in);
        return false;
    }
    char block[65536];
    bool ok = true;
    for (;;) {
        int64_t got = ReadFileBytes(in, block, sizeof block);
        if (got < 0) ok = false;
        if (got <= 0) break;
        if (WriteFileBytes(out, block, got) != got) {
            ok = false;
            break;
        }
    }
    close(in);
    if (close(out) != 0) ok = false;
    // A half-written copy is our own new file, never one the user had.
    if (!ok) unlink(to);
    return ok;
}

bool DeleteFilePath(const char *path) { return unlink(path) == 0; }

bool MoveFileIntoPlace(const char *from, const char *to, bool replace)
{
    if (replace) return rename(from, to) == 0;
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the no-replace rename: a link is never made
    // over an existing name either.
    if (link(from, to) != 0) return false;
    unlink(from);
    return true;
}

// The permission bits a newly created file gets from this process.
static mode_t NewFileMode()
{
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool SetFinalAccess(FileHandle file, const char *, const char *model, AccessRule rule)
{
    // A model that is gone leaves nothing to match: the file is then new.
    struct stat info;
    if (rule != ACCESS_OF_NEW_FILE && stat(model, &info) != 0) rule = ACCESS_OF_NEW_FILE;
    mode_t mode = NewFileMode();
    if (rule == ACCESS_WITHIN_MODEL) mode &= info.st_mode;
    if (rule == ACCESS_OF_MODEL) {
        mode = info.st_mode & 07777;
        // Only a privileged process may give a file away; others keep their own.
        if (fchown((int)file, info.st_uid, info.st_gid) != 0 && errno != EPERM) return false;
    }
    return fchmod((int)file, mode) == 0;
}

// The folder part of `path`, or "." when it has none.
static void CopyFolderOf(const char *path, char *folder)
{
    const char *slash = strrchr(path, '/');
    size_t length = slash ? (slash == path ? 1 : (size_t)(slash - path)) : 0;
    if (length >= PATH_MAX) length = 0;
    memcpy(folder, slash ? path : ".", slash ? length : 1);
    folder[slash ? length : 1] = '\0';
}

bool SyncFolderOf(const char *path)
{
    char folder[PATH_MAX];
    CopyFolderOf(path, folder);
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

int64_t GetFreeDiskBytes(const char *path)
{
    char folder[PATH_MAX];
    CopyFolderOf(path, folder);
    struct statvfs info;
    if (statvfs(folder, &info) != 0) return -1;
    return (int64_t)info.f_bavail * (int64_t)info.f_frsize;
}

static EntryKind FillIdentity(const struct stat *info, FileIdentity *identity)
{
    if (!S_ISREG(info->st_mode)) return ENTRY_OTHER;
    identity->volume = (uint64_t)info->st_dev;
    identity->index = (uint64_t)info->st_ino;
    identity->size = info->st_size;
    identity->written = ToFileTime(info->st_mtim);
    identity->made = ToFileTime(info->st_ctim);
    return ENTRY_FILE;
}

EntryKind LookUpEntry(const char *path, FileIdentity *identity)
{
    struct stat info;
    if (stat(path, &info) != 0) return ENTRY_NONE;
    return FillIdentity(&info, identity);
}

bool GetFileIdentity(FileHandle file, FileIdentity *identity)
{
    struct stat info;
    return fstat((int)file, &info) == 0 && FillIdentity(&info, identity) == ENTRY_FILE;
}

NameFault FindNameFault(const char *) { return NAME_USABLE; }

bool GetProgramPath(char *buffer, int size)
{
    ssize_t length = readlink("/proc/self/exe", buffer, size - 1);
    if (length <= 0 || length >= size - 1) return false;
    buffer[length] = '\0';
    return true;
}

// The canonical name of a path whose last component may not exist yet.
static bool CanonicalName(const char *path, char *out)
{
    const char *slash = strrchr(path, '/');
    char folder[PATH_MAX];
    const char *name = path;
    if (!slash) {
        strcpy(folder, ".");
    } else {
        size_t length = slash == path ? 1 : (size_t)(slash - path);
        if (length >= sizeof folder) return false;
        memcpy(folder, path, length);
        folder[length] = '\0';
        name = slash + 1;
    }
    char real[PATH_MAX];
    if (!realpath(folder, real)) return false;
    size_t realLength = strlen(real), nameLength = strlen(name);
    if (realLength + 1 + nameLength >= PATH_MAX) return false;
    memcpy(out, real, realLength);
    out[realLength] = '/';
    memcpy(out + realLength + 1, name, nameLength + 1);
    return true;
}

bool IsSameFile(const char *a, const char *b)
{
    struct stat infoA, infoB;
    bool hasA = stat(a, &infoA) == 0, hasB = stat(b, &infoB) == 0;
    if (hasA && hasB) return infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
    char nameA[PATH_MAX], nameB[PATH_MAX];
    return CanonicalName(a, nameA) && CanonicalName(b, nameB) && strcmp(nameA, nameB) == 0;
}

bool ListFolder(const char *folder, const char *, ListEntryProc each, void *context)
{
    DIR *dir = opendir(folder[0] ? folder : ".");
    if (!dir) return false;
    for (;;) {
        errno = 0;
        struct dirent *entry = readdir(dir);
        if (!entry) break;
        if (strcmp(entry->d_name, ".") && strcmp(entry->d_name, "..")) each(entry->d_name, context);
    }
    int error = errno;
    closedir(dir);
    errno = error;
    return error == 0;
}

size_t FitCharacters(const char *text, size_t limit) { return strnlen(text, limit); }
