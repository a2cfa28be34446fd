#pragma once

// The Windows API for the native windows, without the macro that would rename the program's own
// MessageBox members: the windows call MessageBoxA by its name.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#undef MessageBox
