#include "formats/nmea_sentence.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "formats/gpx/gpx_time.h"
#include "support/piece_stream.h"

namespace tessaline::nmea {
namespace {

std::string Degrees(std::string_view value, std::string_view hemisphere, bool latitude, Rejection expected = Rejection::None) {
  Angle angle;
  EXPECT_EQ(ReadAngle(value, hemisphere, latitude, angle), expected) << value;
  return std::string(angle.Text());
}

TEST(NmeaAngle, DegreesAndMinutesGiveNineDecimalsRoundedFromTheExactValue) {
  EXPECT_EQ(Degrees("4807.038", "N", true), "48.1173");
  EXPECT_EQ(Degrees("01131.000", "E", false), "11.516666667");  // 31/60 = 0.51666..., rounded up
  EXPECT_EQ(Degrees("00000.0000", "W", false), "0");               // no "-0"
  EXPECT_EQ(Degrees("0000.00001", "S", true), "-0.000000167");
  EXPECT_EQ(Degrees("8959.9999999999", "N", true), "90");         // the rounding carries into the degrees
  EXPECT_EQ(Degrees("18000", "W", false), "-180");
  EXPECT_EQ(Degrees("130.5", "N", true), "1.508333333");            // leading zeros left out
}

TEST(NmeaAngle, EveryReadingIsWithinABillionthOfADegree) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    const auto degrees = static_cast<unsigned>(random() % 180);
    const auto minutes = static_cast<unsigned>(random() % 60);
    const std::uint64_t fraction = random() % 100000000;  // eight decimals of a minute
    char text[32];
    std::snprintf(text, sizeof text, "%03u%02u.%08llu", degrees, minutes, static_cast<unsigned long long>(fraction));
    Angle angle;
    ASSERT_EQ(ReadAngle(text, "E", false, angle), Rejection::None) << text;
    const long double exact = degrees + (minutes + fraction / 1e8L) / 60.0L;
    // The text, read back by hand: whole degrees and nine decimals.
    const std::string written(angle.Text());
    const std::size_t dot = written.find('.');
    long double read = std::stold(written.substr(0, dot));
    if (dot != std::string::npos) read += std::stold("0" + written.substr(dot));
    EXPECT_LE(std::fabs(static_cast<double>(read - exact)), 1e-9) << text;
    EXPECT_LE(std::fabs(angle.number - static_cast<double>(exact)), 1e-9) << text;
  }
}

TEST(NmeaAngle, EmptyFieldsAreNotValidAndNeverZero) {
  Degrees("", "N", true, Rejection::NotValid);
  Degrees("4807.038", "", true, Rejection::NotValid);
  Degrees("4807.038", "E", true, Rejection::Unreadable);  // a longitude's letter on a latitude
  Degrees("-4807.038", "N", true, Rejection::Unreadable);
  Degrees("48O7.038", "N", true, Rejection::Unreadable);
  Degrees("07.5", "N", true, Rejection::Unreadable);
  Degrees("9100.000", "N", true, Rejection::OutOfRange);
  Degrees("9000.001", "N", true, Rejection::OutOfRange);
  Degrees("4860.000", "N", true, Rejection::OutOfRange);  // sixty minutes
  Degrees("18000.001", "E", false, Rejection::OutOfRange);
}

TEST(NmeaLine, SentencesArePrefixedChecksummedAndRejectedByKind) {
  const std::string good = "$GPRMC,085400,A,4807.001,N,00131.001,W,5.2,084.4,030414,003.1,W*78";
  EXPECT_EQ(ReadLogLine(good).rejection, Rejection::None);
  EXPECT_TRUE(ReadLogLine(good).checksummed);
  EXPECT_EQ(ReadLogLine(good).type, SentenceType::Rmc);
  EXPECT_EQ(ReadLogLine(good.substr(0, good.size() - 3)).rejection, Rejection::None);  // no checksum
  EXPECT_FALSE(ReadLogLine(good.substr(0, good.size() - 3)).checksummed);
  EXPECT_EQ(ReadLogLine(good.substr(0, good.size() - 2) + "7a").rejection, Rejection::Checksum);
  EXPECT_EQ(ReadLogLine(good.substr(0, good.size() - 1)).rejection, Rejection::Truncated);
  EXPECT_EQ(ReadLogLine("$GPRMC,0854" + good).rejection, Rejection::Truncated);
  EXPECT_EQ(ReadLogLine("$GPRMC,08\x01" "5400*00").rejection, Rejection::Unreadable);
  EXPECT_EQ(ReadLogLine("2014-04-03T08:54:00Z " + good).rejection, Rejection::None);
  EXPECT_EQ(ReadLogLine("\\s:r1,c:1396515240*2A\\" + good).rejection, Rejection::Checksum);
  EXPECT_EQ(ReadLogLine("\\s:bord,c:1396515240*2D\\" + good).rejection, Rejection::None);
  EXPECT_EQ(ReadLogLine("\\s:bord" + good).rejection, Rejection::Truncated);
  EXPECT_EQ(ReadLogLine("x" + good).kind, LineKind::Other);
  EXPECT_EQ(ReadLogLine("# recorder").kind, LineKind::Comment);
  EXPECT_EQ(ReadLogLine(" \t").kind, LineKind::Blank);
  EXPECT_TRUE(ReadLogLine("$PGRME,15.0,M").proprietary);
  EXPECT_EQ(ReadLogLine("$GPRM,1").rejection, Rejection::Unreadable);  // an address of four
}

