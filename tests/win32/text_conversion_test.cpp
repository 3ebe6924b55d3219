// Conversions to a code page under every ANSI code page a shop PC may run with. Wine accepts a used-default
// pointer for UTF-8 where Windows fails the call, so the rule itself is checked as well.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/text_conversion.h"

namespace {

TEST(NarrowingRule, Utf8AndGb18030GetNoUsedDefaultPointerAndRefuseInvalidCharacters) {
  for (UINT codePage : {65001u, 54936u}) {
    win32::NarrowingRule rule = win32::NarrowingRuleFor(codePage);
    EXPECT_EQ(rule.flags, static_cast<DWORD>(WC_ERR_INVALID_CHARS)) << codePage;
    EXPECT_FALSE(rule.askUsedDefault) << codePage;
  }
}

TEST(NarrowingRule, CodePagesThatTakeNoFlagsAreCheckedByConvertingBack) {
  for (UINT codePage : {65000u, 42u, 50220u, 57011u}) {
    win32::NarrowingRule rule = win32::NarrowingRuleFor(codePage);
    EXPECT_EQ(rule.flags, 0u) << codePage;
    EXPECT_FALSE(rule.askUsedDefault) << codePage;
    EXPECT_TRUE(rule.checkRoundTrip) << codePage;
  }
}

TEST(NarrowingRule, OtherCodePagesReportTheDefaultCharacterAndUseNoBestFit) {
  for (UINT codePage : {936u, 1252u, 932u, 1251u}) {
    win32::NarrowingRule rule = win32::NarrowingRuleFor(codePage);
    EXPECT_EQ(rule.flags, static_cast<DWORD>(WC_NO_BEST_FIT_CHARS)) << codePage;
    EXPECT_TRUE(rule.askUsedDefault) << codePage;
  }
}

TEST(Utf8ToCodePage, ChineseInGbkAndUtf8AndRefusedInWesternEuropean) {
  EXPECT_EQ(win32::Utf8ToCodePage(936, "A中"), std::optional<std::string>("A\xD6\xD0"));
  EXPECT_EQ(win32::Utf8ToCodePage(65001, "A中"), std::optional<std::string>("A\xE4\xB8\xAD"));
  EXPECT_EQ(win32::Utf8ToCodePage(1252, "A中"), std::nullopt);
  EXPECT_EQ(win32::Utf8ToCodePage(1252, "é"), std::optional<std::string>("\xE9"));
  EXPECT_EQ(win32::Utf8ToCodePage(1252, "ā"), std::nullopt);  // no silent "a"
  EXPECT_EQ(win32::Utf8ToCodePage(65001, ""), std::optional<std::string>(""));
}

TEST(Utf8ToAnsi, FollowsTheCodePageThisProcessRunsWith) {
  const UINT codePage = ::GetACP();
  EXPECT_EQ(win32::Utf8ToAnsi("RETURN VALUE"), std::optional<std::string>("RETURN VALUE"));
  std::optional<std::string> chinese = win32::Utf8ToAnsi("中");
  if (codePage == 936) {
    EXPECT_EQ(chinese, std::optional<std::string>("\xD6\xD0"));
  } else if (codePage == 65001) {
    EXPECT_EQ(chinese, std::optional<std::string>("\xE4\xB8\xAD"));
  } else if (codePage == 1252) {
    EXPECT_EQ(chinese, std::nullopt);
  }
  EXPECT_EQ(win32::AnsiToUtf8(chinese.value_or("")), chinese ? "中" : "");
}

}  // namespace
