#include "files.h"

#include <lzexpand.h>

#include <algorithm>
#include <vector>

#include "code_page.h"
#include "handles.h"

namespace tessary {

DirSearch::DirSearch(const std::string& pattern) : handle_(FindFirstFileW(ToWide(pattern).c_str(), &data_)) {
  pending_ = static_cast<bool>(handle_);
}

bool DirSearch::Next(FindEntry& entry) {
  if (!pending_) return false;
  entry.name = FromWide(data_.cFileName);
  entry.attributes = data_.dwFileAttributes;
  entry.lastWrite = data_.ftLastWriteTime;
  entry.size = (std::uint64_t(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
  pending_ = FindNextFileW(handle_.get(), &data_) != FALSE;
  return true;
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

bool ReplaceFileKeepingAttributes(const std::string& target, const std::string& content) {
  const DWORD attributes = GetFileAttributesA(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    return false;
  const std::string temp = target + ".new";
  UniqueHandle h(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < content.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
    DWORD written = 0;
    ok = WriteFile(h.get(), content.data() + done, chunk, &written, nullptr) && written == chunk;
    done += written;
  }
  ok = FlushFileBuffers(h.get()) && ok;
  ok = h.Close() && ok;
  if (ok) {
    // Hidden and system files cannot always be replaced as they are: the target goes
    // plain for the move, and the result gets the target's attributes back.
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    ok = MoveFileExA(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    SetFileAttributesA(target.c_str(), attributes);
  }
  if (!ok) DeleteFileA(temp.c_str());
  return ok;
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

LzCopyResult LzCopyFile(const std::string& source, const std::string& dest) {
  // _lopen/_lcreat take long paths (LZOpenFileA is limited to 128 characters).
  HFILE rawSource = _lopen(source.c_str(), OF_READ | OF_SHARE_DENY_NONE);
  if (rawSource == HFILE_ERROR) return LzCopyResult::SourceOpenFailed;
  INT lzSource = LZInit(rawSource);
  if (lzSource < 0) {
    _lclose(rawSource);
    return LzCopyResult::SourceOpenFailed;
  }
  HFILE rawDest = _lcreat(dest.c_str(), 0);
  if (rawDest == HFILE_ERROR) {
    LZClose(lzSource);
    return LzCopyResult::DestOpenFailed;
  }
  LONG copied = LZCopy(lzSource, rawDest);
  LZClose(lzSource);
  bool closed = _lclose(rawDest) != HFILE_ERROR;
  return (copied < 0 || !closed) ? LzCopyResult::CopyFailed : LzCopyResult::Ok;
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
