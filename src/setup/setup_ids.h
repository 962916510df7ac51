// Ids of the installer's dialog, "Main".
#pragma once

#define IDC_MAIN_DIRECTORY 200
#define IDC_MAIN_STATUS 202

// A static text that the code never addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
