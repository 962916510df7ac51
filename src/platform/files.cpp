#include "files.h"

#include <lzexpand.h>

#include <algorithm>
#include <vector>

#include "code_page.h"
#include "fault.h"
#include "handles.h"

namespace tessary {

namespace {
bool IsNormalEnd(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES;
}
}  // namespace

DirSearch::DirSearch(const std::string& pattern) {
  if ((error_ = InjectedFault(FileOp::List, pattern)) != 0) return;
  handle_.Reset(FindFirstFileW(ToWide(pattern).c_str(), &data_));
  pending_ = static_cast<bool>(handle_);
  if (!pending_ && !IsNormalEnd(GetLastError())) error_ = GetLastError();
}

bool DirSearch::Next(FindEntry& entry) {
  if (!pending_) return false;
  entry.name = FromWide(data_.cFileName);
  entry.attributes = data_.dwFileAttributes;
  entry.lastWrite = data_.ftLastWriteTime;
  entry.size = (std::uint64_t(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
  pending_ = FindNextFileW(handle_.get(), &data_) != FALSE;
  if (!pending_ && !IsNormalEnd(GetLastError())) error_ = GetLastError();
  return true;
}

std::vector<std::string> FileNamesMatching(const std::string& pattern) {
  std::vector<std::string> names;
  DirSearch search(pattern);
  FindEntry entry;
  while (search.Next(entry))
    if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(std::move(entry.name));
  return names;
}

DosDateTime ToDosDateTime(const FILETIME& utc) {
  FILETIME local{};
  WORD date = 0, time = 0;
  FileTimeToLocalFileTime(&utc, &local);
  FileTimeToDosDateTime(&local, &date, &time);
  return {date, time};
}

std::optional<DosDateTime> FileDosDateTime(const std::string& path) {
  UniqueHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h) return std::nullopt;
  FILETIME write{};
  if (!GetFileTime(h.get(), nullptr, nullptr, &write)) return std::nullopt;
  return ToDosDateTime(write);
}

bool SetFileLastWrite(const std::string& path, const CivilTime& t) {
  SYSTEMTIME st{};
  st.wYear = WORD(t.year);
  st.wMonth = WORD(t.month);
  st.wDay = WORD(t.day);
  st.wHour = WORD(t.hour);
  st.wMinute = WORD(t.minute);
  st.wSecond = WORD(t.second);
  FILETIME local{}, utc{};
  if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, &utc)) return false;
  UniqueHandle h(CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return h && SetFileTime(h.get(), nullptr, nullptr, &utc) != FALSE;
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool CanWriteFile(const std::string& path) {
  const UniqueHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(h);
}

bool CreateEmptyFile(const std::string& path) {
  if (InjectedFault(FileOp::Create, path)) return false;
  const UniqueHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(h);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  // Opened as the C library opens a file for reading: others may read and write it.
  const UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string content;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.get(), &size)) content.reserve(static_cast<std::size_t>(size.QuadPart));
  std::vector<char> buf(1 << 16);
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr)) return std::nullopt;
    if (got == 0) return content;
    content.append(buf.data(), got);
  }
}

bool OutputFile::Open(const std::string& path, Mode mode) {
  handle_.Reset();
  path_ = path;
  ok_ = false;
  if (InjectedFault(FileOp::Create, path)) return false;
  // Others may read the file while it is written (a viewer, a test); nobody may write it.
  handle_.Reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            mode == Mode::Create ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle_) return false;
  LARGE_INTEGER zero{};
  ok_ = mode == Mode::Create || SetFilePointerEx(handle_.get(), zero, nullptr, FILE_END);
  return ok_;
}

