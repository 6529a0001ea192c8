// The variants of the stand-in library that throw C++ exceptions: the same
// source, compiled as C++.
#include "tarkomis.c"
