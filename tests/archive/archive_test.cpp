#include <gmock/gmock.h>
#include <sys/stat.h>

#include <fstream>
#include <limits>

#include "archive/archive_fixture.h"
#include "archive/archive_location.h"
#include "archive/read_entry.h"
#include "archive/schema.h"
#include <travimo/model/brevane_record.h>
#include <travimo/model/field_table.h>
#include "sim/simulator.h"

namespace travimo::testing {
namespace {

using ::testing::HasSubstr;

// Each instrument's read, one with values SQL would not keep on its own (NaN
// reads as NULL, a null series has no bounds), and a failed one with what
// arrived before it failed: each comes back whole and is found by its queries.
TEST_F(ArchiveTest, EveryReadComesBackAsItWasKeptAndIsFoundByItsQueries) {
  const auto brevane = sim::SampleBrevaneMeasurements(2, 3);
  sim::BrevaneMeasurement oneValue;
  oneValue.moisture = {1.0f};
  ReadEntry failed = archive::EntryAt(0, 0, 8002, "The port could not be opened");
  failed.source = "read";
  failed.raw = {'S', 0x00, 0xff, '\r'};  // NUL and high bytes kept verbatim
  std::vector<ReadEntry> entries = {
      Decoded(sim::EncodeLorvexTransfer({{'A', {1, 2, 4095}}, {'C', {7}}, {'B', {}}})),
      Decoded(sim::EncodeOstrel(sim::SampleOstrelMeasurements(1, 3))),
      Decoded(sim::EncodeBrevane(brevane)),
      Decoded(sim::EncodeBrevane({oneValue})),
      failed,
  };
  CBrevaneCls& odd = *entries[3].results.brevane.at(0);
  FindField<CBrevaneCls>("SamplingRate")->Set(odd, std::numeric_limits<float>::quiet_NaN());
  FindField<CBrevaneCls>("BasisWeightValue")->Set(odd, -std::numeric_limits<float>::infinity());
  FindField<CBrevaneCls>("cScanTemp")->Set(odd, ScanDataPtr());
  auto shifted = std::make_shared<CScanDataCls>();
  shifted->ScanData(SingleArray(5, 4));
  FindField<CBrevaneCls>("cScanData")->Set(odd, shifted);

  auto store = archive::OpenSqliteArchive(file);
  for (const ReadEntry& in : entries) {
    const ReadEntry out = archive::OpenSqliteArchive(file)->Load(store->Add(in));
    EXPECT_EQ(Columns(out), Columns(in));
    EXPECT_TRUE(SameResults(out.results, in.results));
  }

  // Each line as "id instrument records error", oldest first: the failed read has no time.
  const auto lines = [&](const archive::HistoryFilter& filter) {
    std::vector<std::string> found;
    for (const auto& l : store->History(filter)) {
      found.push_back(std::to_string(l.id) + " " + l.instrument + " " +
                      std::to_string(l.records) + " " + l.errorName);
    }
    return found;
  };
  archive::HistoryFilter byIdCode, byType, failedOnly;
  byIdCode.idCode = brevane[1].idCode;
  byType.type = TransferKind::Lorvex;  // the failed read was of a Lorvex
  failedOnly.failedOnly = true;
  using Lines = std::vector<std::string>;
  EXPECT_EQ(lines({}), (Lines{"5 Lorvex 0 ComportError", "1 Lorvex 3 ", "2 Ostrel 1 ",
                              "3 Brevane 2 ", "4 Brevane 1 "}));
  EXPECT_EQ(lines(byIdCode), (Lines{"3 Brevane 2 "}));
  EXPECT_EQ(lines(byType), (Lines{"5 Lorvex 0 ComportError", "1 Lorvex 3 "}));
  EXPECT_EQ(lines(failedOnly), (Lines{"5 Lorvex 0 ComportError"}));

  // Damaged bytes are the check's one problem, and a load refuses them.
  archive::Connection(file.string(), false, 1000)
      .Execute("UPDATE read_bytes SET raw = X'00' WHERE read_id = 2");
  const auto problems = store->Check().problems;
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_THAT(problems[0], HasSubstr("read 2:"));
  EXPECT_EQ(ErrorOf([&] { store->Load(2); }), ErrorNumber::PathFileAccess);
  EXPECT_EQ(ErrorOf([&] { store->Load(6); }), ErrorNumber::InvalidArgument);  // no such read
}

TEST_F(ArchiveTest, AFileThatIsNoUsableArchiveFailsWithItsNameAndWhy) {
  const fs::path garbage = dir / "garbage.sqlite", newer = dir / "newer.sqlite";
  std::ofstream(garbage) << std::string(4096, 'x');
  archive::Connection(newer.string(), true, 1000).Execute("PRAGMA user_version = 99");
  const std::pair<fs::path, const char*> cases[] = {{garbage, "not a database"},
                                                     {newer, "schema version 99"}};
  for (const auto& [f, why] : cases) {
    SCOPED_TRACE(why);
    const RuntimeError error = CaughtError([&path = f] { archive::OpenSqliteArchive(path); });
    EXPECT_EQ(error.Number(), ErrorNumber::PathFileAccess);
    EXPECT_THAT(error.Description(), HasSubstr(f.string()));
    EXPECT_THAT(error.Description(), HasSubstr(why));
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
    archive::Connection db(f.string(), true, 1000);
    archive::Migrate(db, version);
    if (version >= 1) db.Execute(kVersion1Read);
    auto store = archive::OpenSqliteArchive(f);
    if (version >= 1) {
      const ReadEntry old = store->Load(7);
      EXPECT_EQ(std::tuple(old.raw, old.utcOffsetMinutes, old.parentId),
                std::tuple(Bytes("abc"), 120, std::optional<int64_t>()));
      ASSERT_EQ(old.results.lorvex.size(), 1u);
      const LorvexPtr& record = old.results.lorvex[0].record;
      EXPECT_EQ(std::tuple(old.results.lorvex[0].typeLetter, record->ScanNumber(),
                           record->cScanData()->ScanData().Values()),
                std::tuple("B", 4, std::vector<float>{1.0f, 2.0f}));
      reparsed.parentId = 7;
    }
    const int64_t id = store->Add(reparsed);
    EXPECT_EQ(store->Load(id).parentId, reparsed.parentId);
    EXPECT_EQ(store->History({}).back().parentId, reparsed.parentId);
    EXPECT_TRUE(store->Check().ok);
    archive::Statement schema(db, "PRAGMA user_version");
    ASSERT_TRUE(schema.Step());
    EXPECT_EQ(schema.Int(0), archive::kSchemaVersion);
  }
}

TEST(ArchiveLocationTest, DefaultPathFollowsXdgThenHome) {
  using archive::DefaultArchivePath;
  const std::string home = "/home/u/.local/share/travimo/archive.sqlite";
  EXPECT_EQ(DefaultArchivePath("/x/data", "/home/u"), "/x/data/travimo/archive.sqlite");
  EXPECT_EQ(DefaultArchivePath("relative", "/home/u"), home);  // XDG paths must be absolute
  EXPECT_EQ(DefaultArchivePath(std::nullopt, "/home/u"), home);
  EXPECT_EQ(DefaultArchivePath("", std::nullopt), "");
}

TEST_F(ArchiveTest, MadeFolderIsPrivateAndFileFollowsTheUmask) {
  const fs::path made = dir / "a" / "b" / "archive.sqlite";
  const mode_t old = ::umask(027);
  archive::OpenSqliteArchive(made);
  ::umask(old);
  EXPECT_EQ(fs::status(made.parent_path()).permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(made).permissions(), fs::perms(0640));
}

}  // namespace
}  // namespace travimo::testing
