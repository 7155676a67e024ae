#pragma once
// A 32 x 32 picture of a sphere drawn in code, for as long as the program's
// own artwork is not at hand.

#include <QIcon>

namespace tessaline {

QIcon PlaceholderProgramIcon();

}  // namespace tessaline
