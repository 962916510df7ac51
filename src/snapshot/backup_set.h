// The writers of the backup set: file copies, directory listings, optional-directory
// name files and free-space records, all directly in the backup directory. Compare
// reads the same names back, and uses the swap-file rule below for the live side.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "core/host.h"
#include "snapshot/logic/backup_names.h"

namespace tessary {

// BackupDirectory + "\" + base + "." + ext
std::string BackupFilePath(const AppState& state, const std::string& base, const std::string& ext);

// Copies a live file into the backup set through the LZ copy, keeping its last-write
// time. A missing live file gives an empty backup file. When the copy cannot be made
// (source or destination cannot be opened, or the copy itself fails) it shows the copy
// message with the source path as caption and returns false.
bool CopyIntoBackup(Host& host, const std::string& source, const std::string& dest, WindowHandle owner);

// Writes the listing of `directory` (a non-recursive scan of directory + "\*.*") to
// `outPath`. A directory that does not exist gives an empty listing. False when the
// output could not be written.
bool WriteListing(const std::string& directory, const std::string& outPath);

// The swap-file rule, the one both the free-space record and Compare's free space
// use: the size of the Windows swap file when it lies on drive `letter`, read from
// [386enh] PagingDrive (8 characters) and PagingFile of `systemIni`; 0 when it is
// elsewhere or cannot be found. "none" and the drive letters match in any case.
std::uint64_t SwapFileSize(const std::string& systemIni, const std::string& windowsDirectory, char letter);

// The free bytes of drive `letter` plus the swap file on it, in 64-bit arithmetic.
std::uint64_t FreeSpaceWithSwap(const std::string& windowsDirectory, char letter);

// Writes "\<L>_free.<ext>" with the free-space record of drive `letter`.
bool WriteFreeSpaceRecord(const AppState& state, char letter, const std::string& ext);

// Writes "\optdirN.nam" (the directory as the setting holds it, no line end) and the
// listing "\optdirN.<ext>" for each [Directories] OptN that is set and names an
// existing directory. False when some file could not be written.
bool WriteOptionalDirectories(Host& host, const std::string& ext);

}  // namespace tessary
