#include "platform/linux/libusb_printer_bus.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <deque>
#include <fstream>

namespace linux_platform {
namespace {

namespace fs = std::filesystem;

constexpr uint8_t kPrinterClass = 7;

// A printer that takes no data for this long is not going to: give up rather than hang the script.
constexpr std::chrono::milliseconds kDefaultWriteLimit{30000};

// Bytes left over from earlier exchanges are few; a device that keeps sending is not drained forever.
constexpr int kMostDiscardedReads = 16;
constexpr unsigned kDiscardWaitMs = 1;

std::optional<unsigned> Digits(std::string_view text) {
  unsigned value = 0;
  if (text.empty()) return std::nullopt;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::string> ReadAttribute(const fs::path& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::string line;
  std::getline(file, line);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.pop_back();
  return line;
}

platform::OpenFailure::Kind KindOf(int error) {
  switch (error) {
    case LIBUSB_ERROR_ACCESS:
      return platform::OpenFailure::AccessDenied;
    case LIBUSB_ERROR_NO_DEVICE:
    case LIBUSB_ERROR_NOT_FOUND:
      return platform::OpenFailure::NotFound;
    case LIBUSB_ERROR_BUSY:
      return platform::OpenFailure::Busy;
    default:
      return platform::OpenFailure::Other;
  }
}

std::unique_ptr<platform::PrinterConnection> Failed(platform::OpenFailure& failure, platform::OpenFailure::Kind kind,
                                                    std::string detail) {
  failure = platform::OpenFailure{kind, std::move(detail)};
  return nullptr;
}

// The printer interface's setting with a bulk endpoint each way.
struct PrinterEndpoints {
  int interface = -1;
  int alternate = 0;
  unsigned char out = 0, in = 0;
  int inPacket = 64;
};

std::optional<PrinterEndpoints> FindPrinterEndpoints(const libusb_config_descriptor& config) {
  for (int i = 0; i < config.bNumInterfaces; ++i) {
    const libusb_interface& interface = config.interface[i];
    for (int a = 0; a < interface.num_altsetting; ++a) {
      const libusb_interface_descriptor& setting = interface.altsetting[a];
      if (setting.bInterfaceClass != kPrinterClass) continue;
      PrinterEndpoints found;
      found.interface = setting.bInterfaceNumber;
      found.alternate = setting.bAlternateSetting;
      for (int e = 0; e < setting.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& endpoint = setting.endpoint[e];
        if ((endpoint.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK) continue;
        if (endpoint.bEndpointAddress & LIBUSB_ENDPOINT_IN) {
          if (!found.in) {
            found.in = endpoint.bEndpointAddress;
            if (endpoint.wMaxPacketSize > 0) found.inPacket = endpoint.wMaxPacketSize & 0x7FF;
          }
        } else if (!found.out) {
          found.out = endpoint.bEndpointAddress;
        }
      }
      if (found.in && found.out) return found;
    }
  }
  return std::nullopt;
}

bool HasPrinterInterface(const libusb_config_descriptor& config) {
  for (int i = 0; i < config.bNumInterfaces; ++i) {
    for (int a = 0; a < config.interface[i].num_altsetting; ++a) {
      if (config.interface[i].altsetting[a].bInterfaceClass == kPrinterClass) return true;
    }
  }
  return false;
}

LibusbConfig ConfigOf(libusb_device* device) {
  libusb_config_descriptor* config = nullptr;
  if (libusb_get_active_config_descriptor(device, &config) != 0 || !config) {
    config = nullptr;
    if (libusb_get_config_descriptor(device, 0, &config) != 0) config = nullptr;
  }
  return LibusbConfig(config);
}

class LibusbPrinterConnection : public platform::PrinterConnection {
 public:
  LibusbPrinterConnection(LibusbHandle handle, ClaimedInterface claim, PrinterEndpoints endpoints, platform::UsbIds ids)
      : handle_(std::move(handle)), claim_(std::move(claim)), endpoints_(endpoints), ids_(ids) {}

  ~LibusbPrinterConnection() override {
    claim_.Reset();  // before the handle closes: the kernel's driver gets the interface back
  }

  // In pieces, so that the time limit is how long the printer may take no data, not how long a big job may take.
  platform::WriteResult Write(std::span<const uint8_t> bytes) override {
    platform::WriteResult result{platform::WriteResult::Complete, 0};
    while (result.taken < bytes.size()) {
      const size_t piece = std::min(platform::kWritePiece, bytes.size() - result.taken);
      int transferred = 0;
      // Synchronous: it returns once the printer has taken every byte, or the time is up.
      const int status =
          libusb_bulk_transfer(handle_.Get(), endpoints_.out, const_cast<uint8_t*>(bytes.data() + result.taken),
                               static_cast<int>(piece), &transferred, TimeoutMs(writeLimit_));
      result.taken += static_cast<size_t>(std::max(transferred, 0));
      if (status == LIBUSB_ERROR_PIPE) libusb_clear_halt(handle_.Get(), endpoints_.out);
      Note(status);
      // The printer took part of the piece before the time was up: it is slow, not stopped.
      if (status == LIBUSB_ERROR_TIMEOUT && transferred > 0) continue;
      if (status == LIBUSB_ERROR_TIMEOUT) result.ending = platform::WriteResult::TimedOut;
      else if (status != 0 || static_cast<size_t>(transferred) != piece) result.ending = platform::WriteResult::Failed;
      if (result.ending != platform::WriteResult::Complete) return result;
    }
    return result;
  }

  platform::ReadResult Read(size_t maxBytes, std::chrono::milliseconds timeout) override {
    platform::ReadResult result;
    if (pending_.empty()) {
      // Whole packets only: a shorter request would overflow when the printer sends a full one.
      std::vector<uint8_t> buffer(static_cast<size_t>(endpoints_.inPacket));
      int transferred = 0;
      const int status = libusb_bulk_transfer(handle_.Get(), endpoints_.in, buffer.data(),
                                              static_cast<int>(buffer.size()), &transferred, TimeoutMs(timeout));
      pending_.insert(pending_.end(), buffer.begin(), buffer.begin() + (transferred > 0 ? transferred : 0));
      Note(status);
      if (status != 0 && status != LIBUSB_ERROR_TIMEOUT) {
        if (status == LIBUSB_ERROR_PIPE) libusb_clear_halt(handle_.Get(), endpoints_.in);
        result.failed = true;
      }
    }
    const size_t count = std::min(maxBytes, pending_.size());
    result.bytes.assign(pending_.begin(), pending_.begin() + static_cast<long>(count));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(count));
    return result;
  }

  void DiscardPending() override {
    pending_.clear();
    uint8_t buffer[512];
    const int length = std::min(static_cast<int>(sizeof(buffer)), endpoints_.inPacket);
    for (int i = 0; i < kMostDiscardedReads; ++i) {
      int transferred = 0;
      const int status = libusb_bulk_transfer(handle_.Get(), endpoints_.in, buffer, length, &transferred,
                                              kDiscardWaitMs);
      Note(status);
      if (status != 0 || transferred == 0) return;
    }
  }

  bool Unplugged() override {
    // Between transfers (set's wait) the device is asked for its configuration: libusb reads it from sysfs, or asks
    // the device; either fails with "no device" once it is gone.
    int configuration = 0;
    if (!unplugged_) Note(libusb_get_configuration(handle_.Get(), &configuration));
    return unplugged_;
  }

  std::optional<platform::UsbIds> DriverUsbIds() override { return ids_; }

  void LimitWrites(std::chrono::milliseconds limit) override { writeLimit_ = limit; }

 private:
  void Note(int status) {
    if (status == LIBUSB_ERROR_NO_DEVICE) unplugged_ = true;
  }

  // libusb takes 0 as "no limit": the shortest wait it can give is 1 ms.
  static unsigned TimeoutMs(std::chrono::milliseconds time) {
    return time.count() < 1 ? 1u : static_cast<unsigned>(std::min<long long>(time.count(), 0x7FFFFFFF));
  }

  LibusbHandle handle_;
  ClaimedInterface claim_;
  PrinterEndpoints endpoints_;
  platform::UsbIds ids_;
  std::deque<uint8_t> pending_;
  std::chrono::milliseconds writeLimit_ = kDefaultWriteLimit;
  bool unplugged_ = false;
};

}  // namespace

std::optional<BusAddress> UsbNodeAddress(std::string_view path) {
  constexpr std::string_view prefix = "/dev/bus/usb/";
  if (!path.starts_with(prefix)) return std::nullopt;
  std::string_view rest = path.substr(prefix.size());
  const size_t slash = rest.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  auto bus = Digits(rest.substr(0, slash));
  auto address = Digits(rest.substr(slash + 1));
  if (!bus || !address || *bus == 0 || *address == 0 || *bus > 999 || *address > 999) return std::nullopt;
  return BusAddress{*bus, *address};
}

std::optional<unsigned> PrinterDriverNode(std::string_view path) {
  constexpr std::string_view prefix = "/dev/usb/lp";
  if (!path.starts_with(prefix)) return std::nullopt;
  return Digits(path.substr(prefix.size()));
}

std::string LocationName(unsigned bus, const std::vector<unsigned>& ports) {
  std::string name = std::to_string(bus);
  for (size_t i = 0; i < ports.size(); ++i) name += (i == 0 ? "-" : ".") + std::to_string(ports[i]);
  return name;
}

std::vector<std::string> PrinterDriverNodes(const fs::path& sysRoot, const std::string& location) {
  std::vector<std::string> nodes;
  std::error_code error;
  // The device's interfaces are the folders 1-1.4:1.0 and so on; the driver's node is usbmisc/lpN in one.
  for (const fs::directory_entry& interface : fs::directory_iterator(sysRoot / "bus/usb/devices" / location, error)) {
    if (!interface.path().filename().string().starts_with(location + ":")) continue;
    std::error_code inner;
    for (const fs::directory_entry& node : fs::directory_iterator(interface.path() / "usbmisc", inner)) {
      const std::string name = node.path().filename().string();
      if (PrinterDriverNode("/dev/usb/" + name)) nodes.push_back("/dev/usb/" + name);
    }
  }
  std::sort(nodes.begin(), nodes.end());
  return nodes;
}

LibusbPrinterBus::LibusbPrinterBus(fs::path sysRoot, DeviceRefusal refusal, platform::PrintJobGate* jobs)
    : sysRoot_(std::move(sysRoot)), refusal_(std::move(refusal)), jobs_(jobs) {
  libusb_context* context = nullptr;
  const int result = libusb_init(&context);
  if (result != 0) {
    // Its own reason is often just "Other error": say what it needs, which a sandboxed service may lack.
    initError_ = std::string("libusb could not start: ") + libusb_strerror(result) +
                 " (it needs /dev/bus/usb and a netlink socket for its device monitor: a service's sandbox, such as "
                 "PrivateDevices= or RestrictAddressFamilies= without AF_NETLINK, may keep them from it)";
    return;
  }
  context_ = LibusbContext(context);
}

std::vector<platform::UsbDeviceRecord> LibusbPrinterBus::Devices() {
  std::vector<platform::UsbDeviceRecord> records;
  listingFailure_ = initError_;
  if (!context_) return records;
  LibusbDeviceList list(context_.Get());
  if (list.Error() != 0) {
    listingFailure_ = std::string("libusb could not list the USB devices: ") + libusb_strerror(list.Error());
    return records;
  }
  for (libusb_device* device : list) {
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) != 0) continue;
    uint8_t portNumbers[8];
    const int depth = libusb_get_port_numbers(device, portNumbers, sizeof(portNumbers));
    if (depth <= 0) continue;  // a root hub
    platform::UsbDeviceRecord record;
    const unsigned bus = libusb_get_bus_number(device);
    char node[32];
    std::snprintf(node, sizeof(node), "/dev/bus/usb/%03u/%03u", bus, static_cast<unsigned>(libusb_get_device_address(device)));
    record.node = node;
    record.location = LocationName(bus, std::vector<unsigned>(portNumbers, portNumbers + depth));
    record.vendor = descriptor.idVendor;
    record.product = descriptor.idProduct;
    if (LibusbConfig config = ConfigOf(device)) record.printerInterface = HasPrinterInterface(*config.Get());
    // The serial as the kernel read it at plug-in: no need to open the device (or to be allowed to).
    record.serial = ReadAttribute(sysRoot_ / "bus" / "usb" / "devices" / record.location / "serial").value_or("");
    records.push_back(std::move(record));
  }
  return records;
}

