#include <gtest/gtest.h>

#include "driver_installer/model_table.h"
#include "driver_installer/usb_detection.h"
#include "tests/unit/installer_fixture.h"

namespace {

using omblet::InvoiceDriverClass;
using test_support::DependentOf;

constexpr std::string_view kWaiting = "正在查询USB打印机，请确认打印机是否处于打开状态:";
constexpr std::string_view kMassStorage = "目前打印在U盘模式下，请重启打印机";
constexpr std::string_view kCaption = "OmbletV300.19(20180607)";

std::string ModelOf(std::string_view pid) { return std::string(omblet::FindModel(pid)->modelName); }

class Detection : public ::testing::Test {
 protected:
  Detection() { window.SetCaption(kCaption); }
  void Scan(std::vector<std::string> devices) {
    wmi.dependents = std::move(devices);
    omblet::DetectUsbPrinter(wmi, {window, line2, line3, state});
  }
  fakes::FakeWindow window;
  fakes::FakeLabel line2, line3;
  fakes::FakeWmi wmi;
  omblet::InstallerState state;
};

TEST_F(Detection, AsksWmiWithTheFixedQueryAndReadsDependent) {
  Scan({});
  EXPECT_EQ(wmi.queries, std::vector<std::string>{"Select   *   From   Win32_USBControllerDevice / Dependent"});
}

TEST_F(Detection, WorkedWalkFindsThePrinterAndChoosesTheClassFromTheLastProductCharacter) {
  Scan({DependentOf("USB\\ROOT_HUB30\\4&1"), DependentOf("USB\\VID_1A86&PID_600E\\5&2A3B"),
        DependentOf("USB\\VID_046D&PID_C52B\\6&1")});
  EXPECT_TRUE(state.printerFound);
  EXPECT_EQ(state.modelName, ModelOf("600E"));
  EXPECT_EQ(state.invoiceDriverClass, InvoiceDriverClass::S);
  // The class ends the scan: the third device is never examined.
  EXPECT_EQ(state.scanCounter, 2);
  EXPECT_EQ(line3.Text(), DependentOf("USB\\VID_1A86&PID_600E\\5&2A3B"));
  EXPECT_EQ(line2.Text(), std::string(kWaiting) + "2s");
}

TEST_F(Detection, ProductWithoutAnyClassIsStillFoundAndTheScanGoesOn) {
  Scan({"USB\\VID_1A86&PID_6080\\1", "USB\\VID_046D&PID_C52B\\2"});
  EXPECT_TRUE(state.printerFound);
  EXPECT_EQ(state.modelName, ModelOf("6080"));
  EXPECT_EQ(state.invoiceDriverClass, InvoiceDriverClass::Unset);
  EXPECT_EQ(state.scanCounter, 2);
}

TEST_F(Detection, ALaterPrinterOfTheSameScanCanStillChooseTheClass) {
  Scan({"USB\\VID_1A86&PID_6080\\1", "USB\\VID_1A86&PID_6036\\2"});
  EXPECT_TRUE(state.printerFound);
  EXPECT_EQ(state.modelName, ModelOf("6036"));
  EXPECT_EQ(state.invoiceDriverClass, InvoiceDriverClass::N);
}

TEST_F(Detection, UnknownProductOfVendor1A86IsNotFound) {
  Scan({"USB\\VID_1A86&PID_7F01\\1"});
  EXPECT_FALSE(state.printerFound);
  EXPECT_EQ(state.modelName, "");
}

TEST_F(Detection, ProductBeforeTheVendorInTheSameTextDoesNotCount) {
  Scan({"USB\\PID_600E&VID_1A86\\1"});
  EXPECT_FALSE(state.printerFound);
  EXPECT_EQ(state.modelName, "");
}

TEST_F(Detection, LowerCaseProductMatchesOnlyRowsListingTheLowerCaseSpelling) {
  Scan({"USB\\VID_1A86&PID_600e\\1"});
  EXPECT_FALSE(state.printerFound);
  Scan({"USB\\VID_1A86&PID_758f\\1"});
  EXPECT_TRUE(state.printerFound);
  EXPECT_EQ(state.modelName, ModelOf("758F"));
  EXPECT_EQ(state.invoiceDriverClass, InvoiceDriverClass::Unset);  // "758f" is in no list and "f" selects nothing
}

TEST_F(Detection, TagsAreCaseSensitive) {
  Scan({"USB\\vid_1A86&pid_600E\\1", "USB\\VID_1a86&PID_600E\\2"});
  EXPECT_FALSE(state.printerFound);
}

// A USB-serial adapter carries the printer chip's vendor; another device's product may be a table key.
TEST_F(Detection, VendorAndProductFromDifferentDevicesFindNothingAndChangeNothing) {
  Scan({"USB\\VID_1A86&PID_7F01\\SERIAL", "USB\\VID_0BDA&PID_A00E\\CAMERA", "USB\\VID_0BDA&PID_6036\\HUB"});
  EXPECT_FALSE(state.printerFound);
  EXPECT_EQ(state.modelName, "");
  EXPECT_FALSE(state.noInvoiceDriver);
  EXPECT_EQ(window.Caption(), kCaption);
}

TEST_F(Detection, MatchedRowSetsModelCaptionSuffixAndTheStickyNoInvoiceMark) {
  Scan({"USB\\VID_1A86&PID_A00E\\1"});
  EXPECT_TRUE(state.printerFound);
  EXPECT_TRUE(state.noInvoiceDriver);
  Scan({"USB\\VID_1A86&PID_6036\\1"});
  EXPECT_TRUE(state.noInvoiceDriver);  // never cleared again
  EXPECT_EQ(window.Caption(), std::string(kCaption) + "欢迎使用Vollenby打印机");
}

TEST_F(Detection, MassStorageModeNeedsBothIdentifiersInOneDeviceText) {
  Scan({"USB\\VID_0483&PID_1234\\1", "USB\\VID_0001&PID_5720\\2"});
  EXPECT_EQ(line2.Text(), std::string(kWaiting) + "2s");

  Scan({"USB\\VID_0483&PID_5720\\DISK", "USB\\VID_1A86&PID_600E\\1"});
  EXPECT_EQ(line2.Text(), kMassStorage);
  EXPECT_FALSE(state.printerFound);
  EXPECT_EQ(state.scanCounter, 3);  // the scan ended at the U-disk
}

TEST_F(Detection, WaitingCounterRunsOverAllScansAndWrapsAfter99) {
  state.scanCounter = 97;
  Scan({"A", "B"});
  EXPECT_EQ(line2.Text(), std::string(kWaiting) + "99s");
  Scan({"C"});
  EXPECT_EQ(line2.Text(), std::string(kWaiting) + "0s");
  Scan({"D"});
  EXPECT_EQ(line2.Text(), std::string(kWaiting) + "1s");
  EXPECT_EQ(line3.Text(), "D");
}

TEST_F(Detection, NoDevicesLeavesEverythingAsItWas) {
  line2.SetText("before");
  line3.SetText("device");
  state.scanCounter = 5;
  Scan({});
  EXPECT_EQ(line2.Text(), "before");
  EXPECT_EQ(line3.Text(), "device");
  EXPECT_EQ(state.scanCounter, 5);
  EXPECT_FALSE(state.printerFound);
}

TEST_F(Detection, WmiFailureIsShownOnTheDeviceLine) {
  wmi.reachable = false;
  omblet::DetectUsbPrinter(wmi, {window, line2, line3, state});
  EXPECT_EQ(line3.Text(), "无法通过WMI查询USB设备，稍后重试");
  EXPECT_FALSE(state.printerFound);
}

TEST_F(Detection, RepaintsAfterEachDeviceAndEachCountedProduct) {
  Scan({"USB\\VID_046D&PID_C52B\\1", "USB\\VID_1A86&PID_7F01\\2"});
  EXPECT_EQ(window.repaints, 3);
}

TEST(InvoiceClassChoice, ExplicitProductsComeBeforeTheLastCharacterRule) {
  struct Case {
    std::string_view pid;
    std::optional<InvoiceDriverClass> expected;
  };
  const Case cases[] = {
      {"6591", InvoiceDriverClass::S},   {"6593", InvoiceDriverClass::S},   {"65A3", InvoiceDriverClass::S},
      {"65A4", InvoiceDriverClass::S},   {"5588", InvoiceDriverClass::S},   {"758F", InvoiceDriverClass::N},
      {"6590", InvoiceDriverClass::N},   {"6592", InvoiceDriverClass::N},   {"65A1", InvoiceDriverClass::N},
      {"65A2", InvoiceDriverClass::N},   {"9585", InvoiceDriverClass::N},   {"4587", InvoiceDriverClass::N},
      {"100E", InvoiceDriverClass::S},   {"1005", InvoiceDriverClass::S},   {"1007", InvoiceDriverClass::N},
      {"1006", InvoiceDriverClass::N},   {"100A", InvoiceDriverClass::SJZ}, {"1008", InvoiceDriverClass::SJZ},
      {"100B", InvoiceDriverClass::SJZ}, {"100C", InvoiceDriverClass::SJZ}, {"1004", std::nullopt},
      {"1009", std::nullopt},            {"100D", std::nullopt},            {"100F", std::nullopt},
      {"100e", std::nullopt},            {"100", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(omblet::ChooseInvoiceClass(c.pid), c.expected) << c.pid;
}

}  // namespace
