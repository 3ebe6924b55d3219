#include "platform/win32/win32_device_files.h"

#include <windows.h>

#include "platform/win32/unique_handles.h"

namespace win32 {
namespace {

class Win32DeviceFile : public platform::DeviceFile {
 public:
  Win32DeviceFile(UniqueFile file, platform::OpenMode mode) : file_(std::move(file)), mode_(mode) {}
  ~Win32DeviceFile() override { CancelRead(); }
  Win32DeviceFile(const Win32DeviceFile&) = delete;
  Win32DeviceFile& operator=(const Win32DeviceFile&) = delete;

  std::optional<uint32_t> Write(std::span<const uint8_t> bytes) override {
    DWORD written = 0;
    if (!::WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      return std::nullopt;
    }
    return written;
  }

  bool StartRead(size_t length) override {
    if (mode_ != platform::OpenMode::Overlapped) return false;
    CancelRead();
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

  platform::ReadProgress CheckRead() override {
    if (state_ == platform::ReadState::Pending) {
      // A zero wait gives the system the chance to finish a read whose bytes are there: under Wine an overlapped
      // read of a serial-type device completes only while the thread enters the system, so looks that never do
      // would not see a read posted within the same burst of looks complete. On Windows it changes nothing.
      ::WaitForSingleObject(file_.Get(), 0);
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
  UniqueFile file_;
  platform::OpenMode mode_;
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
  DWORD flags = mode == platform::OpenMode::Overlapped ? FILE_FLAG_OVERLAPPED : 0;
  UniqueFile file(::CreateFileA(ansiPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &security, OPEN_EXISTING, flags, nullptr));
  if (!file) return nullptr;
  return std::make_unique<Win32DeviceFile>(std::move(file), mode);
}

}  // namespace win32
