#include <gtest/gtest.h>

#include "driver_installer/port_resolution.h"
#include "tests/unit/installer_fixture.h"

namespace {

using test_support::InterfaceKeyOf;
using test_support::PortNumberKeyOf;

const std::string kClassKey = std::string(omblet::kDeviceClassesKey) + std::string(omblet::kUsbPrinterClass);

class PortResolution : public ::testing::Test {
 protected:
  void AddInterface(std::string_view instance, std::optional<uint32_t> portNumber) {
    std::string key = InterfaceKeyOf(instance);
    registry.AddKey(kClassKey + "\\" + key);
    if (portNumber) registry.SetDword(PortNumberKeyOf(key), "Port Number", *portNumber);
  }
  void SetEnum(std::string_view index, std::string_view instance) {
    registry.SetString(omblet::kUsbprintEnumKey, index, instance);
  }
  std::string Resolve() {
    resolver.ResolvePrinterPort();
    return state.portName;
  }
  fakes::FakeRegistry registry;
  omblet::InstallerState state;
  omblet::PortResolver resolver{registry, state};
};

TEST_F(PortResolution, OnePrinterNamedByEnumZero) {
  AddInterface("USB\\VID_1A86&PID_600E\\5&1", 1);
  SetEnum("0", "USB\\VID_1A86&PID_600E\\5&1");
  EXPECT_EQ(Resolve(), "USB001");
}

TEST_F(PortResolution, PrinterNamedByALaterEnumValue) {
  AddInterface("USB\\VID_1A86&PID_600E\\5&1", 12);
  SetEnum("0", "USB\\VID_04B8&PID_0202\\X");
  SetEnum("1", "USB\\VID_1A86&PID_600E\\5&1");
  EXPECT_EQ(Resolve(), "USB012");
}

TEST_F(PortResolution, GapsInTheEnumNumberingDoNotEndTheSearch) {
  AddInterface("USB\\VID_1A86&PID_600E\\5&1", 3);
  SetEnum("4", "USB\\VID_1A86&PID_600E\\5&1");
  EXPECT_EQ(Resolve(), "USB003");
  EXPECT_EQ(state.enumReadFailed, 0);
}

TEST_F(PortResolution, InstanceMatchesInAnyLetterCase) {
  AddInterface("USB\\VID_1A86&PID_600E\\5&ABCDEF", 2);
  SetEnum("0", "usb\\vid_1a86&pid_600e\\5&abcdef");
  EXPECT_EQ(Resolve(), "USB002");
}

TEST_F(PortResolution, VendorCharactersDecideBeforeAnythingElse) {
  AddInterface("USB\\VID_0483&PID_600E\\A", 5);
  SetEnum("0", "USB\\VID_0483&PID_600E\\A");
  EXPECT_EQ(Resolve(), "lpt1:");

  AddInterface("USB\\VID_1a86&PID_600E\\B", 6);
  SetEnum("1", "USB\\VID_1a86&PID_600E\\B");
  EXPECT_EQ(Resolve(), "USB006");
}

TEST_F(PortResolution, WholePortNumberWithAtLeastThreeDigits) {
  AddInterface("USB\\VID_1A86&PID_600E\\5&1", 256);
  SetEnum("0", "USB\\VID_1A86&PID_600E\\5&1");
  EXPECT_EQ(Resolve(), "USB256");
  registry.SetDword(PortNumberKeyOf(InterfaceKeyOf("USB\\VID_1A86&PID_600E\\5&1")), "Port Number", 1234);
  EXPECT_EQ(Resolve(), "USB1234");
  EXPECT_EQ(omblet::UsbPortName(0), "USB000");
  EXPECT_EQ(omblet::UsbPortName(4294967295u), "USB4294967295");
}

TEST_F(PortResolution, InterfaceWithoutPortNumberIsSkippedForTheNextOne) {
  AddInterface("USB\\VID_1A86&PID_600E\\A", std::nullopt);
  AddInterface("USB\\VID_1A86&PID_600E\\B", 7);
  SetEnum("0", "USB\\VID_1A86&PID_600E\\A");
  SetEnum("1", "USB\\VID_1A86&PID_600E\\B");
  EXPECT_EQ(Resolve(), "USB007");
}

TEST_F(PortResolution, WithTwoPrintersThePortIsTheDetectedOnes) {
  AddInterface("USB\\VID_1A86&PID_2000\\7&1&0&1", 1);
  AddInterface("USB\\VID_1A86&PID_600E\\7&2&0&1", 2);
  SetEnum("0", "USB\\VID_1A86&PID_2000\\7&1&0&1");
  SetEnum("1", "USB\\VID_1A86&PID_600E\\7&2&0&1");
  state.detectedDevice = test_support::DependentOf("USB\\VID_1A86&PID_600E\\7&2&0&1");
  EXPECT_EQ(Resolve(), "USB002");
  state.detectedDevice = test_support::DependentOf("USB\\VID_1A86&PID_2000\\7&1&0&1");
  EXPECT_EQ(Resolve(), "USB001");
}

TEST_F(PortResolution, ACompositeDevicesPrinterFunctionCountsAsTheDetectedProduct) {
  AddInterface("USB\\VID_1A86&PID_2000\\X", 1);
  AddInterface("USB\\VID_1A86&PID_600E&MI_00\\6&1&0&0000", 3);
  SetEnum("0", "USB\\VID_1A86&PID_2000\\X");
  SetEnum("1", "USB\\VID_1A86&PID_600E&MI_00\\6&1&0&0000");
  state.detectedDevice = test_support::DependentOf("USB\\VID_1A86&PID_600E\\SERIAL1");
  EXPECT_EQ(Resolve(), "USB003");
  // Nothing of the detected product: the first accepted interface, as without a detected device.
  state.detectedDevice = test_support::DependentOf("USB\\VID_1A86&PID_5555\\Z");
  EXPECT_EQ(Resolve(), "USB001");
}

TEST(DeviceInstanceOf, TakesTheDeviceIdOfAWmiTextWithSingleBackslashes) {
  EXPECT_EQ(omblet::DeviceInstanceOf(test_support::DependentOf("USB\\VID_1A86&PID_600E\\5&1")),
            "USB\\VID_1A86&PID_600E\\5&1");
  EXPECT_EQ(omblet::DeviceInstanceOf("USB\\VID_1A86&PID_600E\\5&1"), "");
  EXPECT_EQ(omblet::DeviceInstanceOf("x:Win32_PnPEntity.DeviceID=\"USB\\\\VID_1A86"), "USB\\VID_1A86");
}

TEST_F(PortResolution, NoAcceptedKeyGivesTheParallelPort) {
  EXPECT_EQ(Resolve(), "lpt1:");  // no interface class key at all
  AddInterface("USB\\VID_1A86&PID_600E\\A", 1);
  EXPECT_EQ(Resolve(), "lpt1:");  // no usbprint Enum value names it
  EXPECT_EQ(state.enumReadFailed, omblet::kEnumReadFailedMark);
  SetEnum("0", "");
  EXPECT_EQ(Resolve(), "lpt1:");  // an empty value names nothing
}

TEST_F(PortResolution, ReadUsbprintEnumTurnsBackslashesIntoHashesAndMarksFailures) {
  SetEnum("0", "USB\\VID_1A86&PID_600E\\5&1");
  EXPECT_EQ(resolver.ReadUsbprintEnum("0"), "USB#VID_1A86&PID_600E#5&1");
  EXPECT_EQ(state.enumReadFailed, 0);
  EXPECT_EQ(resolver.ReadUsbprintEnum("1"), "");
  EXPECT_EQ(state.enumReadFailed, 88888);
}

TEST_F(PortResolution, ReadPortNumberUsesTheBytesTheRegistryReturns) {
  std::string key = InterfaceKeyOf("USB\\VID_1A86&PID_600E\\A");
  registry.SetRaw(PortNumberKeyOf(key), "Port Number", {platform::RegistryType::Binary, {0x05, 0x01}});
  EXPECT_EQ(resolver.ReadPortNumber(key), 261u);
  registry.SetRaw(PortNumberKeyOf(key), "Port Number", {platform::RegistryType::Dword, {}});
  EXPECT_EQ(resolver.ReadPortNumber(key), std::nullopt);
  EXPECT_EQ(resolver.ReadPortNumber("##?#missing"), std::nullopt);
}

TEST_F(PortResolution, ListingCutsNamesAtNulAndStopsAfterTenThousand) {
  registry.AddKey(kClassKey + "\\" + std::string("##?#USB#VID_1A86&PID_1\0junk", 27));
  resolver.ListPrinterInterfaceKeys();
  EXPECT_EQ(state.interfaceKeyNames, std::vector<std::string>{"##?#USB#VID_1A86&PID_1"});

  for (int i = 0; i < 10005; ++i) registry.AddKey(kClassKey + "\\k" + std::to_string(i));
  resolver.ListPrinterInterfaceKeys();
  ASSERT_EQ(state.interfaceKeyNames.size(), 10000u);
  EXPECT_EQ(state.interfaceKeyNames.back(), "k9998");
}

}  // namespace
