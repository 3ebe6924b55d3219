// The two ways quorvelctl reaches a device file: the main window's device-file access (Windows), here on its
// fakes, and the Linux layer, here on a real pseudo-terminal.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <thread>

#include "cli/device_file_printers.h"
#include "cli/frame_exchange.h"
#include "cli/progress_bar.h"
#include "config_tool/link/device_channel.h"
#include "platform/fakes/fake_device_files.h"
#include "platform/linux/posix_printer_devices.h"
#include "platform/linux/unique_fd.h"
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

// The Linux layer on the slave side of a pseudo-terminal, the test playing the printer on the master side.
struct Pty : ::testing::Test {
  void SetUp() override {
    master = linux_platform::UniqueFd(::posix_openpt(O_RDWR | O_NOCTTY));
    ASSERT_TRUE(master);
    ASSERT_EQ(::grantpt(master.Get()), 0);
    ASSERT_EQ(::unlockpt(master.Get()), 0);
    slave = ::ptsname(master.Get());
    // Raw, so that bytes pass unchanged.
    linux_platform::UniqueFd raw(::open(slave.c_str(), O_RDWR | O_NOCTTY));
    termios settings{};
    ::tcgetattr(raw.Get(), &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(raw.Get(), TCSANOW, &settings);
    keep = std::move(raw);
  }
  std::string FromMaster() {
    char buffer[256];
    ssize_t count = ::read(master.Get(), buffer, sizeof(buffer));
    return count > 0 ? std::string(buffer, static_cast<size_t>(count)) : std::string();
  }
  linux_platform::UniqueFd master, keep;
  std::string slave;
  linux_platform::PosixPrinterDevices devices;
};

TEST_F(Pty, WritesReachThePrinterAndItsAnswerIsRead) {
  platform::OpenFailure failure;
  auto connection = devices.Open(slave, failure);
  ASSERT_TRUE(connection) << failure.detail;
  const uint8_t command[] = {'P', 'T', 'E', 'S', 'T', 'P', 'A', 'G', 'E', '\r', '\n'};
  ASSERT_TRUE(connection->Write(command));
  EXPECT_EQ(FromMaster(), "PTESTPAGE\r\n");
  ASSERT_EQ(::write(master.Get(), "@abc", 4), 4);
  const platform::ReadResult read = connection->Read(64, 1000ms);
  EXPECT_FALSE(read.failed);
  EXPECT_EQ(std::string(read.bytes.begin(), read.bytes.end()), "@abc");
}

TEST_F(Pty, AReadWaitsForBytesThatComeLaterAndEndsEmptyWithoutThem) {
  platform::OpenFailure failure;
  auto connection = devices.Open(slave, failure);
  const platform::ReadResult nothing = connection->Read(64, 20ms);
  EXPECT_TRUE(nothing.bytes.empty());
  EXPECT_FALSE(nothing.failed);
  std::jthread printer([this] {
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(::write(master.Get(), "late", 4), 4);
  });
  const platform::ReadResult later = connection->Read(64, 5000ms);
  EXPECT_EQ(std::string(later.bytes.begin(), later.bytes.end()), "late");
}

TEST_F(Pty, DiscardDropsWhatWasSentBeforeAndThePtyHasNoUsbIds) {
  platform::OpenFailure failure;
  auto connection = devices.Open(slave, failure);
  ASSERT_EQ(::write(master.Get(), "late", 4), 4);
  std::this_thread::sleep_for(20ms);
  connection->DiscardPending();
  EXPECT_TRUE(connection->Read(64, 20ms).bytes.empty());
  EXPECT_FALSE(connection->DriverUsbIds());  // only the USB printer driver answers that ioctl
}

TEST(PosixDevices, OpenFailuresByKind) {
  linux_platform::PosixPrinterDevices devices;
  platform::OpenFailure failure;
  EXPECT_FALSE(devices.Open("/nonexistent/usb/lp0", failure));
  EXPECT_EQ(failure.kind, platform::OpenFailure::NotFound);
  EXPECT_FALSE(failure.detail.empty());
  EXPECT_EQ(linux_platform::OpenFailureKindOf(EACCES), platform::OpenFailure::AccessDenied);
  EXPECT_EQ(linux_platform::OpenFailureKindOf(EPERM), platform::OpenFailure::AccessDenied);
  EXPECT_EQ(linux_platform::OpenFailureKindOf(EBUSY), platform::OpenFailure::Busy);
  EXPECT_EQ(linux_platform::OpenFailureKindOf(ENODEV), platform::OpenFailure::NotFound);
  EXPECT_EQ(linux_platform::OpenFailureKindOf(EIO), platform::OpenFailure::Other);
}

TEST(ProgressLine, FillsWithTheBytesSent) {
  EXPECT_EQ(ctl::ProgressLine(0, 200, 10), "[..........]   0%  0/200 bytes");
  EXPECT_EQ(ctl::ProgressLine(100, 200, 10), "[#####.....]  50%  100/200 bytes");
  EXPECT_EQ(ctl::ProgressLine(200, 200, 10), "[##########] 100%  200/200 bytes");
  EXPECT_EQ(ctl::ProgressLine(300, 200, 4), "[####] 100%  200/200 bytes");
}

}  // namespace
