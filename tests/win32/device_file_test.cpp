// Win32DeviceFiles against the printer simulator, whose device path the end-to-end runner passes in.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/win32_device_files.h"

namespace {

const uint8_t kReturnValue[] = {'R', 'E', 'T', 'U', 'R', 'N', ' ', 'V', 'A', 'L', 'U', 'E', '\r', '\n'};

platform::ReadProgress WaitForRead(platform::DeviceFile& file, DWORD milliseconds) {
  DWORD start = ::GetTickCount();
  platform::ReadProgress progress = file.CheckRead();
  while (progress.state == platform::ReadState::Pending && ::GetTickCount() - start < milliseconds) {
    ::Sleep(10);
    progress = file.CheckRead();
  }
  return progress;
}

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

TEST(Win32DeviceFiles, AnsweringPrinterSendsItsFrame) {
  std::string path = EnvOrEmpty("PRINTER_DEVICE_PATH");
  if (path.empty()) GTEST_SKIP() << "PRINTER_DEVICE_PATH not set";
  win32::Win32DeviceFiles devices;
  {
    auto writer = devices.Open(path, platform::OpenMode::Synchronous);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(writer->Write(kReturnValue), 14u);
  }
  auto reader = devices.Open(path, platform::OpenMode::Overlapped);
  ASSERT_NE(reader, nullptr);
  ASSERT_TRUE(reader->StartRead(64));
  auto progress = WaitForRead(*reader, 3000);
  ASSERT_EQ(progress.state, platform::ReadState::Complete);
  ASSERT_EQ(progress.bytes.size(), 64u);
  EXPECT_EQ(progress.bytes[0], 0x40);
  EXPECT_EQ(progress.bytes[63], 0x40);
}

TEST(Win32DeviceFiles, SilentPrinterLeavesTheReadPendingUntilCancelled) {
  std::string path = EnvOrEmpty("SILENT_DEVICE_PATH");
  if (path.empty()) GTEST_SKIP() << "SILENT_DEVICE_PATH not set";
  win32::Win32DeviceFiles devices;
  auto reader = devices.Open(path, platform::OpenMode::Overlapped);
  ASSERT_NE(reader, nullptr);
  ASSERT_TRUE(reader->StartRead(64));
  EXPECT_EQ(WaitForRead(*reader, 300).state, platform::ReadState::Pending);
  reader->CancelRead();
  EXPECT_EQ(reader->CheckRead().state, platform::ReadState::Failed);
  ASSERT_TRUE(reader->StartRead(64));  // a new read after a cancelled one
  reader.reset();                      // closing with a read pending must not hang
}

TEST(Win32DeviceFiles, MissingDeviceDoesNotOpen) {
  win32::Win32DeviceFiles devices;
  EXPECT_EQ(devices.Open("\\\\?\\USB#VID_1A86&PID_0000#NONE#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
                         platform::OpenMode::Synchronous),
            nullptr);
}

}  // namespace
