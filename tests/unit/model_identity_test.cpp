#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "config_tool/params/model_identity.h"
#include "config_tool/params/model_identity_data.h"
#include "config_tool/text_util.h"
#include "platform/fakes/fake_controls.h"

namespace {

using quorvel::kIdentityTable;
using quorvel::kModelList;

std::string_view BrandOf(std::string_view model) {
  size_t blank = model.find(' ');
  return blank == std::string_view::npos ? std::string_view() : model.substr(0, blank);
}

TEST(ModelData, IdentityTableHasItsShape) {
  std::map<std::string_view, int> rowsByBrand;
  std::vector<std::string_view> groupOrder;
  std::vector<size_t> bareRows;
  bool lowerCaseKey = false, upperCaseKey = false;
  std::map<std::string, int> keys;
  for (size_t i = 0; i < kIdentityTable.size(); ++i) {
    const auto& row = kIdentityTable[i];
    EXPECT_EQ(row.vendor, "1A86");
    ASSERT_EQ(row.product.size(), 4u);
    EXPECT_TRUE(std::all_of(row.product.begin(), row.product.end(), [](char c) { return std::isxdigit(c); }));
    lowerCaseKey |= std::any_of(row.product.begin(), row.product.end(), [](char c) { return c >= 'a' && c <= 'f'; });
    upperCaseKey |= std::any_of(row.product.begin(), row.product.end(), [](char c) { return c >= 'A' && c <= 'F'; });
    ++keys[quorvel::ToUpperAscii(row.product)];
    std::string_view brand = BrandOf(row.model);
    if (brand.empty()) {
      bareRows.push_back(i);
      continue;
    }
    ++rowsByBrand[brand];
    if (groupOrder.empty() || groupOrder.back() != brand) groupOrder.push_back(brand);
  }
  EXPECT_EQ(rowsByBrand["Vollenby"], 30);
  EXPECT_EQ(rowsByBrand["KESTRAMO"], 27);
  EXPECT_EQ(rowsByBrand["DRAVONIK"], 24);
  EXPECT_EQ(groupOrder, (std::vector<std::string_view>{"Vollenby", "KESTRAMO", "DRAVONIK"}));
  EXPECT_TRUE(lowerCaseKey && upperCaseKey);

  // The two bare-code rows share "EEE5", one inside the first group and one inside the second.
  ASSERT_EQ(bareRows.size(), 2u);
  EXPECT_EQ(BrandOf(kIdentityTable[bareRows[0] - 1].model), "Vollenby");
  EXPECT_EQ(BrandOf(kIdentityTable[bareRows[0] + 1].model), "Vollenby");
  EXPECT_EQ(BrandOf(kIdentityTable[bareRows[1] - 1].model), "KESTRAMO");
  EXPECT_EQ(BrandOf(kIdentityTable[bareRows[1] + 1].model), "KESTRAMO");
  for (const auto& [key, count] : keys) EXPECT_EQ(count, key == "EEE5" ? 2 : 1) << key;
}

TEST(ModelData, ModelListHasItsShapeAndDiffersFromTheTableAsIntended) {
  std::vector<std::string_view> brands;
  for (std::string_view model : kModelList) brands.push_back(BrandOf(model));
  auto count = [&](size_t from, size_t to, std::string_view brand) {
    return std::count(brands.begin() + static_cast<long>(from), brands.begin() + static_cast<long>(to), brand);
  };
  EXPECT_EQ(count(0, 24, "Vollenby"), 23);
  EXPECT_EQ(count(0, 24, ""), 1);  // the bare code stands in the first group
  EXPECT_EQ(count(24, 51, "KESTRAMO"), 27);
  EXPECT_EQ(count(51, 76, "DRAVONIK"), 25);
  EXPECT_EQ(std::set<std::string_view>(kModelList.begin(), kModelList.end()).size(), 76u);

  std::set<std::string_view> tableNames;
  for (const auto& row : kIdentityTable) tableNames.insert(row.model);
  std::set<std::string_view> listNames(kModelList.begin(), kModelList.end());
  int onlyInTable = 0, onlyInList = 0;
  for (auto name : tableNames) onlyInTable += !listNames.contains(name);
  for (auto name : listNames) onlyInList += !tableNames.contains(name);
  EXPECT_EQ(onlyInTable, 7);
  EXPECT_EQ(onlyInList, 1);
  EXPECT_EQ(BrandOf(quorvel::kDefaultModel), "KESTRAMO");
  EXPECT_TRUE(listNames.contains(quorvel::kDefaultModel));
}

struct IdentityFixture : ::testing::Test {
  fakes::FakeWindow window;
  fakes::FakeListBox modelList, detected;
  fakes::FakeCheckBox thermalOnly;
  quorvel::MainWindowFields fields;
  quorvel::ModelIdentityControls controls{window, modelList, detected, thermalOnly};

