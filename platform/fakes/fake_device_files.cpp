#include "platform/fakes/fake_device_files.h"

#include <algorithm>

namespace fakes {
namespace {

class FakeDeviceFile : public platform::DeviceFile {
 public:
  FakeDeviceFile(FakeEndpoint& endpoint, platform::OpenMode mode) : endpoint_(endpoint), mode_(mode) {
    ++endpoint_.opens;
    ++endpoint_.openHandles;
  }
  // Closing cancels a pending read first, as the interface promises.
  ~FakeDeviceFile() override {
    CancelRead();
    --endpoint_.openHandles;
  }
  FakeDeviceFile(const FakeDeviceFile&) = delete;
  FakeDeviceFile& operator=(const FakeDeviceFile&) = delete;

  std::optional<uint32_t> Write(std::span<const uint8_t> bytes) override {
    endpoint_.writes.emplace_back(bytes.begin(), bytes.end());
    if (endpoint_.failWrites) return std::nullopt;
    if (endpoint_.writeResult) return endpoint_.writeResult;
    return static_cast<uint32_t>(bytes.size());
  }

  bool StartRead(size_t length) override {
    if (mode_ != platform::OpenMode::Overlapped) return false;
    if (state_ == platform::ReadState::Pending) CancelRead();
    ++endpoint_.readsStarted;
    length_ = length;
    state_ = platform::ReadState::Pending;
    return true;
  }

  // Like a serial line with zero timeouts: the read completes only when all requested bytes are there.
  platform::ReadProgress CheckRead() override {
    platform::ReadProgress progress{state_, {}};
    if (state_ == platform::ReadState::Idle) return progress;
    ++endpoint_.checks;
    size_t available = std::min(length_, endpoint_.reply.size());
    progress.bytes.assign(endpoint_.reply.begin(), endpoint_.reply.begin() + static_cast<long>(available));
    if (state_ == platform::ReadState::Pending && available == length_) {
      state_ = platform::ReadState::Complete;
      progress.state = state_;
    }
    return progress;
  }

  void CancelRead() override {
    if (state_ == platform::ReadState::Pending) {
      ++endpoint_.cancels;
      state_ = platform::ReadState::Failed;
    }
  }

 private:
  FakeEndpoint& endpoint_;
  platform::OpenMode mode_;
  platform::ReadState state_ = platform::ReadState::Idle;
  size_t length_ = 0;
};

}  // namespace

std::unique_ptr<platform::DeviceFile> FakeDeviceFiles::Open(std::string_view path, platform::OpenMode mode) {
  openLog.emplace_back(std::string(path), mode);
  auto it = endpoints_.find(std::string(path));
  if (it == endpoints_.end() || !it->second.openable) return nullptr;
  return std::make_unique<FakeDeviceFile>(it->second, mode);
}

}  // namespace fakes
