#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>
#include <string>

#include "driver_installer/model_table.h"

namespace {

using omblet::kModelTable;

size_t Utf8Length(std::string_view text) {
  size_t count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool IsHexKey(std::string_view key, bool upper) {
  if (key.size() != 4) return false;
  for (char c : key) {
    bool digit = c >= '0' && c <= '9';
    bool letter = upper ? (c >= 'A' && c <= 'F') : (c >= 'a' && c <= 'f');
    if (!digit && !letter) return false;
  }
  return true;
}

TEST(ModelTableShape, KeysAreFourUpperCaseHexCharactersWithThirteenAlternatives) {
  int twoKeyRows = 0, lowerCaseAlternatives = 0;
  for (const auto& row : kModelTable) {
    EXPECT_TRUE(IsHexKey(row.key, true)) << row.key;
    if (row.alternateKey.empty()) continue;
    ++twoKeyRows;
    if (row.alternateKey == Lower(row.key)) {
      EXPECT_NE(row.alternateKey, row.key) << "a lower-case alternative needs letters";
      ++lowerCaseAlternatives;
    } else {
      EXPECT_TRUE(IsHexKey(row.alternateKey, true)) << row.alternateKey;
    }
  }
  EXPECT_EQ(kModelTable.size(), 209u);
  EXPECT_EQ(twoKeyRows, 13);
  EXPECT_EQ(lowerCaseAlternatives, 3);
}

TEST(ModelTableShape, FiveKeysRepeatOnceAndTwoOfThosePairsNameAnotherModel) {
  std::map<std::string_view, std::vector<size_t>> rowsOfKey;
  for (size_t i = 0; i < kModelTable.size(); ++i) {
    rowsOfKey[kModelTable[i].key].push_back(i);
    if (!kModelTable[i].alternateKey.empty()) rowsOfKey[kModelTable[i].alternateKey].push_back(i);
  }
  int repeated = 0, otherModel = 0;
  for (const auto& [key, rows] : rowsOfKey) {
    ASSERT_LE(rows.size(), 2u) << key;
    if (rows.size() < 2) continue;
    ++repeated;
    if (kModelTable[rows[0]].modelName != kModelTable[rows[1]].modelName) ++otherModel;
    // The first row wins.
    EXPECT_EQ(omblet::FindModel(key), &kModelTable[rows[0]]);
  }
  EXPECT_EQ(repeated, 5);
  EXPECT_EQ(otherModel, 2);
}

TEST(ModelTableShape, ModelNamesHaveFiveToEighteenCharacters) {
  size_t shortest = 99, longest = 0;
  for (const auto& row : kModelTable) {
    shortest = std::min(shortest, Utf8Length(row.modelName));
    longest = std::max(longest, Utf8Length(row.modelName));
  }
  EXPECT_EQ(shortest, 5u);
  EXPECT_EQ(longest, 18u);
}

TEST(ModelTableShape, CaptionSuffixesWelcomeSixBrandsOrNameTwoResellers) {
  const std::string welcome = "欢迎使用", printer = "打印机";
  int empty = 0, welcomes = 0, resellers = 0;
  std::set<std::string> brands;
  for (const auto& row : kModelTable) {
    std::string suffix(row.captionSuffix);
    if (suffix.empty()) {
      ++empty;
    } else if (suffix.starts_with(welcome) && suffix.ends_with(printer) &&
               suffix.size() > welcome.size() + printer.size()) {
      ++welcomes;
      brands.insert(suffix.substr(welcome.size(), suffix.size() - welcome.size() - printer.size()));
    } else {
      ++resellers;
    }
  }
  EXPECT_EQ(empty, 179);
  EXPECT_EQ(welcomes, 28);
  EXPECT_EQ(brands.size(), 6u);
  EXPECT_EQ(resellers, 2);
}

// "Brand word, blank, model number": letters, one blank, then a model number that starts with a digit.
bool BrandBlankNumber(std::string_view name) {
  size_t blank = name.find(' ');
  if (blank == std::string_view::npos || blank == 0 || name.find(' ', blank + 1) != std::string_view::npos) {
    return false;
  }
  for (size_t i = 0; i < blank; ++i) {
    if (!std::isalpha(static_cast<unsigned char>(name[i]))) return false;
  }
  return blank + 1 < name.size() && std::isdigit(static_cast<unsigned char>(name[blank + 1]));
}

TEST(ModelTableShape, TheNoInvoiceMarkCoversExactlyRows93To177) {
  int brandNumberNames = 0;
  for (size_t i = 0; i < kModelTable.size(); ++i) {
    size_t row = i + 1;
    bool inBlock = row >= 93 && row <= 177;
    EXPECT_EQ(kModelTable[i].noInvoiceDriver, inBlock) << "row " << row;
    if (inBlock && BrandBlankNumber(kModelTable[i].modelName)) ++brandNumberNames;
  }
  EXPECT_EQ(brandNumberNames, 84);
}

TEST(ModelTableShape, NoRowClaimsTheMassStorageProductIdentifier) {
  EXPECT_EQ(omblet::FindModel("5720"), nullptr);
}

TEST(ModelLookup, ComparesExactlyIncludingLetterCase) {
  const auto* upper = omblet::FindModel("65A1");
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(omblet::FindModel("65a1"), upper);   // listed as its alternative
  EXPECT_EQ(omblet::FindModel("600e"), nullptr);  // only the upper-case spelling is listed
  EXPECT_NE(omblet::FindModel("600E"), nullptr);
  EXPECT_EQ(omblet::FindModel("600"), nullptr);
  EXPECT_EQ(omblet::FindModel(""), nullptr);
}

}  // namespace
