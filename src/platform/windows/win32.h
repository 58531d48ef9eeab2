#pragma once
// <windows.h> without the macros that collide with the library's names.
#include <windows.h>

#undef Yield
