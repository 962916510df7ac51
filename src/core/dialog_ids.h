// The ids every dialog shares, for its resource script and its class. Each dialog's own
// ids are in the x_ids.h beside its x_dlg.cpp and x_dlg.rc, named IDD_<DIALOG> and
// IDC_<DIALOG>_<CONTROL>.
#pragma once

#include <windows.h>

// <windows.h> gives the name IDC_HELP to a system cursor, which no code here loads; in
// Tessary it is the HELP button of every dialog (control id 9, the system's IDHELP).
#undef IDC_HELP
#define IDC_HELP IDHELP

// A static text that the code never addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
