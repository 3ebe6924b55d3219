// Where quorvelctl finds printers: the usbprint walk of the registry (Windows), the USB bus (Linux), and the
// usbmisc class of sysfs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/registry_printer_source.h"
#include "cli/sysfs_printer_source.h"
#include "cli/usb_printer_source.h"
#include "config_tool/link/usb_printer_walk.h"
#include "platform/fakes/fake_printer_devices.h"
#include "platform/fakes/fake_registry.h"

namespace {

namespace fs = std::filesystem;

const char kEnum[] = "SYSTEM\\CurrentControlSet\\Services\\usbprint\\Enum";
const char kClass[] = "SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
const char kGuid[] = "{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

void Attach(fakes::FakeRegistry& registry, const std::string& index, const std::string& instance,
            std::optional<uint32_t> port) {
  registry.SetString(kEnum, index, instance);
  std::string hashed = instance;
  for (char& c : hashed) c = c == '\\' ? '#' : c;
  if (port) {
    registry.SetDword(std::string(kClass) + "\\##?#" + hashed + "#" + kGuid + "\\#\\Device Parameters", "Port Number",
                      *port);
  }
}

TEST(UsbIdentifiers, TheLastTagOfEachKindWinsInAnyCase) {
  auto ids = quorvel::ScanUsbIdentifiers("usb#vid_1a86&pid_9999&PID_100b#x");
  ASSERT_TRUE(ids);
  EXPECT_EQ(ids->vendor, "1a86");
  EXPECT_EQ(ids->product, "100b");
  EXPECT_FALSE(quorvel::ScanUsbIdentifiers("USB#VID_1A86#NOPRODUCT"));
  EXPECT_FALSE(quorvel::ScanUsbIdentifiers("USB#PID_1000#NOVENDOR"));
  EXPECT_FALSE(quorvel::ScanUsbIdentifiers(""));
}

TEST(UsbprintWalk, SkipsMissingAndNonTextValuesInIndexOrder) {
  fakes::FakeRegistry registry;
  Attach(registry, "2", "USB\\VID_1A86&PID_2000\\CCC", 100);
  Attach(registry, "0", "USB\\VID_1A86&PID_9999\\AAA", 5);
  registry.SetRaw(kEnum, "1", {platform::RegistryType::Dword, {1, 0, 0, 0}});
  Attach(registry, "4", "USB\\VID_1A86&PID_1000\\BEYOND", 7);  // the service records four at most
  const auto found = quorvel::WalkUsbprintEnum(registry);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].instance, "USB#VID_1A86&PID_9999#AAA");
  EXPECT_EQ(found[1].devicePath, std::string("\\\\?\\USB#VID_1A86&PID_2000#CCC#") + kGuid);
  EXPECT_EQ(found[1].interfaceKeyName, std::string("##?#USB#VID_1A86&PID_2000#CCC#") + kGuid);
  EXPECT_EQ(found[1].identifiers->product, "2000");
  EXPECT_EQ(quorvel::PrinterPortOf(registry, found[1].interfaceKeyName), "USB100");
  EXPECT_EQ(quorvel::PrinterPortOf(registry, found[0].interfaceKeyName), "USB005");
  EXPECT_EQ(quorvel::PrinterPortOf(registry, "##?#nothing"), std::nullopt);
}

TEST(UsbprintWalk, SerialIsThePartAfterTheIdentifiers) {
  EXPECT_EQ(quorvel::SerialOf("USB#VID_1A86&PID_1000#SIM0001"), "SIM0001");
  EXPECT_EQ(quorvel::SerialOf("USB#VID_1A86&PID_1000#5&2b1b4a3&0&1"), "5&2b1b4a3&0&1");
  EXPECT_EQ(quorvel::SerialOf("USB#VID_1A86&PID_1000"), "");
}

