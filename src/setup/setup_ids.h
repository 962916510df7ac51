#pragma once
// Control ids of the installer's "Main" dialog.
#define kIdDirectory 200
#define kIdStatus 202