std::unique_ptr<platform::PrinterConnection> LibusbPrinterBus::Open(std::string_view path,
                                                                    platform::OpenFailure& failure) {
  std::optional<BusAddress> wanted = UsbNodeAddress(path);
  if (!wanted) {
    if (std::optional<unsigned> lp = PrinterDriverNode(path)) {
      // The printer driver's node: its USB device is the parent of the interface it is bound to.
      const fs::path node = sysRoot_ / "class" / "usbmisc" / ("lp" + std::to_string(*lp));
      std::error_code error;
      const fs::path interface = fs::canonical(node / "device", error);
      if (error) return Failed(failure, platform::OpenFailure::NotFound, "no USB printer has this node");
      auto bus = Digits(ReadAttribute(interface.parent_path() / "busnum").value_or(""));
      auto address = Digits(ReadAttribute(interface.parent_path() / "devnum").value_or(""));
      if (!bus || !address) return Failed(failure, platform::OpenFailure::NotFound, "no USB printer has this node");
      wanted = BusAddress{*bus, *address};
    } else {
      return Failed(failure, platform::OpenFailure::NotADevice,
                    "not a USB device node (/dev/bus/usb/BBB/DDD) or a USB printer node (/dev/usb/lpN)");
    }
  }
  if (!context_) return Failed(failure, platform::OpenFailure::Other, initError_);

  LibusbDevice device;
  {
    LibusbDeviceList list(context_.Get());
    if (list.Error() != 0) {
      return Failed(failure, platform::OpenFailure::Other,
                    std::string("libusb could not list the USB devices: ") + libusb_strerror(list.Error()));
    }
    for (libusb_device* candidate : list) {
      if (libusb_get_bus_number(candidate) == wanted->bus && libusb_get_device_address(candidate) == wanted->address) {
        device = LibusbDevice(libusb_ref_device(candidate));
        break;
      }
    }
  }
  if (!device) return Failed(failure, platform::OpenFailure::NotFound, "no such USB device");
  libusb_device_descriptor descriptor{};
  libusb_get_device_descriptor(device.Get(), &descriptor);
  LibusbConfig config = ConfigOf(device.Get());
  // Before the device is opened, let alone its driver detached: another maker's printer is left alone.
  platform::UsbDeviceRecord record;
  record.node = std::string(path);
  record.vendor = descriptor.idVendor;
  record.product = descriptor.idProduct;
  record.printerInterface = config && HasPrinterInterface(*config.Get());
  if (std::string refused = refusal_ ? refusal_(record) : std::string(); !refused.empty()) {
    return Failed(failure, platform::OpenFailure::NotADevice, refused);
  }
  std::optional<PrinterEndpoints> endpoints = config ? FindPrinterEndpoints(*config.Get()) : std::nullopt;
  if (!endpoints) return Failed(failure, platform::OpenFailure::NotADevice, "this USB device has no printer interface");

  // Detaching the kernel's printer driver would break off a job printing through its node: look first, and keep
  // jobs from starting until our claim is in.
  std::unique_ptr<platform::PrintJobGate::Hold> jobsKeptOut;
  if (jobs_) {
    uint8_t ports[8];
    const int depth = libusb_get_port_numbers(device.Get(), ports, sizeof(ports));
    if (depth > 0) {
      const std::string location =
          LocationName(libusb_get_bus_number(device.Get()), std::vector<unsigned>(ports, ports + depth));
      const std::string busyNode = jobs_->JobUsing(PrinterDriverNodes(sysRoot_, location), jobsKeptOut);
      if (!busyNode.empty()) {
        return Failed(failure, platform::OpenFailure::Busy, "a print job has " + busyNode + " open");
      }
    }
  }

  libusb_device_handle* raw = nullptr;
  if (int result = libusb_open(device.Get(), &raw); result != 0) {
    return Failed(failure, KindOf(result), libusb_strerror(result));
  }
  LibusbHandle handle(raw);
  // The kernel's printer driver lets go of the interface while we hold it and gets it back when we let go.
  libusb_set_auto_detach_kernel_driver(handle.Get(), 1);
  if (int result = libusb_claim_interface(handle.Get(), endpoints->interface); result != 0) {
    return Failed(failure, KindOf(result), libusb_strerror(result));
  }
  ClaimedInterface claim(handle.Get(), endpoints->interface);
  if (endpoints->alternate != 0) {
    if (int result = libusb_set_interface_alt_setting(handle.Get(), endpoints->interface, endpoints->alternate);
        result != 0) {
      return Failed(failure, KindOf(result), libusb_strerror(result));
    }
  }
  return std::make_unique<LibusbPrinterConnection>(std::move(handle), std::move(claim), *endpoints,
                                                   platform::UsbIds{descriptor.idVendor, descriptor.idProduct});
}

}  // namespace linux_platform
