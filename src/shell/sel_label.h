#pragma once
// The look of a direction label: the chosen direction shows white on black,
// the other black on the panel's light cyan.

namespace tessaline {

class NavyLabel;

// Text colour first, then background.
void SelectLabel(NavyLabel& label);
void UnselectLabel(NavyLabel& label);

}  // namespace tessaline