  void SetUp() override {
    for (auto model : kModelList) modelList.Add(model);
    modelList.Select(30);
    thermalOnly.SetValue(platform::CheckValue::Checked);
  }
  int IndexOf(std::string_view model) {
    auto it = std::find(modelList.items.begin(), modelList.items.end(), model);
    return it == modelList.items.end() ? -1 : static_cast<int>(it - modelList.items.begin());
  }
};

TEST_F(IdentityFixture, KnownIdentityIsSelectedAndDetectedInAnyLetterCase) {
  quorvel::IdentifyModel("100B", "1a86", fields, controls);  // the table writes "100b"
  EXPECT_EQ(fields.currentModel, "Vollenby LT-80");
  EXPECT_EQ(detected.items, std::vector<std::string>{"Vollenby LT-80"});
  EXPECT_EQ(modelList.Selected(), IndexOf("Vollenby LT-80"));

  quorvel::IdentifyModel("eee5", "1A86", fields, controls);
  EXPECT_EQ(fields.currentModel, "TP-80E");
  EXPECT_EQ(detected.items, std::vector<std::string>{"TP-80E"});  // two lookups leave only the second
}

TEST_F(IdentityFixture, ForeignVendorNeverMatchesNorFallsBack) {
  thermalOnly.SetValue(platform::CheckValue::Unchecked);
  quorvel::IdentifyModel("1000", "0483", fields, controls);
  EXPECT_EQ(fields.currentModel, "");
  EXPECT_EQ(detected.Count(), 0);
  EXPECT_EQ(modelList.Selected(), 30);
}

TEST_F(IdentityFixture, UnknownProductKeepsItsIdentifierOnlyWithoutThermalOnly) {
  quorvel::IdentifyModel("9a9A", "1A86", fields, controls);
  EXPECT_EQ(fields.currentModel, "");

  thermalOnly.SetValue(platform::CheckValue::Unchecked);
  quorvel::IdentifyModel("9a9A", "1a86", fields, controls);
  EXPECT_EQ(fields.currentModel, "9a9A");  // the caller's letter case
  EXPECT_EQ(detected.Count(), 0);
  EXPECT_EQ(modelList.Selected(), 30);
}

TEST_F(IdentityFixture, SettingsWriteKeepsTheUsersSelection) {
  detected.Add("stale");
  fields.settingsWriteActive = 1;
  quorvel::IdentifyModel("2000", "1A86", fields, controls);
  EXPECT_EQ(fields.currentModel, "KESTRAMO K-108");
  EXPECT_EQ(detected.Count(), 0);
  EXPECT_EQ(modelList.Selected(), 30);
}

TEST_F(IdentityFixture, ModelMissingFromTheListIsDetectedButNotSelected) {
  quorvel::IdentifyModel("1006", "1A86", fields, controls);  // "Vollenby LP-588T" has no list entry
  EXPECT_EQ(detected.items, std::vector<std::string>{"Vollenby LP-588T"});
  EXPECT_EQ(modelList.Selected(), 30);
}

}  // namespace
