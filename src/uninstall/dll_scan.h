// The DLL dependency check: the scan of the local drives for 16-bit executables that
// refer to the DLLs about to be deleted, and the reference list it leaves behind.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/host.h"

namespace tessary {

inline constexpr const char* kDllNameListFile = "dll0list.tmp";
inline constexpr const char* kDllReferenceListFile = "dll01234.tmp";

// The roots the scan walks: C:\ to Z:\ in order, ending at the first missing drive and
// leaving out remote, CD-ROM, RAM-disk and unknown drives.
std::vector<std::string> LocalScanRoots();
// The same rule over any drive-type query (GetDriveType values).
std::vector<std::string> ScanRootsFrom(const std::function<unsigned(char letter)>& driveType);

// Scans each root (its files, then its plain subdirectories recursively) and writes the
// reference list into backupDirectory from the DLL name list there. Returns true when
// complete, false when cancelled or failed. beforeScan runs once the lists are ready
// (the caller moves its dialog out of the way there).
bool ScanDllReferences(EngineHost& host, const std::string& backupDirectory, const std::vector<std::string>& roots,
                       const std::function<void()>& beforeScan = {});

// The referring files recorded for one DLL (given by its full path), in list order;
// reports a missing reference list and returns nothing then.
std::vector<std::string> ReferencesOfDll(EngineHost& host, const std::string& backupDirectory, const std::string& dllPath);

}  // namespace tessary