TEST(RegistrySource, EachPrinterWithItsOwnPortModelAndSerial) {
  fakes::FakeRegistry registry;
  Attach(registry, "0", "usb\\vid_1a86&pid_100b\\LOWER", 12);
  Attach(registry, "1", "USB\\VID_1A86&PID_9999\\UNKNOWN", std::nullopt);
  Attach(registry, "3", "USB\\SOMETHING\\ELSE", 3);
  const auto printers = ctl::RegistryPrinterSource(registry).List();
  ASSERT_EQ(printers.size(), 3u);
  EXPECT_EQ(printers[0].vid, "1A86");
  EXPECT_EQ(printers[0].pid, "100B");
  EXPECT_EQ(printers[0].model, "Vollenby LT-80");
  EXPECT_EQ(printers[0].port, "USB012");
  EXPECT_EQ(printers[0].serial, "LOWER");
  EXPECT_EQ(printers[0].device, std::string("\\\\?\\usb#vid_1a86&pid_100b#LOWER#") + kGuid);
  EXPECT_EQ(printers[1].model, "");
  EXPECT_EQ(printers[1].port, "");  // a Windows printer always has a port field, empty when unreadable
  EXPECT_EQ(printers[2].vid, "");
  EXPECT_EQ(printers[2].port, "USB003");
}

// A sysfs tree laid out as the kernel lays it out: class/usbmisc/lpN links into the device tree, and the
// interface's "device" link one folder below the USB device with its descriptors.
class SysfsTree : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("ctl_sysfs_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "sys/class/usbmisc");
  }
  void TearDown() override { fs::remove_all(root_); }

  static void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
  }

  void AddPrinter(const std::string& name, const std::string& usbPath, std::optional<std::string> vid,
                  std::optional<std::string> pid, std::optional<std::string> serial, bool uevent = true) {
    const fs::path device = root_ / "sys/devices/pci0000:00/usb1" / usbPath;
    const fs::path interface = device / (usbPath + ":1.0");
    const fs::path node = interface / "usbmisc" / name;
    if (vid) Write(device / "idVendor", *vid + "\n");
    if (pid) Write(device / "idProduct", *pid + "\n");
    if (serial) Write(device / "serial", *serial + "\n");
    Write(node / "dev", "180:0\n");
    if (uevent) Write(node / "uevent", "MAJOR=180\nMINOR=0\nDEVNAME=usb/" + name + "\n");
    fs::create_directory_symlink(fs::relative(interface, node), node / "device");
    fs::create_directory_symlink(fs::relative(node, root_ / "sys/class/usbmisc"), root_ / "sys/class/usbmisc" / name);
  }

  std::vector<ctl::AttachedPrinter> List() {
    return ctl::SysfsPrinterSource(root_ / "sys", root_ / "dev", devices_).List();
  }

  fs::path root_;
  fakes::FakePrinterDevices devices_;
};

TEST_F(SysfsTree, ListsEveryLpDeviceInNumberOrderWithItsIdentity) {
  AddPrinter("lp10", "1-4", "1a86", "2000", "TEN");
  AddPrinter("lp2", "1-2", "1A86", "1000", "SIM0001");
  AddPrinter("lp3", "1-3", "04b8", "0202", std::nullopt);
  fs::create_directories(root_ / "sys/class/usbmisc/hiddev0");  // not a printer
  const auto printers = List();
  ASSERT_EQ(printers.size(), 3u);
  EXPECT_EQ(printers[0].device, (root_ / "dev/usb/lp2").string());
  EXPECT_EQ(printers[0].vid, "1A86");
  EXPECT_EQ(printers[0].pid, "1000");
  EXPECT_EQ(printers[0].model, "Vollenby LP-420B");
  EXPECT_EQ(printers[0].serial, "SIM0001");
  EXPECT_FALSE(printers[0].port);
  EXPECT_EQ(printers[1].device, (root_ / "dev/usb/lp3").string());
  EXPECT_EQ(printers[1].vid, "04B8");
  EXPECT_EQ(printers[1].model, "");
  EXPECT_EQ(printers[1].serial, "");
  EXPECT_EQ(printers[2].device, (root_ / "dev/usb/lp10").string());
  EXPECT_EQ(printers[2].model, "KESTRAMO K-108");
}

TEST_F(SysfsTree, WithoutIdentifiersInSysfsTheDriverIsAsked) {
  AddPrinter("lp0", "1-1", std::nullopt, std::nullopt, "X", /*uevent=*/false);
  devices_.At((root_ / "dev/usb/lp0").string()).usbIds = platform::UsbIds{0x1A86, 0x100B};
  const auto printers = List();
  ASSERT_EQ(printers.size(), 1u);
  EXPECT_EQ(printers[0].device, (root_ / "dev/usb/lp0").string());  // the name without a uevent
  EXPECT_EQ(printers[0].vid, "1A86");
  EXPECT_EQ(printers[0].pid, "100B");
  EXPECT_EQ(printers[0].model, "Vollenby LT-80");
}

