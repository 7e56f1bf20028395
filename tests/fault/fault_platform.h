// A platform for the engine that passes every call on to the real POSIX one
// and can fail the n-th call of one kind. It also keeps count of what the
// engine holds, so a run can be checked for leaks.
#ifndef PARTELLO_TESTS_FAULT_PLATFORM_H
#define PARTELLO_TESTS_FAULT_PLATFORM_H

enum CallKind {
    CALL_OPEN,      // OpenFileForRead
    CALL_READ,      // ReadFileBytes
    CALL_WRITE,     // WriteFileBytes
    CALL_LENGTH,    // GetFileLength
    CALL_TIME_GET,  // GetFileWriteTime
    CALL_TIME_SET,  // SetFileWriteTime
    CALL_MAPPING,   // OpenWindowReader and ReadFileWindow
    CALL_LISTING,   // ListFolder
    CALL_COPY,      // CopyFileNoReplace
    CALL_DELETE,    // DeleteFilePath
    CALL_FLUSH,     // FlushToDisk and FlushPathToDisk
    CALL_CREATE_NEW,  // CreateNewFile
    CALL_MOVE,      // MoveFileIntoPlace
    CALL_SYNC,      // SyncFolderOf
    CALL_SPACE,     // GetFreeDiskBytes
    CALL_PROBE,     // CancelProbe: "failed" is the user's cancel
    CALL_KINDS
};

enum FaultMode {
    FAULT_FAIL,   // the call fails and does nothing
    FAULT_SHORT,  // reads and writes: half the bytes move, and the count says so
};

struct PlatformRecord {
    int calls[CALL_KINDS];
    bool faultHit;  // the armed call came and was failed
    int openHandles, openMappings, openViews;
    bool flushed;           // a flush succeeded
    bool deleteUnflushed;   // a delete was asked for before any flush succeeded
    bool moved;             // a move into place succeeded
};

// Counts a call that is not the platform's (see CALL_PROBE); true when it
// is the one to fail.
bool CountCall(CallKind kind);

// Clears the record; the `at`-th call of `kind` (from 1; 0 for none) will fail.
void ArmFault(CallKind kind, FaultMode mode, int at);
const PlatformRecord &Record();
// Runs `hook` just before the `at`-th call of `kind` (from 1) of the next
// run, as another program would act at that moment; NULL for none.
void HookCall(CallKind kind, int at, void (*hook)());

// Heap blocks taken and not given back since StartCountingBlocks; -1 where
// the allocator cannot be counted (under the address sanitizer).
void StartCountingBlocks();
int StopCountingBlocks();

#endif
