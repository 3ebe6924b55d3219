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

  platform::WriteOutcome Write(std::span<const uint8_t> bytes, std::chrono::milliseconds limit) override {
    endpoint_.writeLimits.push_back(limit);
    if (endpoint_.duringWrite) endpoint_.duringWrite();
    if (endpoint_.stalled) return {platform::WriteOutcome::TimedOut, 0};
    if (endpoint_.takenBeforeTimeout && *endpoint_.takenBeforeTimeout < bytes.size()) {
      endpoint_.writes.emplace_back(bytes.begin(), bytes.begin() + *endpoint_.takenBeforeTimeout);
      return {platform::WriteOutcome::TimedOut, *endpoint_.takenBeforeTimeout};
    }
    endpoint_.writes.emplace_back(bytes.begin(), bytes.end());
    if (endpoint_.failWrites) return {platform::WriteOutcome::Failed, 0};
    if (endpoint_.writeResult) return {platform::WriteOutcome::Written, *endpoint_.writeResult};
    return {platform::WriteOutcome::Written, static_cast<uint32_t>(bytes.size())};
  }

  bool StartRead(size_t length) override {
    if (mode_ != platform::OpenMode::Overlapped) return false;
    if (state_ == platform::ReadState::Pending) CancelRead();
    ++endpoint_.readsStarted;
    length_ = length;
    received_.clear();
    state_ = platform::ReadState::Pending;
    return true;
  }

  platform::ReadProgress CheckRead(std::chrono::milliseconds wait = std::chrono::milliseconds{0}) override {
    if (state_ == platform::ReadState::Idle) return {state_, {}};
    ++endpoint_.checks;
    endpoint_.checkWaits.push_back(wait);
    endpoint_.waited += wait;
    if (state_ == platform::ReadState::Pending) Advance();
    platform::ReadProgress progress{state_, received_};
    if (state_ == platform::ReadState::Pending) progress.bytes = Arrived();
    return progress;
  }

  // A cancelled read keeps what had arrived of it, as a serial line's read does.
  void Abort() override { ++endpoint_.aborts; }

  void CancelRead() override {
    if (state_ != platform::ReadState::Pending) return;
    ++endpoint_.cancels;
    received_ = Take(Arrived().size());
    state_ = platform::ReadState::Failed;
  }

 private:
  // A scripted transfer ends the read as it is; without one, the serial line ends it once it holds enough.
  void Advance() {
    if (!endpoint_.transfers.empty()) {
      FakeTransfer& next = endpoint_.transfers.front();
      if (next.afterChecks > 0) {
        --next.afterChecks;
        return;
      }
      if (endpoint_.waited < next.afterWaiting) return;
      if (next.error) {
        state_ = platform::ReadState::Failed;
      } else {
        // A transfer longer than the read loses its tail: the read has no room for it.
        next.bytes.resize(std::min(next.bytes.size(), length_));
        received_ = std::move(next.bytes);
        state_ = platform::ReadState::Complete;
      }
      endpoint_.transfers.pop_front();
      return;
    }
    if (endpoint_.reply.size() >= length_) {
      received_ = Take(length_);
      state_ = platform::ReadState::Complete;
    }
  }

  std::vector<uint8_t> Arrived() const {
    return {endpoint_.reply.begin(), endpoint_.reply.begin() + static_cast<long>(std::min(length_, endpoint_.reply.size()))};
  }

  std::vector<uint8_t> Take(size_t count) {
    std::vector<uint8_t> taken(endpoint_.reply.begin(), endpoint_.reply.begin() + static_cast<long>(count));
    endpoint_.reply.erase(endpoint_.reply.begin(), endpoint_.reply.begin() + static_cast<long>(count));
    return taken;
  }

  FakeEndpoint& endpoint_;
  platform::OpenMode mode_;
  platform::ReadState state_ = platform::ReadState::Idle;
  size_t length_ = 0;
  std::vector<uint8_t> received_;  // what the ended read holds
};

}  // namespace

std::unique_ptr<platform::DeviceFile> FakeDeviceFiles::Open(std::string_view path, platform::OpenMode mode) {
  openLog.emplace_back(std::string(path), mode);
  auto it = endpoints_.find(std::string(path));
  if (it == endpoints_.end() || !it->second.openable) return nullptr;
  FakeEndpoint& endpoint = it->second;
  if (endpoint.opensLeft) {
    if (*endpoint.opensLeft == 0) return nullptr;
    --*endpoint.opensLeft;
  }
  return std::make_unique<FakeDeviceFile>(endpoint, mode);
}

}  // namespace fakes
