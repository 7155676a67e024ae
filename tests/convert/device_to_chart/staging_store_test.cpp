#include "convert/device_to_chart/staging_store.h"

#include <gtest/gtest.h>

#include <string>

#include "support/faulty_file_system.h"
#include "host/real_file_system.h"
#include "support/temp_folder.h"

namespace tessaline {
namespace {

using testing::ReadWholeFile;
using testing::TempFolder;
using testing::WriteWholeFile;

TEST(StagedPoint, FieldsLieBackToBackInStoredOrder) {
  const StagedPoint point("2.5", "1.5", "12", "A", "3");
  const std::string expected = "2.5" + std::string(17, ' ') + "1.5" + std::string(17, ' ') +
                               "12" + std::string(8, ' ') + "A" + std::string(49, ' ') + "3" +
                               std::string(9, ' ');
  ASSERT_EQ(expected.size(), kStagedRecordLength);
  EXPECT_EQ(point.Bytes(), expected);
  EXPECT_EQ(point.Coord2(), "2.5" + std::string(17, ' '));
  EXPECT_EQ(point.Coord1(), "1.5" + std::string(17, ' '));
  EXPECT_EQ(point.Value(), "12" + std::string(8, ' '));
  EXPECT_EQ(point.Name(), "A" + std::string(49, ' '));
  EXPECT_EQ(point.Group(), "3" + std::string(9, ' '));
}

TEST(StagedPoint, EndRecordHoldsZeroInEveryField) {
  const std::string expected = "0" + std::string(19, ' ') + "0" + std::string(19, ' ') + "0" +
                               std::string(9, ' ') + "0" + std::string(49, ' ') + "0" +
                               std::string(9, ' ');
  EXPECT_EQ(StagedPoint::EndRecord().Bytes(), expected);
}

class StagingStoreTest : public ::testing::Test {
 protected:
  StagingStoreTest() : files(real) {}
  std::unique_ptr<StagingStore> Open(std::size_t buffer_records = 8) {
    return std::make_unique<StagingStore>(*files.OpenRecords(path), buffer_records);
  }
  static StagedPoint Point(int n) {
    return StagedPoint(std::to_string(n), "c1", "v", "name" + std::to_string(n), std::to_string(n));
  }

  TempFolder temp;
  std::string path = temp.File("ZRB_DB.dat");
  RealFileSystem real;
  FaultyFileSystem files;
};

TEST_F(StagingStoreTest, RecordRLiesAtItsOffsetAndReadsBack) {
  auto store = Open();
  for (int r = 1; r <= 50; ++r) ASSERT_TRUE(store->Write(r, Point(r)));
  ASSERT_TRUE(store->Close());
  const std::string bytes = ReadWholeFile(path);
  ASSERT_EQ(bytes.size(), 50 * kStagedRecordLength);
  EXPECT_EQ(bytes.substr(36 * kStagedRecordLength, kStagedRecordLength), Point(37).Bytes());

  store = Open();
  StagedPoint point;
  // Out of order, across buffer windows, and back again.
  for (int r : {50, 1, 9, 8, 17, 3, 50}) {
    ASSERT_TRUE(store->Read(r, point)) << r;
    EXPECT_EQ(point.Bytes(), Point(r).Bytes()) << r;
  }
  EXPECT_FALSE(store->Read(51, point));
  EXPECT_TRUE(store->Close());
}

TEST_F(StagingStoreTest, ScatteredWritesLandWhereTheyBelongAndKeepTheRest) {
  WriteWholeFile(path, std::string(10 * kStagedRecordLength, 'x'));
  auto store = Open();
  for (int r : {5, 6, 2, 3, 9}) ASSERT_TRUE(store->Write(r, Point(r)));
  StagedPoint point;
  ASSERT_TRUE(store->Read(6, point));  // a read sees what is still buffered
  EXPECT_EQ(point.Bytes(), Point(6).Bytes());
  ASSERT_TRUE(store->Write(6, Point(60)));  // and a write after a read is seen too
  ASSERT_TRUE(store->Read(6, point));
  EXPECT_EQ(point.Bytes(), Point(60).Bytes());
  ASSERT_TRUE(store->Close());

  const std::string bytes = ReadWholeFile(path);
  auto record = [&](int r) { return bytes.substr((r - 1) * kStagedRecordLength, kStagedRecordLength); };
  EXPECT_EQ(record(1), std::string(kStagedRecordLength, 'x'));
  EXPECT_EQ(record(2), Point(2).Bytes());
  EXPECT_EQ(record(6), Point(60).Bytes());
  EXPECT_EQ(record(9), Point(9).Bytes());
  EXPECT_EQ(record(10), std::string(kStagedRecordLength, 'x'));
}

TEST_F(StagingStoreTest, BuffersManyRecordsPerCall) {
  auto store = std::make_unique<StagingStore>(*files.OpenRecords(path));
  for (int r = 1; r <= 5000; ++r) ASSERT_TRUE(store->Write(r, Point(r)));
  ASSERT_TRUE(store->Close());
  EXPECT_LE(files.Count(FsCall::WriteAt), 10);

  store = std::make_unique<StagingStore>(*files.OpenRecords(path));
  StagedPoint point;
  for (int r = 1; r <= 5000; ++r) ASSERT_TRUE(store->Read(r, point));
  EXPECT_LE(files.Count(FsCall::ReadAt), 10);
}

TEST_F(StagingStoreTest, AShortLastRecordIsNotARecord) {
  WriteWholeFile(path, std::string(kStagedRecordLength + 50, 'x'));
  auto store = Open();
  StagedPoint point;
  EXPECT_TRUE(store->Read(1, point));
  EXPECT_FALSE(store->Read(2, point));
}

TEST_F(StagingStoreTest, FailuresOfTheFileSystemAreReported) {
  files.Fail(FsCall::WriteAt);
  auto store = Open();
  for (int r = 1; r <= 3; ++r) store->Write(r, Point(r));  // still buffered
  EXPECT_FALSE(store->Close());

  files.Clear();
  store = Open();
  ASSERT_TRUE(store->Write(1, Point(1)));
  ASSERT_TRUE(store->Close());
  files.Fail(FsCall::ReadAt);
  store = Open();
  StagedPoint point;
  EXPECT_FALSE(store->Read(1, point));

  files.Clear();
  files.Fail(FsCall::CloseRecords);
  store = Open();
  EXPECT_FALSE(store->Close());
}

TEST_F(StagingStoreTest, RecordNumbersStayWithinSixteenBits) {
  auto store = Open();
  EXPECT_FALSE(store->Write(0, Point(0)));
  EXPECT_FALSE(store->Write(kMaxRecordNumber + 1, Point(0)));
  EXPECT_TRUE(store->Write(kMaxRecordNumber, Point(0)));
}

}  // namespace
}  // namespace tessaline
