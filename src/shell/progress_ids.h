// Ids of the progress dialog (ProgressDialog).
#pragma once

#include "core/dialog_ids.h"

#define IDD_PROGRESS 223
#define IDC_PROGRESS_MAIN 356
#define IDC_PROGRESS_DETAIL 357
