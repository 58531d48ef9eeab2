#include <gmock/gmock.h>
#include <sys/stat.h>

#include <fstream>
#include <limits>

#include "archive/archive_fixture.h"
#include "archive/archive_location.h"
#include "archive/schema.h"
#include <travimo/model/brevane_record.h>
#include <travimo/model/field_table.h>
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

using ::testing::HasSubstr;

// Each instrument's read, and a failed one with what arrived before it failed.
TEST_F(ArchiveTest, EveryReadComesBackAsItWasKept) {
  const auto brevane = sim::SampleBrevaneMeasurements(2, 3);
  ReadEntry failed;
  failed.source = "read";
  failed.errorNumber = 8002;
  failed.errorName = "ReadTimeout";
  failed.errorDescription = "No answer from the instrument";
  failed.raw = {'S', 0x00, 0xff, '\r'};  // NUL and high bytes kept verbatim
  const std::vector<ReadEntry> entries = {
      Decoded(sim::EncodeLorvexTransfer({{'A', {1, 2, 4095}}, {'C', {7}}, {'B', {}}})),
      Decoded(sim::EncodeOstrel(sim::SampleOstrelMeasurements(1, 3))),
      Decoded(sim::EncodeBrevane(brevane)),
      failed,
  };
  auto store = archive::OpenSqliteArchive(file);
  int64_t id = 0;
  for (const ReadEntry& in : entries) {
    id = store->Add(in);
    const ReadEntry out = archive::OpenSqliteArchive(file)->Load(id);
    EXPECT_EQ(out.raw, in.raw);
    EXPECT_EQ(std::tie(out.startedUtcMs, out.endedUtcMs, out.utcOffsetMinutes, out.device, out.port,
                       out.lineSettings, out.typeAsked, out.source, out.errorNumber,
                       out.errorName, out.errorDescription),
              std::tie(in.startedUtcMs, in.endedUtcMs, in.utcOffsetMinutes, in.device, in.port,
                       in.lineSettings, in.typeAsked, in.source, in.errorNumber, in.errorName,
                       in.errorDescription));
    EXPECT_EQ(std::tie(out.settings.numberOfPoints, out.settings.blueLineTrigger),
              std::tie(in.settings.numberOfPoints, in.settings.blueLineTrigger));
    EXPECT_TRUE(SameResults(out.results, in.results));
  }

  archive::HistoryFilter filter;
  filter.idCode = brevane[1].idCode;
  auto found = store->History(filter);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].instrument, "Brevane");
  EXPECT_EQ(found[0].records, 2);
  filter = {};
  filter.type = TransferKind::Lorvex;
  EXPECT_EQ(store->History(filter).size(), 2u);  // the failed read was of a Lorvex
  filter = {};
  filter.failedOnly = true;
  found = store->History(filter);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(std::tie(found[0].id, found[0].errorName), std::tie(id, failed.errorName));
  EXPECT_EQ(store->History({}).size(), 4u);
  EXPECT_TRUE(store->Check().ok);
}

// Values SQL would not keep on its own: NaN reads as NULL, a null series has no bounds.
TEST_F(ArchiveTest, NanValuesAndMissingSeriesSurvive) {
  sim::BrevaneMeasurement brevane;
  brevane.moisture = {1.0f};
  ReadEntry in = Decoded(sim::EncodeBrevane({brevane}));
  ASSERT_EQ(in.results.brevane.size(), 1u);
  CBrevaneCls& record = *in.results.brevane[0];
  FindField<CBrevaneCls>("SamplingRate")->Set(record, std::numeric_limits<float>::quiet_NaN());
  FindField<CBrevaneCls>("BasisWeightValue")->Set(record, -std::numeric_limits<float>::infinity());
  FindField<CBrevaneCls>("cScanTemp")->Set(record, ScanDataPtr());
  FindField<CBrevaneCls>("cScanData")->Set(record, [] {
    auto empty = std::make_shared<CScanDataCls>();
    empty->ScanData(SingleArray(5, 4));
    return empty;
  }());

  auto store = archive::OpenSqliteArchive(file);
  const ReadEntry out = store->Load(store->Add(in));
  ASSERT_EQ(out.results.brevane.size(), 1u);
  EXPECT_TRUE(*out.results.brevane[0] == record);
  EXPECT_EQ(out.results.brevane[0]->cScanTemp(), nullptr);
  EXPECT_EQ(out.results.brevane[0]->cScanData()->ScanData().LowerBound(), 5);
}

TEST_F(ArchiveTest, DamagedBytesAreFoundByCheckAndRefusedByLoad) {
  const int64_t id = archive::OpenSqliteArchive(file)->Add(Decoded(sim::EncodeBrevane({{}})));
  Sql(file, "UPDATE read_bytes SET raw = X'00' WHERE read_id = " + std::to_string(id));
  auto store = archive::OpenSqliteArchive(file);
  const auto result = store->Check();
  EXPECT_FALSE(result.ok);
  ASSERT_EQ(result.problems.size(), 1u);
  EXPECT_NE(result.problems[0].find("read " + std::to_string(id)), std::string::npos);
  EXPECT_EQ(ErrorOf([&] { store->Load(id); }), ErrorNumber::PathFileAccess);
  EXPECT_THROW(store->Load(id + 1), RuntimeError);  // no such read
}

