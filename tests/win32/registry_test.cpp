// Win32Registry against the real registry: fixtures are written with the raw API under a scratch key.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/unique_handles.h"
#include "platform/win32/win32_registry.h"

namespace {

const char kScratch[] = "SOFTWARE\\QuorvelPlatformTest";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratch); }
  void TearDown() override { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratch); }

  static void Write(const std::string& subkey, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    std::string path = std::string(kScratch) + (subkey.empty() ? "" : "\\" + subkey);
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    win32::UniqueRegKey owner(key);
    ASSERT_EQ(::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }

  win32::Win32Registry registry_;
};

TEST_F(RegistryTest, ReadsAStringWithItsTerminatorAndOneWithout) {
  const char withNul[] = "USB\\VID_1A86&PID_1000\\ABC";
  Write("", "0", REG_SZ, withNul, sizeof(withNul));
  Write("", "1", REG_SZ, "ABCD", 4);  // stored without a terminating NUL

  auto value = registry_.ReadValue(kScratch, "0");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, platform::RegistryType::String);
  EXPECT_EQ(std::string(value->data.begin(), value->data.end()), std::string(withNul, sizeof(withNul)));

  // The A function may add a terminator of its own while converting; the characters themselves all arrive.
  auto bare = registry_.ReadValue(kScratch, "1");
  ASSERT_TRUE(bare);
  std::string text(bare->data.begin(), bare->data.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  EXPECT_EQ(text, "ABCD");
}

TEST_F(RegistryTest, ReadsAValueLongerThanTheUsualBufferWhole) {
  std::string longText = "USB\\VID_1A86&PID_1000\\" + std::string(400, 'S');
  Write("", "0", REG_SZ, longText.c_str(), static_cast<DWORD>(longText.size() + 1));
  auto value = registry_.ReadValue(kScratch, "0");
  ASSERT_TRUE(value);
  ASSERT_EQ(value->data.size(), longText.size() + 1);
  EXPECT_EQ(std::string(value->data.begin(), value->data.end() - 1), longText);
}

TEST_F(RegistryTest, ReadsADwordAsItsFourBytes) {
  DWORD port = 0x0100;
  Write("##?#USB#VID_1A86&PID_1000#ABC#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\#\\Device Parameters", "Port Number",
        REG_DWORD, &port, sizeof(port));
  auto value = registry_.ReadValue(
      std::string(kScratch) +
          "\\##?#USB#VID_1A86&PID_1000#ABC#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\\#\\Device Parameters",
      "Port Number");
  ASSERT_TRUE(value);
  EXPECT_EQ(value->type, platform::RegistryType::Dword);
  EXPECT_EQ(value->data, (std::vector<uint8_t>{0x00, 0x01, 0x00, 0x00}));
}

TEST_F(RegistryTest, MissingKeysAndValuesReadAsNothing) {
  EXPECT_FALSE(registry_.ReadValue("SOFTWARE\\NoSuchKeyAnywhere", "0"));
  Write("", "present", REG_SZ, "x", 2);
  EXPECT_FALSE(registry_.ReadValue(kScratch, "absent"));
  EXPECT_FALSE(registry_.ListSubkeys("SOFTWARE\\NoSuchKeyAnywhere"));
  EXPECT_FALSE(registry_.ListValueNames("SOFTWARE\\NoSuchKeyAnywhere"));
}

TEST_F(RegistryTest, ListsSubkeysAndValueNames) {
  Write("##?#USB#A", "v", REG_SZ, "x", 2);
  Write("##?#USB#B", "v", REG_SZ, "x", 2);
  Write("", "COM3", REG_SZ, "x", 2);
  auto subkeys = registry_.ListSubkeys(kScratch);
  ASSERT_TRUE(subkeys);
  EXPECT_EQ(subkeys->size(), 2u);
  EXPECT_NE(std::find(subkeys->begin(), subkeys->end(), "##?#USB#A"), subkeys->end());
  auto names = registry_.ListValueNames(kScratch);
  ASSERT_TRUE(names);
  EXPECT_EQ(*names, (std::vector<std::string>{"COM3"}));
}

}  // namespace
