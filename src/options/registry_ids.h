// Ids of the Branches to Compare in Registry dialog (TRegistryDlg).
#pragma once

#include "core/dialog_ids.h"

#define IDD_REGISTRY 233
#define IDC_REGISTRY_CLASSES 12
#define IDC_REGISTRY_CLSID 13
#define IDC_REGISTRY_CURUSER 103
#define IDC_REGISTRY_LOCMACH 10
#define IDC_REGISTRY_SOFTWARE 11
#define IDC_REGISTRY_USERS 14
#define IDC_REGISTRY_CRCONFIG 16
#define IDC_REGISTRY_DYNDATA 17
#define IDC_REGISTRY_PROGRESS 15
#define IDC_REGISTRY_SENTINOX 120
#define IDC_REGISTRY_VALUES 121