TEST_F(ArchiveTest, AFileThatIsNoUsableArchiveFailsWithItsNameAndWhy) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> make;
    const char* why;
  };
  const std::vector<Case> cases = {
      {"not a database", [](const fs::path& f) { std::ofstream(f) << std::string(4096, 'x'); },
       "not a database"},
      {"newer schema", [](const fs::path& f) { Sql(f, "PRAGMA user_version = 99"); },
       "schema version 99"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path f = dir / (std::string(c.name) + ".sqlite");
    c.make(f);
    const RuntimeError error = CaughtError([&] { archive::OpenSqliteArchive(f); });
    EXPECT_EQ(error.Number(), ErrorNumber::PathFileAccess);
    EXPECT_THAT(error.Description(), HasSubstr(f.string()));
    EXPECT_THAT(error.Description(), HasSubstr(c.why));
  }
}

// A read as versions 1 and 2 wrote it: one Lorvex scan of the points 1.0 and 2.0.
constexpr const char* kVersion1Read = R"sql(
INSERT INTO reads (id, started_utc_ms, ended_utc_ms, utc_offset_min, program_version, source,
  device, port, line_settings, type_asked, parser, scan_data_type, temp_units, number_of_points,
  blue_line_trigger, array_start, result_data_type, result_temp_units, error_number, error_name,
  error_description, record_count, raw_length, raw_sha256, raw) VALUES (7, 1600000000000, 1600000002000, 120, '1.0.0', 'read', '/dev/ttyS0', 1,
  '9600,N,8,1', 1, 'Lorvex', 0, 0, 512, 2, 1, 0, 0, 0, '', '', 1, 3,
  'ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad', X'616263');
INSERT INTO records VALUES (7, 0, 1, 'Lorvex', 'B', NULL, NULL);
INSERT INTO record_fields VALUES (7, 0, 'ScanNumber', NULL, 4, NULL);
INSERT INTO record_series VALUES (7, 0, 'cScanData', 1, 2, X'0000803F00000040');
)sql";

// Files of every earlier version open, keep their reads and take new ones.
TEST_F(ArchiveTest, FilesOfEveryEarlierVersionAreBroughtUpToDate) {
  ReadEntry reparsed = Decoded(sim::EncodeLorvexTransfer({{'A', {1, 2}}}));
  for (int version = 0; version < archive::kSchemaVersion; ++version) {
    SCOPED_TRACE("version " + std::to_string(version));
    const fs::path f = dir / ("v" + std::to_string(version) + ".sqlite");
    {
      archive::Connection db(f.string(), true, 1000);
      archive::Migrate(db, version);
      if (version >= 1) db.Execute(kVersion1Read);
    }
    auto store = archive::OpenSqliteArchive(f);
    EXPECT_EQ(Sql(f, "PRAGMA user_version"), std::to_string(archive::kSchemaVersion));
    if (version >= 1) {
      const ReadEntry old = store->Load(7);
      EXPECT_EQ(old.raw, Bytes("abc"));
      EXPECT_EQ(old.utcOffsetMinutes, 120);
      EXPECT_FALSE(old.parentId);
      ASSERT_EQ(old.results.lorvex.size(), 1u);
      EXPECT_EQ(old.results.lorvex[0].typeLetter, "B");
      EXPECT_EQ(old.results.lorvex[0].record->ScanNumber(), 4);
      EXPECT_EQ(old.results.lorvex[0].record->cScanData()->ScanData().Values(),
                (std::vector<float>{1.0f, 2.0f}));
      reparsed.parentId = 7;
    }
    const int64_t id = store->Add(reparsed);
    EXPECT_EQ(store->Load(id).parentId, reparsed.parentId);
    EXPECT_EQ(store->History({}).back().parentId, reparsed.parentId);
    EXPECT_TRUE(store->Check().ok);
  }
}

TEST(ArchiveLocationTest, DefaultPathFollowsXdgThenHome) {
  using archive::DefaultArchivePath;
  EXPECT_EQ(DefaultArchivePath("/x/data", "/home/u"), "/x/data/travimo/archive.sqlite");
  EXPECT_EQ(DefaultArchivePath("relative", "/home/u"),
            "/home/u/.local/share/travimo/archive.sqlite");
  EXPECT_EQ(DefaultArchivePath(std::nullopt, "/home/u"),
            "/home/u/.local/share/travimo/archive.sqlite");
  EXPECT_EQ(DefaultArchivePath("", std::nullopt), "");
}

TEST(ArchiveLocationTest, MadeFolderIsPrivateAndFileFollowsTheUmask) {
  const fs::path dir = FreshDir("modes");
  const fs::path file = dir / "a" / "b" / "archive.sqlite";
  const mode_t old = ::umask(027);
  archive::OpenSqliteArchive(file);
  ::umask(old);
  struct stat st {};
  ASSERT_EQ(::stat(file.parent_path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace travimo::testing
