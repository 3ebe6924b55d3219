// How quorvelctl reaches a printer: the main window's device-file access (Windows), here on its fakes, and the
// device names the Linux layer takes (the transport itself is tested on an emulated USB bus: test_usb_program.py).
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <thread>

#include "cli/device_file_printers.h"
#include "cli/frame_exchange.h"
#include "cli/print_job_check.h"
#include "cli/progress_bar.h"
#include "config_tool/link/device_channel.h"
#include "platform/fakes/fake_device_files.h"
#include "platform/linux/libusb_printer_bus.h"
#include "tools/printer_sim/printer_state.h"

namespace {

using namespace std::chrono_literals;

const std::string kPath = "\\\\?\\USB#VID_1A86&PID_1000#SIM#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";

struct DeviceFiles : ::testing::Test {
  fakes::FakeDeviceFiles files;
  int failuresAsked = 0;
  ctl::DeviceFilePrinters printers{files, [this] {
                                     ++failuresAsked;
                                     return platform::OpenFailure{platform::OpenFailure::Busy, "error 32"};
                                   }};
};

TEST_F(DeviceFiles, WritesOnTheSynchronousHandleAndReadsOnAnOverlappedOne) {
  fakes::FakeEndpoint& endpoint = files.Endpoint(kPath);
  const auto frame = printer_sim::PrinterState().Frame();
  endpoint.reply.assign(frame.begin(), frame.end());
  platform::OpenFailure failure;
  auto connection = printers.Open(kPath, failure);
  ASSERT_TRUE(connection);
  const ctl::FrameRead read = ctl::ReadParameterFrame(*connection, 500ms);
  ASSERT_EQ(read.outcome, ctl::FrameRead::Received);
  EXPECT_EQ(*read.frame, frame);
  ASSERT_EQ(endpoint.writes.size(), 1u);
  EXPECT_EQ(std::string(endpoint.writes[0].begin(), endpoint.writes[0].end()), "RETURN VALUE\r\n");
  // As the main window opens them: the synchronous handle first, the overlapped one after the write.
  ASSERT_EQ(files.openLog.size(), 2u);
  EXPECT_EQ(files.openLog[0].second, platform::OpenMode::Synchronous);
  EXPECT_EQ(files.openLog[1].second, platform::OpenMode::Overlapped);
  connection.reset();
  EXPECT_EQ(endpoint.openHandles, 0);
}

TEST_F(DeviceFiles, AReadThatDoesNotCompleteStaysPostedAndIsCancelledAtTheEnd) {
  fakes::FakeEndpoint& endpoint = files.Endpoint(kPath);
  platform::OpenFailure failure;
  auto connection = printers.Open(kPath, failure);
  EXPECT_TRUE(connection->Read(64, 20ms).bytes.empty());
  EXPECT_TRUE(connection->Read(64, 20ms).bytes.empty());
  EXPECT_EQ(endpoint.readsStarted, 1);
  connection.reset();
  EXPECT_EQ(endpoint.cancels, 1);
  EXPECT_EQ(endpoint.openHandles, 0);
}

// A printer that takes no data must not hold a script forever: the write is bounded like the main window's.
TEST_F(DeviceFiles, AWriteThePrinterDoesNotTakeIsBoundedAndFails) {
  fakes::FakeEndpoint& endpoint = files.Endpoint(kPath);
  endpoint.stalled = true;
  platform::OpenFailure failure;
  auto connection = printers.Open(kPath, failure);
  const uint8_t bytes[] = {1, 2, 3, 4};
  EXPECT_FALSE(connection->Write(bytes));
  ASSERT_EQ(endpoint.writeLimits.size(), 1u);
  EXPECT_EQ(endpoint.writeLimits[0], quorvel::kDeviceWriteLimit);
}

TEST_F(DeviceFiles, AShortWriteAndAnUnopenableDeviceFail) {
  fakes::FakeEndpoint& endpoint = files.Endpoint(kPath);
  endpoint.writeResult = 3u;
  platform::OpenFailure failure;
  auto connection = printers.Open(kPath, failure);
  const uint8_t bytes[] = {1, 2, 3, 4};
  EXPECT_FALSE(connection->Write(bytes));
  EXPECT_FALSE(connection->DriverUsbIds());
  endpoint.openable = false;
  EXPECT_FALSE(printers.Open(kPath, failure));
  EXPECT_EQ(failuresAsked, 1);
  EXPECT_EQ(failure.kind, platform::OpenFailure::Busy);
}

// The names the Linux layer takes for a printer's device and gives its place on the bus.
TEST(UsbNodes, DeviceNodesPrinterDriverNodesAndNothingElse) {
  EXPECT_EQ(linux_platform::UsbNodeAddress("/dev/bus/usb/001/004"), (linux_platform::BusAddress{1, 4}));
  EXPECT_EQ(linux_platform::UsbNodeAddress("/dev/bus/usb/3/127"), (linux_platform::BusAddress{3, 127}));
  for (const char* other : {"/dev/bus/usb/001", "/dev/bus/usb/001/", "/dev/bus/usb/001/004/x", "/dev/bus/usb/a/1",
                            "/dev/bus/usb/000/001", "/dev/bus/usb/001/-4", "/tmp/bus/usb/001/004", "/dev/usb/lp0",
                            "/dev/bus/usb/001/1000", "plain.bin", ""}) {
    EXPECT_FALSE(linux_platform::UsbNodeAddress(other)) << other;
  }
  EXPECT_EQ(linux_platform::PrinterDriverNode("/dev/usb/lp0"), 0u);
  EXPECT_EQ(linux_platform::PrinterDriverNode("/dev/usb/lp12"), 12u);
  for (const char* other : {"/dev/usb/lp", "/dev/usb/lp1x", "/dev/usb/hiddev0", "/dev/lp0", "/tmp/usb/lp0"}) {
    EXPECT_FALSE(linux_platform::PrinterDriverNode(other)) << other;
  }
  EXPECT_EQ(linux_platform::LocationName(1, {1, 4}), "1-1.4");
  EXPECT_EQ(linux_platform::LocationName(2, {3}), "2-3");
}

TEST(ProgressLine, FillsWithTheBytesSent) {
  EXPECT_EQ(ctl::ProgressLine(0, 200, 10), "[..........]   0%  0/200 bytes");
  EXPECT_EQ(ctl::ProgressLine(100, 200, 10), "[#####.....]  50%  100/200 bytes");
  EXPECT_EQ(ctl::ProgressLine(200, 200, 10), "[##########] 100%  200/200 bytes");
  EXPECT_EQ(ctl::ProgressLine(300, 200, 4), "[####] 100%  200/200 bytes");
}

// Before the kernel's printer driver is detached, its node is opened: EBUSY means a print job has it open, and what
// was opened stays open until the driver is detached, so that no job starts in between.
TEST(PrintJobGate, ABusyDriverNodeIsAJobAndTheOthersAreHeldUntilTheClaim) {
  struct Case {
    const char* name;
    std::map<std::string, int> opens;  // node -> handle, or minus the error
    std::string busy;
    std::vector<int> heldUntilLetGo;
  } cases[] = {
      {"no driver node", {}, "", {}},
      {"free", {{"/dev/usb/lp0", 5}}, "", {5}},
      {"a job on the second", {{"/dev/usb/lp0", 5}, {"/dev/usb/lp1", -EBUSY}}, "/dev/usb/lp1", {}},
      {"node gone", {{"/dev/usb/lp0", -ENOENT}}, "", {}},
      {"no access: cannot tell", {{"/dev/usb/lp0", -EACCES}, {"/dev/usb/lp1", 6}}, "", {6}},
  };
  for (const Case& c : cases) {
    std::vector<int> closed;
    ctl::NodeOpenGate gate([&](const std::string& path) { return c.opens.at(path); },
                           [&](int handle) { closed.push_back(handle); });
    std::vector<std::string> nodes;
    for (const auto& [node, result] : c.opens) nodes.push_back(node);
    std::unique_ptr<platform::PrintJobGate::Hold> hold;
    EXPECT_EQ(gate.JobUsing(nodes, hold), c.busy) << c.name;
    if (!c.busy.empty()) {
      EXPECT_FALSE(hold) << c.name;
      EXPECT_EQ(closed, std::vector<int>{5}) << c.name << ": what was opened before the busy node is closed again";
      continue;
    }
    EXPECT_TRUE(closed.empty()) << c.name;
    hold.reset();
    EXPECT_EQ(closed, c.heldUntilLetGo) << c.name;
  }
}

TEST(PrintJobGate, TheDriverNodesAreFoundOnTheDevicesInterfaces) {
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "ctl_driver_nodes";
  std::filesystem::remove_all(root);
  const std::filesystem::path device = root / "bus/usb/devices/1-1.4";
  std::filesystem::create_directories(device / "1-1.4:1.0/usbmisc/lp3");
  std::filesystem::create_directories(device / "1-1.4:1.1/usbmisc/hiddev0");
  std::filesystem::create_directories(device / "power");
  std::filesystem::create_directories(root / "bus/usb/devices/1-1/1-1:1.0/usbmisc/lp0");  // another device
  EXPECT_EQ(linux_platform::PrinterDriverNodes(root, "1-1.4"), std::vector<std::string>{"/dev/usb/lp3"});
  EXPECT_TRUE(linux_platform::PrinterDriverNodes(root, "1-2").empty());
  std::filesystem::remove_all(root);
}

}  // namespace
