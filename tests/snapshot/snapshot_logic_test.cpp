// The names and records of the backup set that need no system.
#include <gtest/gtest.h>

#include "snapshot/logic/backup_names.h"

namespace tessary {
namespace {

TEST(BackupNames, ExtensionsFollowTheRunMode) {
  EXPECT_EQ(BackupExtension(RunMode::Interactive), "tsb");
  EXPECT_EQ(BackupExtension(RunMode::Direct), "tsb");
  EXPECT_EQ(BackupExtension(RunMode::Sentinox), "snb");
  // A backup the program starts by itself writes its free-space records with "snb".
  EXPECT_EQ(FreeSpaceExtension(RunMode::Interactive), "tsb");
  EXPECT_EQ(FreeSpaceExtension(RunMode::Direct), "snb");
  EXPECT_EQ(FreeSpaceExtension(RunMode::Sentinox), "snb");
  EXPECT_EQ(RegistryBackupExtension(RunMode::Direct), "TSB");
  EXPECT_EQ(RegistryBackupExtension(RunMode::Sentinox), "SNB");
}

TEST(BackupNames, RecordsWriteUnsignedDecimals) {
  // 2096-12-07 has a date word above 32767: it must not turn negative.
  EXPECT_EQ(ListingRecord("A", attr::kArchive, PackDos({2096, 12, 7, 23, 59, 58})), "A,59783,49021\r\n");
  // Every directory gets the marker, whatever its other attributes.
  EXPECT_EQ(ListingRecord("D", attr::kDirectory | attr::kReadOnly, {1, 2}), "D  (DIR),1,2\r\n");
  EXPECT_EQ(ListingRecord("Archived Dir", attr::kDirectory | attr::kArchive, {1, 2}), "Archived Dir  (DIR),1,2\r\n");
  EXPECT_EQ(ListingRecord("SYSTEM", attr::kDirectory, {8583, 18597}), "SYSTEM  (DIR),8583,18597\r\n");
  EXPECT_TRUE(ListedInBackup(attr::kDirectory | attr::kHidden | attr::kSystem));
  EXPECT_FALSE(ListedInBackup(attr::kHidden));
  EXPECT_FALSE(ListedInBackup(attr::kSystem | attr::kArchive));
  EXPECT_TRUE(ListedInBackup(attr::kReadOnly | attr::kArchive));
  EXPECT_EQ(FreeSpaceRecord(3ull << 30), "3221225472");  // 3 GiB free, not a wrapped negative
  EXPECT_EQ(FreeSpaceRecord(5ull << 40), "5497558138880");
}

TEST(BackupNames, EveryFolderIsMarkedAndNoFileReadsAsAFolder) {
  // A folder is a folder whatever else its attributes say (C:\ProgramData is hidden
  // and read-only). A file whose own name ends like a marker gets " (FILE)" after it, so
  // that "Keep  (DIR)" the file and Keep the folder never share a line's key.
  EXPECT_EQ(ListingRecord("Data", attr::kDirectory | attr::kHidden | attr::kSystem, {1, 2}), "Data  (DIR),1,2\r\n");
  EXPECT_EQ(ListingRecord("Keep  (DIR)", attr::kArchive, {1, 2}), "Keep  (DIR)  (FILE),1,2\r\n");
  EXPECT_EQ(ListingRecord("keep  (dir)", 0, {1, 2}), "keep  (dir)  (FILE),1,2\r\n");
  EXPECT_EQ(ListingRecord("Keep  (FILE)", 0, {1, 2}), "Keep  (FILE)  (FILE),1,2\r\n");
  EXPECT_EQ(ListingRecord("Keep  (DIR)", attr::kDirectory, {1, 2}), "Keep  (DIR)  (DIR),1,2\r\n");
  EXPECT_EQ(ListingRecord("Keep (DIR)", 0, {1, 2}), "Keep (DIR),1,2\r\n");  // one blank: no marker
  // A name that one line cannot carry is left out.
  EXPECT_EQ(ListingRecord("x\nVICTIM", 0, {1, 2}), "");
  EXPECT_EQ(ListingRecord("cr\rdir", attr::kDirectory, {1, 2}), "");
}

}  // namespace
}  // namespace tessary
