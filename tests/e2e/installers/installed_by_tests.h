// What the test installers (newapp.nsi, shareddll.nsi) change outside their own folders:
// the boot files they append to, the INI files they edit and the registry keys they make.
// The end-to-end tests restore these before and after a run, so the prefix stays as it was
// whatever a test finds.
#pragma once

#include <windows.h>

namespace tessary::installed {

inline const char* const kBootFiles[] = {"C:\\autoexec.bat", "C:\\config.sys"};
inline const char* const kIniFiles[] = {"win.ini", "system.ini", "protocol.ini"};
inline const char* const kClsid = "CLSID\\{6A1B2C3D-4E5F-4071-8293-A4B5C6D7E8F9}";

struct RegPlace {
  HKEY root;
  const char* path;
};
inline const RegPlace kInstalledKeys[] = {{HKEY_LOCAL_MACHINE, "SOFTWARE\\NewVendor"},
                                          {HKEY_CURRENT_USER, "Software\\NewVendor"},
                                          {HKEY_CLASSES_ROOT, ".nwa"},
                                          {HKEY_CLASSES_ROOT, "NewApp.Document"},
                                          {HKEY_CLASSES_ROOT, kClsid},
                                          {HKEY_LOCAL_MACHINE, "SOFTWARE\\SharedVendor"}};

}  // namespace tessary::installed
