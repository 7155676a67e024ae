#pragma once
// The user's regional settings, from the locale of the environment (POSIX)
// or the user's locale (Windows), read without changing the process locale.

#include "platform/regional_settings.h"

namespace tessaline {

RegionalSettings UserRegionalSettings();

}  // namespace tessaline
