#include "platform/linux/socket_connection.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace linux_platform {
namespace {

constexpr std::chrono::milliseconds kDefaultWriteLimit{30000};

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// Waits up to `limit` for `events` on `fd`; false when the time ran out or poll failed.
bool WaitFor(int fd, short events, std::chrono::milliseconds limit) {
  pollfd entry{fd, events, 0};
  int ready;
  do {
    ready = ::poll(&entry, 1, static_cast<int>(limit.count()));
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

class SocketConnection : public platform::PrinterConnection {
 public:
  explicit SocketConnection(int fd) : fd_(fd) {}

  platform::WriteResult Write(std::span<const uint8_t> bytes) override {
    platform::WriteResult result{platform::WriteResult::Complete, 0};
    while (result.taken < bytes.size()) {
      if (!WaitFor(fd_.get(), POLLOUT, writeLimit_)) {
        result.ending = platform::WriteResult::TimedOut;
        return result;
      }
      const size_t piece = std::min(platform::kWritePiece, bytes.size() - result.taken);
      const ssize_t sent = ::send(fd_.get(), bytes.data() + result.taken, piece, MSG_NOSIGNAL);
      if (sent < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (sent <= 0) {
        gone_ = true;
        result.ending = platform::WriteResult::Failed;
        return result;
      }
      result.taken += static_cast<size_t>(sent);
    }
    return result;
  }

  platform::ReadResult Read(size_t maxBytes, std::chrono::milliseconds timeout) override {
    platform::ReadResult result;
    if (!WaitFor(fd_.get(), POLLIN, timeout)) return result;
    result.bytes.resize(maxBytes);
    const ssize_t got = ::recv(fd_.get(), result.bytes.data(), maxBytes, 0);
    if (got <= 0) {
      result.bytes.clear();
      // An orderly close by the server is the printer going away, as an unplug is for USB.
      result.failed = !(got < 0 && (errno == EAGAIN || errno == EINTR));
      gone_ = result.failed;
      return result;
    }
    result.bytes.resize(static_cast<size_t>(got));
    return result;
  }

  void DiscardPending() override {
    uint8_t scrap[512];
    for (int i = 0; i < 16 && ::recv(fd_.get(), scrap, sizeof scrap, MSG_DONTWAIT) > 0; ++i) {
    }
  }

  std::optional<platform::UsbIds> DriverUsbIds() override { return std::nullopt; }
  void LimitWrites(std::chrono::milliseconds limit) override { writeLimit_ = limit; }
  bool Unplugged() override { return gone_; }

 private:
  FileDescriptor fd_;
  std::chrono::milliseconds writeLimit_ = kDefaultWriteLimit;
  bool gone_ = false;
};

}  // namespace

std::unique_ptr<platform::PrinterConnection> ConnectSocketPrinter(const std::string& host, const std::string& port,
                                                                  std::chrono::milliseconds connectLimit,
                                                                  platform::OpenFailure& failure) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (const int error = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &found); error != 0) {
    failure = {platform::OpenFailure::NotFound, ::gai_strerror(error)};
    return nullptr;
  }
  std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);
  failure = {platform::OpenFailure::NotFound, "no address"};
  for (const addrinfo* address = found; address; address = address->ai_next) {
    FileDescriptor fd(::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                               address->ai_protocol));
    if (fd.get() < 0) continue;
    if (::connect(fd.get(), address->ai_addr, address->ai_addrlen) != 0 && errno != EINPROGRESS) {
      failure = {errno == ECONNREFUSED ? platform::OpenFailure::Busy : platform::OpenFailure::Other,
                 std::strerror(errno)};
      continue;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (!WaitFor(fd.get(), POLLOUT, connectLimit)) {
      failure = {platform::OpenFailure::Other, "no answer within the connect limit"};
      continue;
    }
    if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
      // A print server refuses its raw port while another job holds it: that is "busy", and worth waiting for.
      failure = {error == ECONNREFUSED ? platform::OpenFailure::Busy : platform::OpenFailure::Other,
                 std::strerror(error)};
      continue;
    }
    return std::make_unique<SocketConnection>(fd.release());
  }
  return nullptr;
}

}  // namespace linux_platform
