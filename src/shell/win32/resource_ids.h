#pragma once
// Resource identifiers of tessaline.exe, shared by its resource script and
// the code that loads them. Plain defines: the resource compiler reads
// this file too.

// The program's icon; the lowest identifier, so the shell shows it for
// the file.
#define TESSALINE_ICON_ID 1
// The sphere picture, 300 x 300 pixels at 96 dpi, on a white ground.
#define TESSALINE_SPHERE_ID 101
