#include "shell/sel_label.h"

#include "shell/controls.h"

namespace tessaline {

void SelectLabel(NavyLabel& label) {
  label.SetTextColor(BgrColor(kWhiteBgr));
  label.SetBackgroundColor(BgrColor(kBlackBgr));
}

void UnselectLabel(NavyLabel& label) {
  label.SetTextColor(BgrColor(kBlackBgr));
  label.SetBackgroundColor(BgrColor(kLightCyanBgr));
}

}  // namespace tessaline
