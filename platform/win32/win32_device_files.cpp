#include "platform/win32/win32_device_files.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/unique_handles.h"

namespace win32 {
namespace {

class Win32DeviceFile : public platform::DeviceFile {
 public:
  Win32DeviceFile(UniqueFile file, platform::OpenMode mode, UniqueKernelHandle abort)
      : file_(std::move(file)), mode_(mode), abort_(std::move(abort)) {}
  ~Win32DeviceFile() override { CancelRead(); }
  Win32DeviceFile(const Win32DeviceFile&) = delete;
  Win32DeviceFile& operator=(const Win32DeviceFile&) = delete;

  // Every handle is opened for overlapped I/O, so that a write can be given up: a synchronous write to a printer
  // that takes no data would never return.
  platform::WriteOutcome Write(std::span<const uint8_t> bytes, std::chrono::milliseconds limit) override {
    if (Aborted()) return {platform::WriteOutcome::Failed, 0};
    UniqueKernelHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) return {platform::WriteOutcome::Failed, 0};
    OVERLAPPED overlapped{};
    overlapped.hEvent = done.Get();
    DWORD written = 0;
    if (!::WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &overlapped) &&
        ::GetLastError() != ERROR_IO_PENDING) {
      return {platform::WriteOutcome::Failed, 0};
    }
    const DWORD wait = static_cast<DWORD>(std::max<long long>(0, limit.count()));
    const HANDLE ends[] = {done.Get(), abort_.Get()};
    if (::WaitForMultipleObjects(2, ends, FALSE, wait) != WAIT_OBJECT_0) {
      ::CancelIoEx(file_.Get(), &overlapped);
      // The bytes and the record stay in use until the system has ended the write, cancelled or not.
      if (::GetOverlappedResult(file_.Get(), &overlapped, &written, TRUE)) {
        return {platform::WriteOutcome::Written, written};  // it ended just before the cancel
      }
      return {platform::WriteOutcome::TimedOut, written};
    }
    if (!::GetOverlappedResult(file_.Get(), &overlapped, &written, FALSE)) return {platform::WriteOutcome::Failed, 0};
    return {platform::WriteOutcome::Written, written};
  }

  bool StartRead(size_t length) override {
    if (mode_ != platform::OpenMode::Overlapped) return false;
    CancelRead();
    if (Aborted()) {
      state_ = platform::ReadState::Failed;
      return false;
    }
    buffer_.assign(length, 0);
    overlapped_ = OVERLAPPED{};
    received_ = 0;  // a read that fails at once holds nothing, whatever the one before it held
    DWORD received = 0;
    if (::ReadFile(file_.Get(), buffer_.data(), static_cast<DWORD>(length), &received, &overlapped_)) {
      state_ = platform::ReadState::Complete;
      received_ = received;
      return true;
    }
    if (::GetLastError() != ERROR_IO_PENDING) {
      state_ = platform::ReadState::Failed;
      return false;
    }
    state_ = platform::ReadState::Pending;
    return true;
  }

  platform::ReadProgress CheckRead(std::chrono::milliseconds wait) override {
    if (state_ == platform::ReadState::Pending && Aborted()) CancelRead();
    if (state_ == platform::ReadState::Pending) {
      // Even a zero wait gives the system the chance to finish a read whose bytes are there: under Wine an
      // overlapped read of a serial-type device completes only while the thread enters the system, so looks that
      // never do would not see a read posted within the same burst of looks complete.
      ::WaitForSingleObject(file_.Get(), static_cast<DWORD>(std::max<long long>(0, wait.count())));
      DWORD received = 0;
      if (::GetOverlappedResult(file_.Get(), &overlapped_, &received, FALSE)) {
        state_ = platform::ReadState::Complete;
        received_ = received;
      } else if (::GetLastError() != ERROR_IO_INCOMPLETE) {
        state_ = platform::ReadState::Failed;
        received_ = received;
      }
    }
    platform::ReadProgress progress{state_, {}};
    if (state_ == platform::ReadState::Complete || state_ == platform::ReadState::Failed) {
      progress.bytes.assign(buffer_.begin(), buffer_.begin() + static_cast<long>(received_));
    }
    return progress;
  }

  void Abort() override { ::SetEvent(abort_.Get()); }

  void CancelRead() override {
    if (state_ != platform::ReadState::Pending) return;
    ::CancelIoEx(file_.Get(), &overlapped_);
    DWORD received = 0;
    // Wait until the system has released buffer_ and overlapped_.
    ::GetOverlappedResult(file_.Get(), &overlapped_, &received, TRUE);
    received_ = received;
    state_ = platform::ReadState::Failed;
  }

 private:
  bool Aborted() const { return ::WaitForSingleObject(abort_.Get(), 0) == WAIT_OBJECT_0; }

  UniqueFile file_;
  platform::OpenMode mode_;
  UniqueKernelHandle abort_;  // set by Abort, from any thread
  OVERLAPPED overlapped_{};
  std::vector<uint8_t> buffer_;
  DWORD received_ = 0;
  platform::ReadState state_ = platform::ReadState::Idle;
};

}  // namespace

std::unique_ptr<platform::DeviceFile> Win32DeviceFiles::Open(std::string_view path, platform::OpenMode mode) {
  std::string ansiPath(path);
  SECURITY_ATTRIBUTES security{};  // default security, not inherited
  security.nLength = sizeof(security);
  // Writes are overlapped too, so that each can be bounded in time; only the handles of reads start reads.
  DWORD flags = FILE_FLAG_OVERLAPPED;
  UniqueFile file(::CreateFileA(ansiPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &security, OPEN_EXISTING, flags, nullptr));
  if (!file) return nullptr;
  UniqueKernelHandle abort(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!abort) return nullptr;
  return std::make_unique<Win32DeviceFile>(std::move(file), mode, std::move(abort));
}

}  // namespace win32
