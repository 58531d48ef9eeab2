#include "model/keyed_collection.h"

#include <gtest/gtest.h>

#include "model/error.h"
#include "model/scan_data_collection.h"

namespace travimo {
namespace {

ScanDataPtr Series(float value) {
  auto series = std::make_shared<CScanDataCls>();
  series->ScanData(SingleArray(0, {value}));
  return series;
}

float ValueOf(const ScanDataPtr& member) {
  return member->ElementData(0);
}

class KeyedCollectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    first_ = collection_.Add(Series(1.0f));
    second_ = collection_.Add(Series(2.0f), "two");
    third_ = collection_.Add(Series(3.0f), "three");
  }

  int32_t RemoveError(const IndexKey& key) {
    try {
      collection_.Remove(key);
    } catch (const RuntimeError& error) {
      return error.Number();
    }
    return 0;
  }

  CScanDataColCls collection_;
  ScanDataPtr first_, second_, third_;
};

TEST_F(KeyedCollectionTest, ItemFindsByPositionOrKey) {
  EXPECT_EQ(collection_.Count(), 3);
  EXPECT_EQ(collection_.Item(1), first_);
  EXPECT_EQ(collection_.Item(3), third_);
  EXPECT_EQ(collection_.Item(std::string("two")), second_);
}

TEST_F(KeyedCollectionTest, MissingPositionsAndKeysGiveNullAndRemoveFails) {
  struct Case {
    IndexKey key;
    int32_t removeError;
  };
  const std::vector<Case> cases = {
      {0, ErrorNumber::SubscriptOutOfRange},
      {4, ErrorNumber::SubscriptOutOfRange},
      {-1, ErrorNumber::SubscriptOutOfRange},
      {std::string("missing"), ErrorNumber::InvalidArgument},
      {std::string(""), ErrorNumber::InvalidArgument},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(collection_.Item(c.key), nullptr);
    EXPECT_EQ(RemoveError(c.key), c.removeError);
    EXPECT_EQ(collection_.Count(), 3);
  }
}

TEST_F(KeyedCollectionTest, AddWithoutKeyOrEmptyKeyAppendsUnkeyed) {
  const auto given = Series(4.0f);
  const auto unkeyed = collection_.Add(given);
  const auto emptyKey = collection_.Add(given, "");
  EXPECT_NE(unkeyed, given);
  EXPECT_NE(unkeyed, emptyKey);  // the same object added twice gives two members
  EXPECT_EQ(collection_.Count(), 5);
  EXPECT_EQ(collection_.Item(std::string("")), nullptr);
}

TEST_F(KeyedCollectionTest, DuplicateKeyFailsAndAppendsNothing) {
  try {
    collection_.Add(Series(9.0f), "two");
    FAIL() << "duplicate key accepted";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number(), ErrorNumber::DuplicateKey);
  }
  EXPECT_EQ(collection_.Count(), 3);
  EXPECT_EQ(ValueOf(collection_.Item(std::string("two"))), 2.0f);
}

TEST_F(KeyedCollectionTest, AddingNothingFails) {
  EXPECT_THROW(collection_.Add(nullptr), RuntimeError);
  EXPECT_EQ(collection_.Count(), 3);
}

TEST_F(KeyedCollectionTest, RemoveClosesUpPositionsAndMembersStayValid) {
  collection_.Remove(1);
  EXPECT_EQ(collection_.Item(1), second_);
  collection_.Remove(std::string("three"));
  EXPECT_EQ(collection_.Count(), 1);
  EXPECT_EQ(collection_.Item(std::string("three")), nullptr);
  EXPECT_EQ(ValueOf(first_), 1.0f);
  EXPECT_EQ(ValueOf(third_), 3.0f);
  // A removed key can be used again.
  collection_.Add(Series(5.0f), "three");
  EXPECT_EQ(ValueOf(collection_.Item(std::string("three"))), 5.0f);
}

TEST_F(KeyedCollectionTest, EnumeratorVisitsMembersInOrder) {
  auto enumerator = collection_.NewEnum();
  for (const auto& expected : {first_, second_, third_}) EXPECT_EQ(enumerator.Next(), expected);
  EXPECT_EQ(enumerator.Next(), nullptr);
  enumerator.Reset();
  EXPECT_EQ(enumerator.Next(), first_);
}

TEST(KeyedCollectionLifetimeTest, MembersOutliveTheirCollection) {
  ScanDataPtr kept;
  {
    CScanDataColCls collection;
    kept = collection.Add(Series(8.0f));
  }
  EXPECT_EQ(ValueOf(kept), 8.0f);
}

}  // namespace
}  // namespace travimo