TEST_F(SysfsTree, GarbledIdentifiersAndAMissingTreeGiveNothingFalse) {
  AddPrinter("lp0", "1-1", "zz86", "10000", std::nullopt);
  auto printers = List();
  ASSERT_EQ(printers.size(), 1u);
  EXPECT_EQ(printers[0].vid, "");  // not four hex digits, and the driver cannot be asked (no device)
  EXPECT_EQ(printers[0].model, "");
  fs::remove_all(root_ / "sys");
  EXPECT_TRUE(List().empty());
}

TEST(SysfsNames, LpNumbersAndDeviceNames) {
  EXPECT_EQ(ctl::LpNumber("lp0"), 0u);
  EXPECT_EQ(ctl::LpNumber("lp12"), 12u);
  EXPECT_FALSE(ctl::LpNumber("lp"));
  EXPECT_FALSE(ctl::LpNumber("lp1a"));
  EXPECT_FALSE(ctl::LpNumber("hiddev0"));
  EXPECT_EQ(ctl::DevNameOf("MAJOR=180\nMINOR=1\nDEVNAME=usb/lp1\n"), "usb/lp1");
  EXPECT_FALSE(ctl::DevNameOf("MAJOR=180\n"));
  EXPECT_FALSE(ctl::DevNameOf("DEVNAME=../../etc/passwd\n"));
  EXPECT_FALSE(ctl::DevNameOf("DEVNAME=/etc/passwd\n"));
}

// The USB bus as libusb shows it: only vendor 1A86's printer-class devices are printers of ours.
struct FixedBus : platform::UsbBus {
  std::vector<platform::UsbDeviceRecord> records;
  std::vector<platform::UsbDeviceRecord> Devices() override { return records; }
};

TEST(UsbSource, OnlyOurVendorsPrintersInNodeOrderWithTheirPlaces) {
  FixedBus bus;
  bus.records = {
      {"/dev/bus/usb/001/007", "1-1.4", 0x1A86, 0x2000, true, "SIM0002"},
      {"/dev/bus/usb/001/003", "1-2", 0x04B8, 0x0202, true, "OTHER"},   // another maker's printer
      {"/dev/bus/usb/001/005", "1-3", 0x1A86, 0x7523, false, ""},       // ours, but a serial adapter
      {"/dev/bus/usb/001/004", "1-1.2", 0x1A86, 0x1000, true, ""},
  };
  const std::vector<ctl::AttachedPrinter> printers = ctl::UsbPrinterSource(bus).List();
  ASSERT_EQ(printers.size(), 2u);
  EXPECT_EQ(printers[0].device, "/dev/bus/usb/001/004");
  EXPECT_EQ(printers[0].location, "1-1.2");
  EXPECT_EQ(printers[0].model, "Vollenby LP-420B");
  EXPECT_EQ(printers[1].device, "/dev/bus/usb/001/007");
  EXPECT_EQ((printers[1].vid + ":" + printers[1].pid), "1A86:2000");
  EXPECT_EQ(printers[1].serial, "SIM0002");
  EXPECT_FALSE(printers[1].port);
}

// A path given by hand is held to discovery's rule, and the refusal names what was found instead.
TEST(UsbSource, APathIsRefusedUnlessItIsOurPrinterAndTheRefusalNamesTheVendor) {
  struct Case {
    uint16_t vendor, product;
    bool printerInterface;
    std::vector<std::string> named;  // empty: it may be opened
  } cases[] = {
      {0x1A86, 0x1000, true, {}},
      {0x04B8, 0x0202, true, {"vendor 04B8", "product 0202", "vendor 1A86"}},
      {0x1A86, 0x7523, false, {"vendor 1A86", "without a printer interface"}},
      {0x0000, 0x0000, false, {"vendor 0000"}},
  };
  for (const Case& c : cases) {
    platform::UsbDeviceRecord record{"/dev/bus/usb/001/004", "1-1", c.vendor, c.product, c.printerInterface, ""};
    const std::string refusal = ctl::NotOurPrinter(record);
    EXPECT_EQ(refusal.empty(), c.named.empty()) << refusal;
    for (const std::string& text : c.named) EXPECT_NE(refusal.find(text), std::string::npos) << refusal;
  }
}

}  // namespace
