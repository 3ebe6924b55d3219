#include "platform/linux/posix_printer_devices.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/linux/unique_fd.h"

namespace linux_platform {
namespace {

using Clock = std::chrono::steady_clock;

// The USB printer driver's own ioctl for the device's identifiers (linux/drivers/usb/class/usblp.c): two ints,
// vendor then product.
constexpr unsigned kGetVidPidNumber = 6;
constexpr unsigned long kGetVidPid = _IOC(_IOC_READ, 'P', kGetVidPidNumber, 2 * sizeof(int));

// A printer that takes no data for this long is not going to: give up rather than hang the script.
constexpr std::chrono::seconds kWriteStallLimit{30};

// Bytes left over from earlier exchanges are few; a device that keeps sending is not drained forever.
constexpr int kMostDiscardedReads = 64;

int MillisecondsLeft(Clock::time_point deadline) {
  // Rounded up: poll must not give up before the time is over.
  auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

class PosixPrinterConnection : public platform::PrinterConnection {
 public:
  explicit PosixPrinterConnection(UniqueFd fd) : fd_(std::move(fd)) {}

  bool Write(std::span<const uint8_t> bytes) override {
    size_t done = 0;
    Clock::time_point stalledUntil = Clock::now() + kWriteStallLimit;
    while (done < bytes.size()) {
      ssize_t written = ::write(fd_.Get(), bytes.data() + done, bytes.size() - done);
      if (written > 0) {
        done += static_cast<size_t>(written);
        stalledUntil = Clock::now() + kWriteStallLimit;
        continue;
      }
      if (written < 0 && errno == EINTR) continue;
      if (written < 0 && errno != EAGAIN) return false;
      pollfd wanted{fd_.Get(), POLLOUT, 0};
      int ready = ::poll(&wanted, 1, MillisecondsLeft(stalledUntil));
      if (ready == 0 || (ready > 0 && (wanted.revents & (POLLERR | POLLHUP | POLLNVAL)))) return false;
    }
    return true;
  }

  platform::ReadResult Read(size_t maxBytes, std::chrono::milliseconds timeout) override {
    platform::ReadResult result;
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
      pollfd wanted{fd_.Get(), POLLIN, 0};
      int ready = ::poll(&wanted, 1, MillisecondsLeft(deadline));
      if (ready < 0 && errno == EINTR) continue;
      if (ready < 0) {
        result.failed = true;
        return result;
      }
      if (ready == 0) return result;  // time is up
      if (wanted.revents & POLLIN) {
        result.bytes.resize(maxBytes);
        ssize_t count = ::read(fd_.Get(), result.bytes.data(), maxBytes);
        if (count > 0) {
          result.bytes.resize(static_cast<size_t>(count));
          return result;
        }
        result.bytes.clear();
        if (count < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        result.failed = true;  // end of file or an error: the device has gone
        return result;
      }
      result.failed = true;  // POLLERR, POLLHUP or POLLNVAL without data
      return result;
    }
  }

  void DiscardPending() override {
    uint8_t buffer[256];
    for (int i = 0; i < kMostDiscardedReads; ++i) {
      pollfd wanted{fd_.Get(), POLLIN, 0};
      if (::poll(&wanted, 1, 0) <= 0 || !(wanted.revents & POLLIN)) return;
      if (::read(fd_.Get(), buffer, sizeof(buffer)) <= 0) return;
    }
  }

  std::optional<platform::UsbIds> DriverUsbIds() override {
    int ids[2] = {0, 0};
    if (::ioctl(fd_.Get(), kGetVidPid, ids) != 0) return std::nullopt;
    return platform::UsbIds{static_cast<uint16_t>(ids[0]), static_cast<uint16_t>(ids[1])};
  }

 private:
  UniqueFd fd_;
};

}  // namespace

platform::OpenFailure::Kind OpenFailureKindOf(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
      return platform::OpenFailure::NotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return platform::OpenFailure::AccessDenied;
    case EBUSY:
      return platform::OpenFailure::Busy;
    default:
      return platform::OpenFailure::Other;
  }
}

std::unique_ptr<platform::PrinterConnection> PosixPrinterDevices::Open(std::string_view path,
                                                                       platform::OpenFailure& failure) {
  // Non-blocking, so that a printer that stops taking data cannot hang a write; no controlling terminal.
  UniqueFd fd(::open(std::string(path).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    const int error = errno;
    failure = platform::OpenFailure{OpenFailureKindOf(error), std::strerror(error)};
    return nullptr;
  }
  return std::make_unique<PosixPrinterConnection>(std::move(fd));
}

}  // namespace linux_platform