bool OutputFile::Write(const std::string& bytes) {
  if (!ok()) return false;
  if (bytes.empty()) return true;
  LARGE_INTEGER zero{}, start{};
  if (!SetFilePointerEx(handle_.get(), zero, &start, FILE_CURRENT)) return ok_ = false;
  bool whole = !InjectedFault(FileOp::Write, path_);
  for (std::size_t done = 0; whole && done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    whole = WriteFile(handle_.get(), bytes.data() + done, chunk, &written, nullptr) && written == chunk;
    done += written;
  }
  if (whole) return true;
  // Nothing of a failed write stays: the file ends where the last whole write ended.
  const DWORD error = GetLastError();
  SetFilePointerEx(handle_.get(), start, nullptr, FILE_BEGIN);
  SetEndOfFile(handle_.get());
  SetLastError(error ? error : ERROR_WRITE_FAULT);
  return ok_ = false;
}

bool OutputFile::Flush() {
  if (!ok()) return false;
  return (ok_ = FlushFileBuffers(handle_.get()) != FALSE);
}

bool OutputFile::Close() {
  if (!handle_) return false;
  const bool closed = handle_.Close();
  return closed && ok_;
}

std::string SideFileFor(const std::string& target) { return target + ".new"; }

namespace {

// A target that may be replaced: missing (when allowed), or a file that is not read-only.
bool ReplaceableTarget(const std::string& target, bool mustExist) {
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return !mustExist;
  return !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
}

bool WriteBesideAndReplace(const std::string& target, const std::string& content) {
  const std::string side = SideFileFor(target);
  OutputFile out(side, OutputFile::Mode::Create);
  bool ok = out.Write(content) && out.Flush();
  ok = out.Close() && ok;
  ok = ok && ReplaceWithSideFile(side, target);
  if (!ok) {
    const DWORD error = GetLastError();
    DeleteFileA(side.c_str());
    SetLastError(error);
  }
  return ok;
}

}  // namespace

bool ReplaceWithSideFile(const std::string& side, const std::string& target) {
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  // Hidden and system files cannot always be replaced as they are: the target goes
  // plain for the move, and the result gets the target's attributes back.
  if (attributes != INVALID_FILE_ATTRIBUTES && attributes != FILE_ATTRIBUTE_NORMAL)
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  const bool moved = MoveFileReplacing(side, target);
  const DWORD error = GetLastError();
  if (attributes != INVALID_FILE_ATTRIBUTES && attributes != FILE_ATTRIBUTE_NORMAL)
    SetFileAttributesA(target.c_str(), attributes);
  SetLastError(error);
  return moved;
}

