#pragma once
#include <cstdio>

// What the kernel says a path or an open file is.

// The path names a directory, which reads as no file.
bool IsDirectory(const char* path);
// The file is a regular one, so it ends; a device or a pipe may not.
bool IsRegularFile(FILE* file);
