#include <travimo/model/keyed_collection.h>

#include <gtest/gtest.h>

#include <travimo/model/error.h>
#include <travimo/model/scan_data_collection.h>
#include "support/caught_error.h"

namespace travimo {
namespace {

ScanDataPtr Series(float value) {
  auto series = std::make_shared<CScanDataCls>();
  series->ScanData(SingleArray(0, {value}));
  return series;
}

using testing::ErrorOf;

class KeyedCollectionTest : public ::testing::Test {
 protected:
  CScanDataColCls collection_;
  ScanDataPtr first_ = collection_.Add(Series(1.0f));
  ScanDataPtr second_ = collection_.Add(Series(2.0f), "two");
  ScanDataPtr third_ = collection_.Add(Series(3.0f), "three");
};

TEST_F(KeyedCollectionTest, MissingPositionsAndKeysGiveNullAndRemoveFails) {
  EXPECT_EQ(collection_.Item(3), third_);
  EXPECT_EQ(collection_.Item(std::string("two")), second_);
  const std::pair<IndexKey, int32_t> cases[] = {
      {0, ErrorNumber::SubscriptOutOfRange},
      {4, ErrorNumber::SubscriptOutOfRange},
      {-1, ErrorNumber::SubscriptOutOfRange},
      {std::string("missing"), ErrorNumber::InvalidArgument},
      {std::string(""), ErrorNumber::InvalidArgument}};
  for (const auto& [key, removeError] : cases) {
    EXPECT_EQ(collection_.Item(key), nullptr);
    EXPECT_EQ(ErrorOf([&] { collection_.Remove(key); }), removeError);
    EXPECT_EQ(collection_.Count(), 3);
  }
}

// The same object added twice gives two unkeyed members; a failed add appends nothing.
TEST_F(KeyedCollectionTest, AddsCopyAndFailedAddsAppendNothing) {
  const auto given = Series(4.0f);
  const auto unkeyed = collection_.Add(given);
  EXPECT_NE(unkeyed, given);
  EXPECT_NE(unkeyed, collection_.Add(given, ""));
  EXPECT_EQ(collection_.Item(std::string("")), nullptr);
  given->ScanData(SingleArray(3, {9.0f}));
  EXPECT_EQ(unkeyed->ScanData(), SingleArray(0, {4.0f}));  // an independent copy
  EXPECT_EQ(ErrorOf([&] { collection_.Add(Series(9.0f), "two"); }), ErrorNumber::DuplicateKey);
  EXPECT_THROW(collection_.Add(nullptr), RuntimeError);
  EXPECT_EQ(collection_.Count(), 5);
  EXPECT_EQ(collection_.Item(std::string("two"))->ElementData(0), 2.0f);
}

// Members come in order; removal closes up the positions; members outlive
// their removal and their collection.
TEST_F(KeyedCollectionTest, EnumerationRemovalAndMembersLifetime) {
  auto enumerator = collection_.NewEnum();
  for (const auto& expected : {first_, second_, third_}) EXPECT_EQ(enumerator.Next(), expected);
  EXPECT_EQ(enumerator.Next(), nullptr);
  enumerator.Reset();
  EXPECT_EQ(enumerator.Next(), first_);
  ScanDataPtr kept;
  {
    CScanDataColCls collection;
    kept = collection.Add(Series(8.0f));
  }
  EXPECT_EQ(kept->ElementData(0), 8.0f);
  collection_.Remove(1);
  EXPECT_EQ(collection_.Item(1), second_);
  collection_.Remove(std::string("three"));
  EXPECT_EQ(collection_.Count(), 1);
  EXPECT_EQ(std::pair(first_->ElementData(0), third_->ElementData(0)), std::pair(1.0f, 3.0f));
  collection_.Add(Series(5.0f), "three");  // a removed key can be used again
  EXPECT_EQ(collection_.Item(std::string("three"))->ElementData(0), 5.0f);
}

}  // namespace
}  // namespace travimo