bool WriteFileReplacing(const std::string& target, const std::string& content) {
  if (!ReplaceableTarget(target, false)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return WriteBesideAndReplace(target, content);
}

bool ReplaceFileKeepingAttributes(const std::string& target, const std::string& content) {
  if (!ReplaceableTarget(target, true)) return false;
  return WriteBesideAndReplace(target, content);
}

bool CopyFileChecked(const std::string& from, const std::string& to) {
  if (InjectedFault(FileOp::Create, to)) return false;
  return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool DeleteFileChecked(const std::string& path) {
  if (InjectedFault(FileOp::Delete, path)) return false;
  return DeleteFileA(path.c_str()) != FALSE;
}

void DeleteLeftover(const std::string& path) { static_cast<void>(DeleteFileChecked(path)); }

bool SetPathAttributes(const std::string& path, DWORD attributes) {
  if (InjectedFault(FileOp::Write, path)) return false;
  return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool CreateFolder(const std::string& path) {
  if (InjectedFault(FileOp::Create, path)) return false;
  return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool RemoveEmptyFolder(const std::string& path) {
  if (InjectedFault(FileOp::Delete, path)) return false;
  return RemoveDirectoryA(path.c_str()) != FALSE;
}

bool DeleteAtRestart(const std::string& path) {
  if (InjectedFault(FileOp::Delete, path)) return false;
  return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
}

bool MoveFileReplacing(const std::string& from, const std::string& to) {
  if (InjectedFault(FileOp::Rename, to)) return false;
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

UINT DriveTypeOf(char letter) {
  char root[4] = {letter, ':', '\\', '\0'};
  return GetDriveTypeA(root);
}

std::optional<std::uint64_t> FreeBytes(const std::string& root) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters))
    return std::nullopt;
  return std::uint64_t(freeClusters) * sectorsPerCluster * bytesPerSector;
}

namespace {

constexpr unsigned char kSzddMagic[8] = {'S', 'Z', 'D', 'D', 0x88, 0xf0, 0x27, 0x33};

// The length a copy of `source` must have: the expanded length written in an SZDD
// header, else the file's own size.
std::optional<std::uint64_t> ExpandedLength(const std::string& source) {
  const std::optional<std::uint64_t> size = FileSize(source);
  const UniqueHandle file(CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  unsigned char header[14] = {};
  DWORD got = 0;
  if (file && ReadFile(file.get(), header, sizeof header, &got, nullptr) && got == sizeof header &&
      std::equal(header, header + 8, kSzddMagic))
    return std::uint64_t(header[10]) | std::uint64_t(header[11]) << 8 | std::uint64_t(header[12]) << 16 |
           std::uint64_t(header[13]) << 24;
  return size;
}

}  // namespace

LzCopyResult LzCopyFile(const std::string& source, const std::string& dest) {
  // _lopen/_lcreat take long paths (LZOpenFileA is limited to 128 characters).
  HFILE rawSource = _lopen(source.c_str(), OF_READ | OF_SHARE_DENY_NONE);
  if (rawSource == HFILE_ERROR) return LzCopyResult::SourceOpenFailed;
  INT lzSource = LZInit(rawSource);
  if (lzSource < 0) {
    _lclose(rawSource);
    return LzCopyResult::SourceOpenFailed;
  }
  HFILE rawDest = InjectedFault(FileOp::Create, dest) ? HFILE_ERROR : _lcreat(dest.c_str(), 0);
  if (rawDest == HFILE_ERROR) {
    LZClose(lzSource);
    return LzCopyResult::DestOpenFailed;
  }
  LONG copied = InjectedFault(FileOp::Write, dest) ? LZERROR_WRITE : LZCopy(lzSource, rawDest);
  LZClose(lzSource);
  bool closed = _lclose(rawDest) != HFILE_ERROR;
  if (copied < 0 || !closed) return LzCopyResult::CopyFailed;
  // The copy does not always see a write that fell short (a full disk): the copy must
  // be as long as what it copies.
  const std::optional<std::uint64_t> expected = ExpandedLength(source);
  return expected && FileSize(dest) == expected ? LzCopyResult::Ok : LzCopyResult::CopyFailed;
}

namespace {
template <typename F>
std::string ReadPath(F&& get) {
  char buf[MAX_PATH + 1] = {};
  UINT n = get(buf, MAX_PATH + 1);
  if (n == 0 || n > MAX_PATH) return {};
  return std::string(buf, n);
}
}  // namespace

std::string WindowsDirectory() { return ReadPath([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); }); }
std::string SystemDirectory() { return ReadPath([](char* b, UINT n) { return GetSystemDirectoryA(b, n); }); }
std::string SystemWow64Directory() {
  return ReadPath([](char* b, UINT n) { return GetSystemWow64DirectoryA(b, n); });
}
std::string TempDirectory() {
  return ReadPath([](char* b, UINT n) { return static_cast<UINT>(GetTempPathA(n, b)); });
}
std::string CurrentDirectory() {
  return ReadPath([](char* b, UINT n) { return static_cast<UINT>(GetCurrentDirectoryA(n, b)); });
}

std::string ProgramPath() {
  // A path may be longer than MAX_PATH; the call cuts a path that does not fit and then
  // fills the whole buffer.
  std::vector<char> buf(32768);
  const DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0 || n >= buf.size()) return {};
  return std::string(buf.data(), n);
}

}  // namespace tessary
