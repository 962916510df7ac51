// Owners of Win32 handles: one small move-only class per kind, so that every handle is
// closed on every path, once, by its owner (a copy would close it twice, so none can be
// made). Nothing outside src/platform calls a close function.
//
//   UniqueHandle   kernel objects: files, processes, threads, events (CloseHandle)
//   FindHandle     FindFirstFileA searches (FindClose)
//   RegKeyHandle   opened registry keys (RegCloseKey); RegKey (registry.h) builds on it
//   LzHandle       LZ expand handles (LZClose)
//   GdiObject<T>   brushes, fonts, bitmaps (DeleteObject)
//   MemoryDc       CreateCompatibleDC (DeleteDC)
//   WindowDc       GetDC of a window (ReleaseDC)
//   ImageList      ImageList_Create (ImageList_Destroy)
//   ComPtr<T>      COM interfaces (Release)
//   ComInit        CoInitialize on this thread (CoUninitialize when it succeeded)
//
// Header only: an owner is a pointer's worth of code wherever it is used, in tessary.exe,
// the companions and setup.exe alike.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <lzexpand.h>
#include <objbase.h>

#include <utility>

namespace tessary {

// A move-only owner of one handle of the kind `Traits` describes:
//   Traits::Type       the handle type
//   Traits::Invalid()  the value that holds nothing
//   Traits::IsValid(h) whether h is a handle to close
//   Traits::Close(h)   closes it; false when the system reports a failure
template <typename Traits>
class UniqueOwner {
 public:
  using Type = typename Traits::Type;

  UniqueOwner() = default;
  explicit UniqueOwner(Type handle) : handle_(handle) {}
  ~UniqueOwner() { Close(); }
  UniqueOwner(UniqueOwner&& other) noexcept : handle_(other.Detach()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other) Reset(other.Detach());
    return *this;
  }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;

  explicit operator bool() const { return Traits::IsValid(handle_); }
  Type get() const { return handle_; }
  // Gives the handle up without closing it.
  Type Detach() { return std::exchange(handle_, Traits::Invalid()); }
  // Takes `handle` and closes the one held before (unless it is the same).
  void Reset(Type handle = Traits::Invalid()) {
    Type old = std::exchange(handle_, handle);
    if (Traits::IsValid(old) && old != handle) Traits::Close(old);
  }
  // Closes the handle now. False when the close itself failed (for a file just written,
  // the last chance to learn that its data did not reach the disk).
  bool Close() {
    if (!Traits::IsValid(handle_)) return true;
    return Traits::Close(std::exchange(handle_, Traits::Invalid()));
  }
  // For a function that hands back a new handle through a pointer: closes the one held
  // and gives the place to write to.
  Type* Out() {
    Reset();
    return &handle_;
  }

 private:
  Type handle_ = Traits::Invalid();
};

// Handle kinds whose "nothing" is null.
template <typename T>
struct NullMeansNone {
  using Type = T;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
};

struct KernelHandleTraits : NullMeansNone<HANDLE> {
  // CreateFileA fails with INVALID_HANDLE_VALUE, most other functions with null.
  static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static bool Close(Type h) { return CloseHandle(h) != FALSE; }
};
using UniqueHandle = UniqueOwner<KernelHandleTraits>;

struct FindHandleTraits : KernelHandleTraits {
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Close(Type h) { return FindClose(h) != FALSE; }
};
using FindHandle = UniqueOwner<FindHandleTraits>;

struct RegKeyTraits : NullMeansNone<HKEY> {
  static bool Close(Type h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};
using RegKeyHandle = UniqueOwner<RegKeyTraits>;

struct LzTraits {
  using Type = INT;
  static Type Invalid() { return -1; }
  static bool IsValid(Type h) { return h >= 0; }  // the LZ functions fail with a negative code
  static bool Close(Type h) {
    LZClose(h);
    return true;
  }
};
using LzHandle = UniqueOwner<LzTraits>;

template <typename T>
struct GdiObjectTraits : NullMeansNone<T> {
  static bool Close(T h) { return DeleteObject(h) != FALSE; }
};
template <typename T>
using GdiObject = UniqueOwner<GdiObjectTraits<T>>;

struct MemoryDcTraits : NullMeansNone<HDC> {
  static bool Close(Type h) { return DeleteDC(h) != FALSE; }
};
using MemoryDc = UniqueOwner<MemoryDcTraits>;

struct ImageListTraits : NullMeansNone<HIMAGELIST> {
  static bool Close(Type h) { return ImageList_Destroy(h) != FALSE; }
};
using ImageList = UniqueOwner<ImageListTraits>;

// The device context of a window (GetDC), given back to the window (ReleaseDC).
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() { Release(); }
  WindowDc(WindowDc&& other) noexcept
      : window_(std::exchange(other.window_, nullptr)), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&& other) noexcept {
    if (this != &other) {
      Release();
      window_ = std::exchange(other.window_, nullptr);
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  explicit operator bool() const { return dc_ != nullptr; }
  HDC get() const { return dc_; }

 private:
  void Release() {
    if (dc_) ReleaseDC(window_, dc_);
    dc_ = nullptr;
  }
  HWND window_;
  HDC dc_;
};

// One reference to a COM interface, released by the owner.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  explicit operator bool() const { return p_ != nullptr; }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  // Releases the interface held.
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // For CoCreateInstance and QueryInterface: releases the interface held and gives the
  // place the new one is written to.
  void** Out() {
    Reset();
    return reinterpret_cast<void**>(&p_);
  }

 private:
  T* p_ = nullptr;
};

// COM on the calling thread for the owner's lifetime: CoInitialize, and CoUninitialize
// only when that succeeded.
class ComInit {
 public:
  ComInit() : result_(CoInitialize(nullptr)) {}
  ~ComInit() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComInit(const ComInit&) = delete;
  ComInit& operator=(const ComInit&) = delete;
  bool ok() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

}  // namespace tessary
