#include <gtest/gtest.h>

#include "config_tool/link/printer_discovery.h"
#include "tests/unit/main_window_fixture.h"

namespace {

using test_support::MainWindowFixture;

const char kGuid[] = "#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

std::string PathOf(const std::string& hashed) { return "\\\\?\\" + hashed + kGuid; }

struct Discovery : ::testing::Test {
  MainWindowFixture f;
  void SetUp() override {
    f.mainWindow.Load();  // fills the model list and ticks "thermal printers only"
  }
  void Find() { f.mainWindow.OnCheck4Click(); }
};

TEST_F(Discovery, SkipsMissingEnumValuesAndKeepsTheLastPrinterCurrent) {
  f.AttachPrinter("0", "USB\\VID_1A86&PID_9999\\AAA", 5);    // a product the table lacks
  f.AttachPrinter("2", "USB\\VID_1A86&PID_2000\\CCC", 100);  // KESTRAMO K-108
  Find();
  EXPECT_EQ(f.list4.items, (std::vector<std::string>{PathOf("USB#VID_1A86&PID_9999#AAA"),
                                                     PathOf("USB#VID_1A86&PID_2000#CCC")}));
  EXPECT_EQ(f.mainWindow.Fields().devicePath, PathOf("USB#VID_1A86&PID_2000#CCC"));
  EXPECT_EQ(f.mainWindow.Fields().interfaceKeyName, "##?#USB#VID_1A86&PID_2000#CCC" + std::string(kGuid));
  EXPECT_EQ(f.list3.items, std::vector<std::string>{"KESTRAMO K-108"});
  EXPECT_EQ(f.label4.Text(), "USB100");
  EXPECT_EQ(f.richTextBox1.Text(), "Find printers..");
}

TEST_F(Discovery, LowerCaseInstanceKeepsItsCaseAndTheLastPidWins) {
  f.AttachPrinter("0", "usb\\vid_1a86&pid_9999&pid_100b\\x", 1);
  Find();
  EXPECT_EQ(f.list3.items, std::vector<std::string>{"Vollenby LT-80"});
  EXPECT_EQ(f.list4.Item(0), PathOf("usb#vid_1a86&pid_9999&pid_100b#x"));
}

TEST_F(Discovery, InstanceWithoutPidIsListedButNotLookedUp) {
  f.AttachPrinter("1", "USB\\VID_1A86\\NOPRODUCT", 2);
  Find();
  EXPECT_EQ(f.list4.Count(), 1);
  EXPECT_EQ(f.list3.Count(), 0);
  EXPECT_EQ(f.label4.Text(), "USB002");
}

TEST_F(Discovery, PortNameFollowsThePortNumberWhole) {
  for (auto [number, name] : std::vector<std::pair<uint32_t, std::string>>{
           {1, "USB001"}, {5, "USB005"}, {99, "USB099"}, {100, "USB100"}, {256, "USB256"}}) {
    f.AttachPrinter("0", "USB\\VID_1A86&PID_2000\\P", number);
    Find();
    EXPECT_EQ(f.label4.Text(), name) << number;
  }
}

TEST_F(Discovery, UnreadablePortNumberLeavesThePortEmpty) {
  f.label4.SetText("USB007");
  f.AttachPrinter("0", "USB\\VID_1A86&PID_2000\\NOPORT");
  Find();
  EXPECT_EQ(f.list4.Count(), 1);
  EXPECT_EQ(f.label4.Text(), "");
}

TEST_F(Discovery, NoPrinterClearsListsAndPortAndKeepsTheOldPath) {
  f.AttachPrinter("0", "USB\\VID_1A86&PID_2000\\OLD", 3);
  Find();
  f.registry.RemoveValue(test_support::kEnumKey, "0");
  f.process.language = 1;
  Find();
  EXPECT_EQ(f.list4.Count(), 0);
  EXPECT_EQ(f.list3.Count(), 0);
  EXPECT_EQ(f.label4.Text(), "");
  EXPECT_EQ(f.richTextBox1.Text(), "寻找打印机..");
  EXPECT_EQ(f.mainWindow.Fields().devicePath, PathOf("USB#VID_1A86&PID_2000#OLD"));
}

TEST_F(Discovery, RegistryTextLosesOnlyItsTerminator) {
  // Stored without a terminating NUL: the last character is part of the serial number.
  std::string instance = "USB\\VID_1A86&PID_2000\\SERIAL9";
  f.registry.SetRaw(test_support::kEnumKey, "0",
                    {platform::RegistryType::String, std::vector<uint8_t>(instance.begin(), instance.end())});
  // Longer than the 255 characters a fixed buffer would hold.
  std::string longInstance = "USB\\VID_1A86&PID_2001\\" + std::string(300, 'L');
  f.AttachPrinter("1", longInstance);
  Find();
  EXPECT_EQ(f.list4.Item(0), PathOf("USB#VID_1A86&PID_2000#SERIAL9"));
  EXPECT_EQ(f.list4.Item(1), PathOf("USB#VID_1A86&PID_2001#" + std::string(300, 'L')));
}

TEST_F(Discovery, ValuesThatAreNotTextsNameNoDevice) {
  f.registry.SetDword(test_support::kEnumKey, "0", 7);
  f.registry.SetRaw(test_support::kEnumKey, "1", {platform::RegistryType::Binary, {'U', 'S', 'B'}});
  const std::string withTail = std::string("USB\\VID_1A86&PID_2000\\T1") + '\0' + "junk";
  f.registry.SetRaw(test_support::kEnumKey, "2",
                    {platform::RegistryType::String, std::vector<uint8_t>(withTail.begin(), withTail.end())});
  Find();
  ASSERT_EQ(f.list4.Count(), 1);
  EXPECT_EQ(f.list4.Item(0), PathOf("USB#VID_1A86&PID_2000#T1"));
}

TEST_F(Discovery, BrandPrintersAreThoseWhoseNamesStartWithABrandWordInExactCase) {
  f.spooler.printers = {"Vollenby LP-420B", "kestramo K-108", "My DRAVONIK D-58A", "DRAVONIK D-58A", "Fax"};
  Find();
  EXPECT_EQ(f.comboPrinter.items, (std::vector<std::string>{"Vollenby LP-420B", "DRAVONIK D-58A"}));
  EXPECT_EQ(f.comboPrinter.Selected(), 0);
}

TEST_F(Discovery, ClickOnTheDetectedModelMakesItsPrinterCurrent) {
  f.AttachPrinter("0", "USB\\VID_1A86&PID_2000\\ONLY", 4);
  Find();
  f.list3.Select(0);
  f.mainWindow.OnList3Click();
  EXPECT_EQ(f.label1.Text(), "KESTRAMO K-108");
  EXPECT_EQ(f.list4.Selected(), 0);
  EXPECT_EQ(f.mainWindow.Fields().devicePath, PathOf("USB#VID_1A86&PID_2000#ONLY"));
  EXPECT_EQ(f.mainWindow.Fields().interfaceKeyName, "##?#USB#VID_1A86&PID_2000#ONLY" + std::string(kGuid));
  EXPECT_EQ(f.label4.Text(), "USB004");
}

TEST_F(Discovery, ClickSelectsThePrinterWhoseModelIsShownNotTheFirstRow) {
  f.AttachPrinter("0", "USB\\VID_1A86&PID_2000\\FIRST", 1);
  f.AttachPrinter("1", "USB\\VID_1A86&PID_9999\\UNKNOWN", 2);
  f.AttachPrinter("2", "USB\\VID_1A86&PID_3000\\KNOWN", 3);  // DRAVONIK D-58A
  Find();
  f.list3.Select(0);
  f.mainWindow.OnList3Click();
  EXPECT_EQ(f.label1.Text(), "DRAVONIK D-58A");
  EXPECT_EQ(f.list4.Selected(), 2);
  EXPECT_EQ(f.mainWindow.Fields().devicePath, PathOf("USB#VID_1A86&PID_3000#KNOWN"));
  EXPECT_EQ(f.label4.Text(), "USB003");
}

}  // namespace
