#include "formats/device_point_line.h"

#include <gtest/gtest.h>

namespace tessaline {
namespace {

DevicePointFields Read(std::string_view line) {
  DevicePointFields fields;
  EXPECT_EQ(ReadDevicePointLine(line, fields), DeviceLineProblem::None) << line;
  return fields;
}

TEST(DevicePointLine, FiveFieldsInLineOrderNameWithoutQuotes) {
  const auto f = Read("1.5,2.5,12,\"A\",3");
  EXPECT_EQ(f.coord1, "1.5");
  EXPECT_EQ(f.coord2, "2.5");
  EXPECT_EQ(f.value, "12");
  EXPECT_EQ(f.name, "A");
  EXPECT_EQ(f.group, "3");
}

TEST(DevicePointLine, FourFieldsGiveAnEmptyGroupAndASixthIsIgnored) {
  EXPECT_EQ(Read("1,2,3,\"n\"").group, "");
  const auto f = Read("1,2,3,\"n\",4,extra,more");
  EXPECT_EQ(f.group, "4");
  EXPECT_EQ(f.name, "n");
}

TEST(DevicePointLine, EmptyFieldsStayEmpty) {
  const auto f = Read(",,,\"\",");
  EXPECT_EQ(f.coord1, "");
  EXPECT_EQ(f.coord2, "");
  EXPECT_EQ(f.value, "");
  EXPECT_EQ(f.name, "");
  EXPECT_EQ(f.group, "");
}

TEST(DevicePointLine, TooFewFieldsOrTooShortANameAreRefused) {
  DevicePointFields f;
  EXPECT_EQ(ReadDevicePointLine("", f), DeviceLineProblem::TooFewFields);
  EXPECT_EQ(ReadDevicePointLine("1", f), DeviceLineProblem::TooFewFields);
  EXPECT_EQ(ReadDevicePointLine("1,2", f), DeviceLineProblem::TooFewFields);
  // Three fields: the fourth is the empty piece after the closing comma.
  EXPECT_EQ(ReadDevicePointLine("1,2,3", f), DeviceLineProblem::NameTooShort);
  EXPECT_EQ(ReadDevicePointLine("1,2,3,\"", f), DeviceLineProblem::NameTooShort);
  EXPECT_EQ(ReadDevicePointLine("1,2,3,,5", f), DeviceLineProblem::NameTooShort);
}

TEST(DevicePointLine, NameLosesItsFirstAndLastCharacterWhateverTheyAre) {
  EXPECT_EQ(Read("1,2,3,AbcD,5").name, "bc");
  EXPECT_EQ(Read("1,2,3,\" spaced \",5").name, " spaced ");
}

TEST(DevicePointLine, CommaInsideANameShiftsTheGroup) {
  const auto f = Read("1,2,3,\"a,b\",4");
  EXPECT_EQ(f.name, "");      // "\"a" without its first and last character
  EXPECT_EQ(f.group, "b\"");  // the rest of the name, closing quote included
}

TEST(DevicePointLine, LoneLineFeedIsAnOrdinaryCharacter) {
  EXPECT_EQ(Read("1,2,3,\"a\nb\",4").name, "a\nb");
}

TEST(DeviceSlot, PadsShortTextAndCutsLongText) {
  EXPECT_EQ(Slot("abc", 5), "abc  ");
  EXPECT_EQ(Slot("", 3), "   ");
  EXPECT_EQ(Slot("abcdefgh", 5), "abcde");
  EXPECT_EQ(Slot(std::string(60, 'n'), kNameWidth), std::string(50, 'n'));
}

TEST(DeviceSlot, NeverSplitsAUtf8CharacterOfValidText) {
  // 49 ASCII bytes then "é" (2 bytes): the cut at 50 would split it.
  const std::string name = std::string(49, 'a') + "\xC3\xA9" + "z";
  EXPECT_EQ(Slot(name, kNameWidth), std::string(49, 'a') + " ");
  // 48 + "é" fits exactly.
  const std::string fits = std::string(48, 'a') + "\xC3\xA9" + "z";
  EXPECT_EQ(Slot(fits, kNameWidth), std::string(48, 'a') + "\xC3\xA9");
  // A euro sign (3 bytes) across the boundary of a 10-byte slot.
  EXPECT_EQ(Slot("12345678\xE2\x82\xAC", kValueWidth), "12345678  ");
}

TEST(DeviceSlot, TextThatIsNotUtf8IsCutAtTheByteWidth) {
  // Latin-1 bytes: "\xE9" alone is no UTF-8 sequence.
  const std::string latin1 = std::string(49, 'a') + "\xE9\xE9";
  EXPECT_EQ(Slot(latin1, kNameWidth), std::string(49, 'a') + "\xE9");
}

TEST(TrimSpaces, RemovesSpacesAtBothEndsOnly) {
  EXPECT_EQ(TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(TrimSpaces("     "), "");
  EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
}

}  // namespace
}  // namespace tessaline
