#include "print_app/sensor_step.h"

#include "cli/frame_exchange.h"
#include "cli/setting_values.h"

namespace print_app {
namespace {

// The job's open connection, lent to the settings session, which would otherwise open the printer itself: the
// printer stays claimed by the job from the sensor step to its last byte.
class LentConnection : public platform::PrinterConnection {
 public:
  explicit LentConnection(platform::PrinterConnection& printer) : printer_(printer) {}
  platform::WriteResult Write(std::span<const uint8_t> bytes) override { return printer_.Write(bytes); }
  platform::ReadResult Read(size_t maxBytes, std::chrono::milliseconds timeout) override {
    return printer_.Read(maxBytes, timeout);
  }
  void DiscardPending() override { printer_.DiscardPending(); }
  std::optional<platform::UsbIds> DriverUsbIds() override { return printer_.DriverUsbIds(); }
  void LimitWrites(std::chrono::milliseconds limit) override { printer_.LimitWrites(limit); }
  bool Unplugged() override { return printer_.Unplugged(); }

 private:
  platform::PrinterConnection& printer_;
};

class LendingDevices : public platform::PrinterDevices {
 public:
  explicit LendingDevices(platform::PrinterConnection& printer) : printer_(printer) {}
  std::unique_ptr<platform::PrinterConnection> Open(std::string_view, platform::OpenFailure&) override {
    return std::make_unique<LentConnection>(printer_);
  }

 private:
  platform::PrinterConnection& printer_;
};

constexpr std::chrono::milliseconds kFrameTimeout{2000};

}  // namespace

std::optional<int> SensorForMediaType(std::string_view mediaType) {
  if (mediaType == kMediaGapLabels) return 0;
  if (mediaType == kMediaMarkLabels) return 1;
  if (mediaType == kMediaContinuous) return 2;
  return std::nullopt;
}

SensorStep FollowMediaType(platform::PrinterConnection& printer, std::string_view printerName,
                           std::string_view mediaType, const ctl::Pause& pause, std::chrono::milliseconds settle) {
  const std::optional<int> wanted = SensorForMediaType(mediaType);
  if (!wanted) return {SensorStep::NotNeeded, {}};
  const std::string name(printerName);
  const std::string sensor(ctl::SensorName(*wanted));

  const ctl::FrameRead read = ctl::ReadParameterFrame(printer, kFrameTimeout);
  if (!read.frame) {
    return {SensorStep::NoAnswer, "could not read the printer's sensor setting (" +
                                    ctl::FrameReadProblem(read, name, kFrameTimeout) +
                                    "); printing with the sensor as it is"};
  }
  const int current = quorvel::SettingsOf(*read.frame).sensorOption;
  if (current == *wanted) return {SensorStep::AlreadySet, "the printer's sensor is already set to " + sensor};

  ctl::SetRequest request;
  request.change.sensorType = *wanted;
  request.settle = settle;
  LendingDevices lent(printer);
  const ctl::SetOutcome set = ctl::SetPrinterSettings(lent, name, request, pause, ctl::HostSystem::Linux);
  if (set.end != ctl::SetEnd::Done) {
    return {SensorStep::Failed, "could not set the printer's sensor to " + sensor + " for media-type " +
                                    std::string(mediaType) + ": " + set.result};
  }
  return {SensorStep::Changed, "set the printer's sensor from " + std::string(ctl::SensorName(current)) + " to " +
                                   sensor + " for media-type " + std::string(mediaType)};
}

}  // namespace print_app