Rejection FixOf(std::string_view line, Fix& fix) {
  const LogLine read = ReadLogLine(line);
  return ReadFix(read.type, Fields(read.fields), fix);
}

TEST(NmeaFix, ValidityModesAndDatesOfEachType) {
  Fix fix;
  EXPECT_EQ(FixOf("$GPRMC,085400.25,A,4807.001,N,00131.001,W,5.2,084.4,030480,,", fix), Rejection::None);
  EXPECT_EQ(fix.time.seconds, 8u * 3600 + 54 * 60);
  EXPECT_EQ(fix.time.nanoseconds, 250000000u);
  EXPECT_EQ(fix.day, gpx::DaysFromCivil(1980, 4, 3));  // 80 to 99 are 19yy
  EXPECT_EQ(FixOf("$GPRMC,085400,A,4807.001,N,00131.001,W,5.2,084.4,030479,,", fix), Rejection::None);
  EXPECT_EQ(fix.day, gpx::DaysFromCivil(2079, 4, 3));
  EXPECT_EQ(FixOf("$GPRMC,085400,V,4807.001,N,00131.001,W,5.2,084.4,030414,,", fix), Rejection::NotValid);
  EXPECT_EQ(FixOf("$GPRMC,085400,A,4807.001,N,00131.001,W,5.2,084.4,030414,,,N", fix), Rejection::NotValid);
  EXPECT_EQ(FixOf("$GPRMC,085400,A,4807.001,N,00131.001,W,5.2,084.4,300214,,", fix), Rejection::Unreadable);
  EXPECT_EQ(FixOf("$GPRMC,085400,A,4807.001,N,00131.001,W", fix), Rejection::Truncated);
  EXPECT_EQ(FixOf("$GPGGA,085400,4807.001,N,00131.001,W,6,08,0.9,-3.5,M,46.9,M,,", fix), Rejection::None);
  EXPECT_EQ(fix.altitude, "-3.5");  // dead reckoning (6) is kept
  EXPECT_EQ(FixOf("$GPGGA,085400,4807.001,N,00131.001,W,0,08,0.9,3.5,M,46.9,M,,", fix), Rejection::NotValid);
  EXPECT_EQ(FixOf("$GPGGA,085400,4807.001,N,00131.001,W,1,08,0.9,3m,M,46.9,M,,", fix), Rejection::Unreadable);
  EXPECT_EQ(FixOf("$GPGLL,4807.001,N,00131.001,W,085400,A,E", fix), Rejection::None);
  EXPECT_EQ(FixOf("$GPGLL,4807.001,N,00131.001,W,085400,A,N", fix), Rejection::NotValid);
  EXPECT_EQ(FixOf("$GPGLL,4807.001,N,00131.001,W,,A", fix), Rejection::NotValid);  // no time
  EXPECT_EQ(FixOf("$GNGNS,085400,4807.001,N,00131.001,W,NA,12,0.8,15.0,46.9,,", fix), Rejection::None);
  EXPECT_EQ(FixOf("$GNGNS,085400,4807.001,N,00131.001,W,NN,12,0.8,15.0,46.9,,", fix), Rejection::NotValid);
}

bool Log(const std::string& text) {
  PieceStream input(text, 5);
  return IsNmeaLog(input).value_or(false);
}

TEST(NmeaLog, ToldByAChecksummedSentenceAndNoChartOrDeviceLine) {
  const std::string rmc = "$GPRMC,085400,A,4807.001,N,00131.001,W,5.2,084.4,030414,003.1,W*78\n";
  EXPECT_TRUE(Log("# log\n\n" + rmc));
  EXPECT_FALSE(Log(rmc.substr(0, rmc.size() - 4) + "\n"));  // no checksum to go by
  EXPECT_FALSE(Log("T;Sortie\r\n" + rmc));                  // a chart file that names a sentence
  EXPECT_FALSE(Log("48.5,-3.25,0,\"Port\",1\n" + rmc));      // a device line
  std::string late;
  for (int i = 0; i < 20; ++i) late += "junk\n";
  EXPECT_FALSE(Log(late + rmc));  // past the first twenty lines
}

}  // namespace
}  // namespace tessaline::nmea
