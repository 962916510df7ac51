#include "compare_bench_host.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "platform/files.h"

namespace tessary::bench {

int BenchHost::Ask(const MessageBoxRequest& request) {
  ++boxes;
  std::printf("message box: %s (%s)\n", request.text.c_str(), request.caption.c_str());
  return id::kOk;
}

void RemoveFolder(const std::string& path) {
  std::vector<std::string> subfolders;
  {
    DirSearch search(path + "\\*.*");
    FindEntry entry;
    while (search.Next(entry)) {
      if (entry.name == "." || entry.name == "..") continue;
      std::string full = path + "\\" + entry.name;
      if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        subfolders.push_back(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    }
  }
  for (const std::string& sub : subfolders) RemoveFolder(sub);
  RemoveDirectoryA(path.c_str());
}

}  // namespace tessary::bench
