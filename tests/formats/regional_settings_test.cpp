#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "platform/user_regional_settings.h"

// The POSIX locale of the environment (setenv, newlocale).
#ifndef _WIN32

namespace tessaline {
namespace {

class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    setenv(name, value, 1);
  }
  ~ScopedEnvironment() {
    if (had_) setenv(name_, old_.c_str(), 1); else unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

bool FrenchInstalled() {
  locale_t locale = newlocale(LC_ALL_MASK, "fr_FR.UTF-8", static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) return false;
  freelocale(locale);
  return true;
}

TEST(UserRegionalSettings, ReadsFrenchSettingsFromTheEnvironment) {
  if (!FrenchInstalled()) GTEST_SKIP() << "fr_FR.UTF-8 is not installed";
  ScopedEnvironment all("LC_ALL", "fr_FR.UTF-8");
  const RegionalSettings settings = UserRegionalSettings();
  EXPECT_EQ(settings.decimal_mark, ",");
  EXPECT_EQ(settings.date_separator, "/");
  // glibc writes the French long time as "%T" (HH:MM:SS).
  EXPECT_TRUE(settings.long_time_format == "%T" || settings.long_time_format == "%H:%M:%S")
      << settings.long_time_format;
  // The process locale itself is left alone.
  EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
}

TEST(UserRegionalSettings, FollowsTheNumericCategoryAlone) {
  if (!FrenchInstalled()) GTEST_SKIP() << "fr_FR.UTF-8 is not installed";
  ScopedEnvironment all("LC_ALL", "");
  ScopedEnvironment lang("LANG", "C");
  ScopedEnvironment numeric("LC_NUMERIC", "fr_FR.UTF-8");
  EXPECT_EQ(UserRegionalSettings().decimal_mark, ",");
}

TEST(UserRegionalSettings, FallsBackToCForAnUnknownLocale) {
  ScopedEnvironment all("LC_ALL", "xx_NOWHERE.UTF-8");
  const RegionalSettings settings = UserRegionalSettings();
  EXPECT_EQ(settings.decimal_mark, ".");
  EXPECT_EQ(settings.date_separator, "/");
}

TEST(UserRegionalSettings, CLocaleGivesAPointAndASlash) {
  ScopedEnvironment all("LC_ALL", "C");
  const RegionalSettings settings = UserRegionalSettings();
  EXPECT_EQ(settings.decimal_mark, ".");
  EXPECT_EQ(settings.date_separator, "/");
  EXPECT_EQ(settings.long_time_format, "%H:%M:%S");
}

}  // namespace
}  // namespace tessaline

#endif  // _WIN32
