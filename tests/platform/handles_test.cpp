// The handle owners, the registry tree delete, the shell-folder read and the registry
// root names.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ascii.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/handles.h"
#include "platform/registry.h"
#include "platform/registry_roots.h"
#include "testbed.h"

namespace tessary {
namespace {

using test::TempDir;
using test::TempRegKey;

// Handles 1, 2, 3 ...; every close is recorded.
std::vector<int> closed;
struct CountingTraits {
  using Type = int;
  static int Invalid() { return 0; }
  static bool IsValid(int h) { return h != 0; }
  static bool Close(int h) {
    closed.push_back(h);
    return h != 99;  // 99 reports a failed close
  }
};
using Counted = UniqueOwner<CountingTraits>;

TEST(Handles, AnOwnerClosesItsHandleOnceWhereverItIsMoved) {
  closed.clear();
  {
    Counted a(1);
    Counted b(std::move(a));  // a holds nothing now
    EXPECT_FALSE(a);
    EXPECT_TRUE(b);
    Counted c(2);
    c = std::move(b);  // c's own handle 2 closes; 1 moves on
    EXPECT_EQ(closed, std::vector<int>{2});
    Counted& same = c;
    c = std::move(same);  // moving onto itself keeps the handle
    EXPECT_EQ(c.get(), 1);
    Counted d(3);
    EXPECT_EQ(d.Detach(), 3);  // given up, never closed
    d.Reset(4);
    d.Reset(4);  // the same handle again is not closed
    EXPECT_EQ(closed, std::vector<int>{2});
  }
  EXPECT_EQ(closed, (std::vector<int>{2, 4, 1}));
}

TEST(Handles, CloseReportsAFailedCloseAndOutReplacesTheHandle) {
  closed.clear();
  Counted failing(99);
  EXPECT_FALSE(failing.Close());
  EXPECT_TRUE(failing.Close());  // nothing left to close
  Counted out(5);
  *out.Out() = 6;
  EXPECT_EQ(closed, (std::vector<int>{99, 5}));
  EXPECT_EQ(out.get(), 6);
}

TEST(Handles, KernelHandlesAndGdiObjectsAreClosedByTheirOwner) {
  HANDLE raw = nullptr;
  {
    UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    raw = event.get();
    UniqueHandle moved(std::move(event));
    DWORD flags = 0;
    EXPECT_TRUE(GetHandleInformation(raw, &flags));
  }
  DWORD flags = 0;
  EXPECT_FALSE(GetHandleInformation(raw, &flags));
  // CreateFileA fails with INVALID_HANDLE_VALUE: an owner of it holds nothing.
  EXPECT_FALSE(UniqueHandle(CreateFileA("C:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));

  HBRUSH brush = nullptr;
  {
    GdiObject<HBRUSH> owner(CreateSolidBrush(RGB(1, 2, 3)));
    brush = owner.get();
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  }
  EXPECT_EQ(GetObjectType(brush), 0u);
  WindowDc screen(nullptr);
  ASSERT_TRUE(screen);
  MemoryDc memory(CreateCompatibleDC(screen.get()));
  EXPECT_TRUE(memory);
}

// A COM object that counts its references.
class Counter : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  ULONG references = 1;
};

TEST(Handles, AComPointerReleasesItsOneReference) {
  Counter first, second;
  {
    ComPtr<IUnknown> p;
    *p.Out() = &first;
    ComPtr<IUnknown> q(std::move(p));
    EXPECT_FALSE(p);
    EXPECT_EQ(first.references, 1u);
    *q.Out() = &second;  // the first one is released before the new one is taken
    EXPECT_EQ(first.references, 0u);
  }
  EXPECT_EQ(second.references, 0u);
  ComInit com;
  EXPECT_TRUE(com.ok());
}

TEST(Registry, DeletesATreeBelowAKeyAndRefusesEmptyNames) {
  TempRegKey key;
  // Deep enough that the whole path is longer than the registry's ANSI calls take.
  const std::string a(80, 'a'), b(80, 'b'), c(80, 'c');
  const std::string deep = a + "\\" + b + "\\" + c;
  key.Create(deep + "\\Leaf\\Below");
  key.Create(deep + "\\Sibling");
  const RegKey root = RegKey::Root(key.root());
  const std::string base = key.path() + "\\" + deep;
  ASSERT_TRUE(RegKey::OpenForReading(key.root(), base + "\\Leaf\\Below"));

  for (const std::string& bad : {std::string(), base + "\\Leaf\\", "\\" + base + "\\Leaf", base + "\\\\Leaf"})
    EXPECT_FALSE(root.DeleteTree(bad)) << bad;
  EXPECT_TRUE(RegKey::OpenForReading(key.root(), base + "\\Leaf\\Below"));

  EXPECT_TRUE(root.DeleteTree(base + "\\Leaf"));
  EXPECT_FALSE(RegKey::OpenForReading(key.root(), base + "\\Leaf"));
  EXPECT_TRUE(RegKey::OpenForReading(key.root(), base + "\\Sibling"));
  EXPECT_FALSE(root.DeleteTree(base + "\\Leaf"));  // gone already
  EXPECT_FALSE(root.DeleteTree(key.path() + "\\Missing\\Leaf"));

  // Relative to an opened key, and a single name.
  const RegKey parent = RegKey::OpenForReading(key.root(), key.path()).OpenSubKey(a, KEY_ALL_ACCESS);
  ASSERT_TRUE(parent);
  EXPECT_TRUE(parent.DeleteTree(b));
  EXPECT_FALSE(RegKey::OpenForReading(key.root(), key.path() + "\\" + a + "\\" + b));
  EXPECT_TRUE(RegKey::OpenForReading(key.root(), key.path() + "\\" + a));
}

TEST(Registry, RootNamesAndTheirKeys) {
  for (const RegistryRootName& root : kRegistryRoots) {
    EXPECT_NE(RootKeyNamed(root.full), nullptr) << root.full;
    EXPECT_EQ(RegistryRootFullName(ToLowerAscii(root.full), RootNameForms::Full), root.full);
    if (!root.shortName.empty()) {
      EXPECT_EQ(RegistryRootFullName(root.shortName, RootNameForms::FullOrShort), root.full);
      EXPECT_EQ(RegistryRootFullName(root.shortName, RootNameForms::Full), "") << root.shortName;
    }
  }
  EXPECT_EQ(RootKeyNamed("hkey_current_user"), HKEY_CURRENT_USER);
  EXPECT_EQ(RootKeyNamed("HKCU"), nullptr);
  EXPECT_EQ(RegistryRootFullName("HKEY_LOCAL", RootNameForms::FullOrShort), "");
}

// The shell folders are string data of up to 255 bytes, the zero included: a longer
// value counts as missing, for Backup and Compare alike.
TEST(ShellFolders, AValueOfMoreThan254CharactersCountsAsMissing) {
  TempRegKey key;
  const std::string fits = "C:\\" + std::string(251, 'D');        // 254 characters
  const std::string tooLong = "C:\\" + std::string(252, 'P');     // 255 characters
  key.SetString("Shell Folders", "Desktop", fits);
  key.SetString("Shell Folders", "Programs", tooLong);
  const std::string path = key.path() + "\\Shell Folders";
  EXPECT_EQ(ShellFolder(key.root(), path, "Desktop", "fallback"), fits);
  EXPECT_EQ(ShellFolder(key.root(), path, "Programs", "fallback"), "fallback");
}

TEST(Files, ReadWholeFileKeepsEveryByte) {
  TempDir dir;
  const std::string bytes("one\r\ntwo\0three\x1A\nfour", 20);
  test::WriteBytes(dir / "f.bin", bytes);
  EXPECT_EQ(ReadWholeFile(dir / "f.bin"), bytes);
  test::WriteBytes(dir / "empty", "");
  EXPECT_EQ(ReadWholeFile(dir / "empty"), std::string());
  EXPECT_EQ(ReadWholeFile(dir / "missing"), std::nullopt);
  EXPECT_EQ(ReadWholeFile(dir.path()), std::nullopt);  // a folder
}

}  // namespace
}  // namespace tessary
