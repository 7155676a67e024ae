#pragma once
// <windows.h> for this front end. winbase.h defines Yield() as a macro (a
// leftover of 16-bit Windows), which would swallow Host::Yield.

#include <windows.h>
#undef Yield
