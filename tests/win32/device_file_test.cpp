// Win32DeviceFiles against the printer simulator, whose device path the end-to-end runner passes in.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "config_tool/link/device_channel.h"
#include "config_tool/link/parameter_reader.h"
#include "platform/win32/unique_handles.h"
#include "platform/win32/win32_device_files.h"

namespace {

const uint8_t kReturnValue[] = {'R', 'E', 'T', 'U', 'R', 'N', ' ', 'V', 'A', 'L', 'U', 'E', '\r', '\n'};
constexpr std::chrono::milliseconds kLimit{5000};

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
    EXPECT_EQ(writer->Write(kReturnValue, kLimit).written, 14u);
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

// The frame acquisition looks at a read many times without pause and posts it again when it ends without a
// frame. A read posted while the answer already waits in the line must complete within such a burst of looks.
TEST(Win32DeviceFiles, AReadPostedOnAWaitingAnswerCompletesWithinABurstOfLooks) {
  std::string path = EnvOrEmpty("PRINTER_DEVICE_PATH");
  if (path.empty()) GTEST_SKIP() << "PRINTER_DEVICE_PATH not set";
  win32::Win32DeviceFiles devices;
  for (int round = 0; round < 10; ++round) {
    SCOPED_TRACE(round);
    {
      auto writer = devices.Open(path, platform::OpenMode::Synchronous);
      ASSERT_NE(writer, nullptr);
      writer->Write(kReturnValue, kLimit);
    }
    ::Sleep(500);  // the answer is in the line before the read is posted
    auto reader = devices.Open(path, platform::OpenMode::Overlapped);
    ASSERT_NE(reader, nullptr);
    ASSERT_TRUE(reader->StartRead(64));
    int looks = 0;
    while (looks < 1000 && reader->CheckRead().state == platform::ReadState::Pending) ++looks;
    ASSERT_LT(looks, 1000);
    EXPECT_EQ(reader->CheckRead().bytes.size(), 64u);
  }
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

constexpr const char* kPipeName = "\\\\.\\pipe\\quorvel_device_file_test";

// The printer's end of a message-mode pipe: a read on the other end ends at each message, as a read of a USB
// printer ends at each transfer.
win32::UniqueFile MessagePipe() {
  return win32::UniqueFile(::CreateNamedPipeA(kPipeName, PIPE_ACCESS_DUPLEX,
                                              PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 256, 256, 0,
                                              nullptr));
}

void SendMessage(HANDLE pipe, const std::vector<uint8_t>& message) {
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(pipe, message.data(), static_cast<DWORD>(message.size()), &written, nullptr));
  ASSERT_EQ(written, message.size());
}

std::vector<uint8_t> TestFrame() {
  std::vector<uint8_t> frame(64, '0');
  frame[0] = frame[63] = 0x40;
  frame[9] = '7';
  return frame;
}

TEST(Win32DeviceFiles, AShortOrEmptyTransferEndsTheReadAndTheNextReadTakesTheFrame) {
  win32::UniqueFile printer = MessagePipe();
  ASSERT_TRUE(printer);
  win32::Win32DeviceFiles devices;
  auto reader = devices.Open(kPipeName, platform::OpenMode::Overlapped);
  ASSERT_NE(reader, nullptr);

  SendMessage(printer.Get(), {0x12, 0x34, 0x56});  // there before the read is posted
  ASSERT_TRUE(reader->StartRead(64));
  auto progress = WaitForRead(*reader, 3000);
  EXPECT_EQ(progress.state, platform::ReadState::Complete);
  EXPECT_EQ(progress.bytes, (std::vector<uint8_t>{0x12, 0x34, 0x56}));

  ASSERT_TRUE(reader->StartRead(64));
  SendMessage(printer.Get(), {});
  progress = WaitForRead(*reader, 3000);
  EXPECT_EQ(progress.state, platform::ReadState::Complete);
  EXPECT_TRUE(progress.bytes.empty());

  ASSERT_TRUE(reader->StartRead(64));
  EXPECT_EQ(reader->CheckRead().state, platform::ReadState::Pending);
  const std::vector<uint8_t> frame = TestFrame();
  SendMessage(printer.Get(), frame);  // arrives while the read is pending
  progress = WaitForRead(*reader, 3000);
  EXPECT_EQ(progress.state, platform::ReadState::Complete);
  EXPECT_EQ(progress.bytes, frame);

  printer.Reset();
  EXPECT_FALSE(reader->StartRead(64));  // the other end is gone: the read fails at once
  progress = reader->CheckRead();
  EXPECT_EQ(progress.state, platform::ReadState::Failed);
  EXPECT_TRUE(progress.bytes.empty()) << progress.bytes.size() << " bytes";  // nothing of the frame before
}

TEST(Win32DeviceFiles, APendingReadFailsWhenTheOtherEndGoes) {
  win32::UniqueFile printer = MessagePipe();
  ASSERT_TRUE(printer);
  win32::Win32DeviceFiles devices;
  auto reader = devices.Open(kPipeName, platform::OpenMode::Overlapped);
  ASSERT_NE(reader, nullptr);
  ASSERT_TRUE(reader->StartRead(64));
  EXPECT_EQ(reader->CheckRead().state, platform::ReadState::Pending);
  printer.Reset();
  EXPECT_EQ(WaitForRead(*reader, 3000).state, platform::ReadState::Failed);
}

// A frame may come in pieces, after stray bytes, or late: each read of a message-mode pipe ends at a message, as a
// read of a USB printer ends at a transfer, so the main window's collection is shown here on the real system calls.
TEST(DeviceChannelOnWin32, AFrameAfterStrayBytesAndInTwoTransfersIsPutTogether) {
  win32::UniqueFile printer = MessagePipe();
  ASSERT_TRUE(printer);
  win32::Win32DeviceFiles devices;
  auto reply = devices.Open(kPipeName, platform::OpenMode::Overlapped);
  ASSERT_NE(reply, nullptr);
  ASSERT_TRUE(reply->StartRead(quorvel::kFrameSize));
  const std::vector<uint8_t> frame = TestFrame();
  std::vector<uint8_t> first = {0x12, 0x40};
  first.insert(first.end(), frame.begin(), frame.begin() + 30);
  SendMessage(printer.Get(), first);
  SendMessage(printer.Get(), {frame.begin() + 30, frame.end()});
  auto collected = quorvel::DeviceChannel::CollectFrame(*reply, quorvel::kFrameChecks, &std::chrono::steady_clock::now);
  ASSERT_TRUE(collected.has_value());
  EXPECT_TRUE(std::equal(collected->begin(), collected->end(), frame.begin()));
}

TEST(DeviceChannelOnWin32, ALatePieceWithinTheLooksCompletesTheFrame) {
  win32::UniqueFile printer = MessagePipe();
  ASSERT_TRUE(printer);
  win32::Win32DeviceFiles devices;
  auto reply = devices.Open(kPipeName, platform::OpenMode::Overlapped);
  ASSERT_NE(reply, nullptr);
  ASSERT_TRUE(reply->StartRead(quorvel::kFrameSize));
  const std::vector<uint8_t> frame = TestFrame();
  SendMessage(printer.Get(), {frame.begin(), frame.begin() + 40});
  // The looks wait briefly each, about a second in all: a piece 100 ms later is well within them.
  std::thread late([&] {
    ::Sleep(100);
    DWORD written = 0;
    ::WriteFile(printer.Get(), frame.data() + 40, 24, &written, nullptr);
  });
  auto collected = quorvel::DeviceChannel::CollectFrame(*reply, quorvel::kFrameChecks, &std::chrono::steady_clock::now);
  late.join();
  ASSERT_TRUE(collected.has_value());
  EXPECT_TRUE(std::equal(collected->begin(), collected->end(), frame.begin()));
}

// A device that takes no data: a pipe whose other end never reads, once its buffer is full.
struct StalledWrite : ::testing::Test {
  void SetUp() override {
    printer = win32::UniqueFile(
        ::CreateNamedPipeA(kPipeName, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 16, 16, 0, nullptr));
    ASSERT_TRUE(printer);
    writer = devices.Open(kPipeName, platform::OpenMode::Synchronous);
    ASSERT_NE(writer, nullptr);
  }
  win32::UniqueFile printer;
  win32::Win32DeviceFiles devices;
  std::unique_ptr<platform::DeviceFile> writer;
  const std::vector<uint8_t> job = std::vector<uint8_t>(256 * 1024, 'x');  // far more than the pipe holds
};

TEST_F(StalledWrite, IsGivenUpAfterItsLimitAndTheHandleWorksAfterwards) {
  const platform::WriteOutcome outcome = writer->Write(job, std::chrono::milliseconds(1500));
  EXPECT_EQ(outcome.state, platform::WriteOutcome::TimedOut);
  EXPECT_LT(outcome.written, job.size());

  // Once the other end reads, a small write goes through.
  std::thread reader([&] {
    std::vector<char> sink(4096);
    DWORD got = 0;
    while (::ReadFile(printer.Get(), sink.data(), static_cast<DWORD>(sink.size()), &got, nullptr) && got > 0) {
    }
  });
  const platform::WriteOutcome next = writer->Write(kReturnValue, kLimit);
  EXPECT_EQ(next.state, platform::WriteOutcome::Written);
  EXPECT_EQ(next.written, sizeof(kReturnValue));
  writer.reset();
  printer.Reset();  // ends the reader's loop
  reader.join();
}

// The window closes while a write waits: Abort from the window's thread ends the wait long before its limit.
TEST_F(StalledWrite, GivesUpAtOnceWhenAbortedFromAnotherThread) {
  const DWORD start = ::GetTickCount();
  std::thread closer([&] {
    ::Sleep(300);
    writer->Abort();
  });
  const platform::WriteOutcome outcome = writer->Write(job, std::chrono::milliseconds(30000));
  closer.join();
  EXPECT_NE(outcome.state, platform::WriteOutcome::Written);
  EXPECT_LT(::GetTickCount() - start, 10000u) << "the abort did not end the wait";
  EXPECT_EQ(writer->Write(kReturnValue, kLimit).state, platform::WriteOutcome::Failed);  // aborted for good
}

TEST(Win32DeviceFiles, MissingDeviceDoesNotOpen) {
  win32::Win32DeviceFiles devices;
  EXPECT_EQ(devices.Open("\\\\?\\USB#VID_1A86&PID_0000#NONE#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}",
                         platform::OpenMode::Synchronous),
            nullptr);
}

}  // namespace
