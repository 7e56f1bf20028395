// CRC-32 (ISO 3309 / IEEE 802.3) and the checksum file beside the parts.
#ifndef PARTELLO_CHECKSUM_H
#define PARTELLO_CHECKSUM_H

#include <stddef.h>
#include <stdint.h>

#include "part_names.h"
#include "platform.h"
#include "report.h"

// Reserved: a checksum file that holds it checks nothing, and the buffer
// pass returns it when cancelled.
const uint32_t CHECKSUM_FAILED = 0xFFFFFFFFu;

// The standard table: entry n is the register after eight reflected shift
// steps of n with the polynomial 0xEDB88320.
extern const uint32_t kCrcTable[256];

// Continues a CRC over `length` bytes without pre- or post-conditioning:
// `state` is the raw register (start with 0xFFFFFFFF, complement at the end).
uint32_t UpdateCrc(uint32_t state, const unsigned char *data, size_t length);

// CRC-32 of a block. The cancel probe is asked after byte 0 and after the
// first byte of every further mebibyte; a cancel gives CHECKSUM_FAILED.
// A length of 0 or less gives 0 and asks nothing.
uint32_t ComputeBufferChecksum(const unsigned char *data, int64_t length);

// CRC-32 of an open file's whole content, read through bounded windows
// (see OpenWindowReader). The file position is not used or moved. DONE with
// the CRC in `*checksum`, ffffffff too when that is the content's;
// CANCELLED; or FAILED when the file is empty (it has no checksum) or a
// read fails, and why in `*systemError` (NO_SYSTEM_ERROR when the system
// gave no reason).
OperationResult ComputeFileChecksum(FileHandle file, uint32_t *checksum, int *systemError);

// The checksum file of the set whose last part is `lastName` in `folder`,
// found as FindChecksumFile finds it, read and judged before anything is
// written. CHECKSUM_ABSENT: there is none (`path` names the one looked
// for). CHECKSUM_UNKNOWN: none that can check anything (the folder cannot
// be searched, the file cannot be read as 4 bytes, least significant first,
// or it holds the reserved failure value), already reported as an error.
// CHECKSUM_FOUND: `*stored` holds the value.
ChecksumLookup ReadChecksumFile(const char *folder, const char *lastName, char *path, uint32_t *stored);

#endif
