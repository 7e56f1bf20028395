#include "fault_platform.h"

#include <string.h>

#include "engine/discovery.h"
#include "real_platform.h"

namespace {

PlatformRecord g_record;
CallKind g_armedKind;
FaultMode g_armedMode;
int g_armedAt;
CallKind g_hookKind;
int g_hookAt;
void (*g_hook)();

// Counts the call; true when it is the one to fail.
bool IsFailed(CallKind kind)
{
    int call = ++g_record.calls[kind];
    if (g_hook && kind == g_hookKind && call == g_hookAt) g_hook();
    if (kind != g_armedKind || call != g_armedAt) return false;
    g_record.faultHit = true;
    return true;
}

FileHandle Counted(FileHandle file)
{
    if (file != NO_FILE) g_record.openHandles++;
    return file;
}

}  // namespace

bool CountCall(CallKind kind) { return IsFailed(kind); }

void ArmFault(CallKind kind, FaultMode mode, int at)
{
    memset(&g_record, 0, sizeof g_record);
    g_armedKind = kind;
    g_armedMode = mode;
    g_armedAt = at;
}

const PlatformRecord &Record() { return g_record; }

void HookCall(CallKind kind, int at, void (*hook)())
{
    g_hookKind = kind;
    g_hookAt = at;
    g_hook = hook;
}

const char PATH_SEPARATOR = '/';

FileHandle OpenFileForRead(const char *path)
{
    return IsFailed(CALL_OPEN) ? NO_FILE : Counted(RealOpenFileForRead(path));
}

void CloseFileHandle(FileHandle file)
{
    if (file != NO_FILE) g_record.openHandles--;
    RealCloseFileHandle(file);
}

int64_t ReadFileBytes(FileHandle file, void *buffer, int64_t count)
{
    if (!IsFailed(CALL_READ)) return RealReadFileBytes(file, buffer, count);
    return g_armedMode == FAULT_SHORT ? RealReadFileBytes(file, buffer, count / 2) : -1;
}

int64_t WriteFileBytes(FileHandle file, const void *buffer, int64_t count)
{
    if (!IsFailed(CALL_WRITE)) return RealWriteFileBytes(file, buffer, count);
    return g_armedMode == FAULT_SHORT ? RealWriteFileBytes(file, buffer, count / 2) : -1;
}

bool FlushToDisk(FileHandle file)
{
    if (IsFailed(CALL_FLUSH) || !RealFlushToDisk(file)) return false;
    g_record.flushed = true;
    return true;
}

bool FlushPathToDisk(const char *path)
{
    if (IsFailed(CALL_FLUSH) || !RealFlushPathToDisk(path)) return false;
    g_record.flushed = true;
    return true;
}

int64_t GetFileLength(FileHandle file) { return IsFailed(CALL_LENGTH) ? -1 : RealGetFileLength(file); }

bool GetFileWriteTime(FileHandle file, FileTime *time)
{
    return !IsFailed(CALL_TIME_GET) && RealGetFileWriteTime(file, time);
}

bool SetFileWriteTime(FileHandle file, FileTime time)
{
    return !IsFailed(CALL_TIME_SET) && RealSetFileWriteTime(file, time);
}

FileWindowReader *OpenWindowReader(FileHandle file)
{
    if (IsFailed(CALL_MAPPING)) return NULL;
    FileWindowReader *reader = RealOpenWindowReader(file);
    if (reader) g_record.openMappings++;
    return reader;
}

const unsigned char *ReadFileWindow(FileWindowReader *reader, int64_t offset, size_t length)
{
    if (IsFailed(CALL_MAPPING)) return NULL;
    const unsigned char *view = RealReadFileWindow(reader, offset, length);
    if (view) g_record.openViews++;
    return view;
}

void ReleaseFileWindow(const unsigned char *view, size_t length)
{
    if (view) g_record.openViews--;
    RealReleaseFileWindow(view, length);
}

void CloseWindowReader(FileWindowReader *reader)
{
    if (reader) g_record.openMappings--;
    RealCloseWindowReader(reader);
}

bool CopyFileNoReplace(const char *from, const char *to)
{
    return !IsFailed(CALL_COPY) && RealCopyFileNoReplace(from, to);
}

bool DeleteFilePath(const char *path)
{
    // The unfinished output of a failed join is the program's own.
    if (!g_record.flushed && !IsUnfinishedName(path)) g_record.deleteUnflushed = true;
    return !IsFailed(CALL_DELETE) && RealDeleteFilePath(path);
}

bool ListFolder(const char *folder, const char *pattern, ListEntryProc each, void *context)
{
    return !IsFailed(CALL_LISTING) && RealListFolder(folder, pattern, each, context);
}

FileHandle CreateNewFile(const char *path, bool *taken)
{
    *taken = false;
    return IsFailed(CALL_CREATE_NEW) ? NO_FILE : Counted(RealCreateNewFile(path, taken));
}

bool MoveFileIntoPlace(const char *from, const char *to, bool replace)
{
    if (IsFailed(CALL_MOVE) || !RealMoveFileIntoPlace(from, to, replace)) return false;
    g_record.moved = true;
    return true;
}

bool SyncFolderOf(const char *path) { return !IsFailed(CALL_SYNC) && RealSyncFolderOf(path); }
int64_t GetFreeDiskBytes(const char *path) { return IsFailed(CALL_SPACE) ? -1 : RealGetFreeDiskBytes(path); }
