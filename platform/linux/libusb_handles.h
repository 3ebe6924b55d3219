#pragma once
// Move-only owners of libusb's objects: each is given back exactly once.
#include <libusb.h>

#include <utility>

namespace linux_platform {

template <typename T, void (*Free)(T*)>
class LibusbOwner {
 public:
  LibusbOwner() = default;
  explicit LibusbOwner(T* object) : object_(object) {}
  ~LibusbOwner() { Reset(); }
  LibusbOwner(const LibusbOwner&) = delete;
  LibusbOwner& operator=(const LibusbOwner&) = delete;
  LibusbOwner(LibusbOwner&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  LibusbOwner& operator=(LibusbOwner&& other) noexcept {
    if (this != &other) {
      Reset();
      object_ = std::exchange(other.object_, nullptr);
    }
    return *this;
  }
  T* Get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void Reset() {
    if (object_) Free(object_);
    object_ = nullptr;
  }

 private:
  T* object_ = nullptr;
};

inline void UnrefDevice(libusb_device* device) { libusb_unref_device(device); }
inline void FreeConfig(libusb_config_descriptor* config) { libusb_free_config_descriptor(config); }

using LibusbContext = LibusbOwner<libusb_context, libusb_exit>;
using LibusbDevice = LibusbOwner<libusb_device, UnrefDevice>;
using LibusbHandle = LibusbOwner<libusb_device_handle, libusb_close>;
using LibusbConfig = LibusbOwner<libusb_config_descriptor, FreeConfig>;

// The device list; the devices it holds stay referenced until it goes.
class LibusbDeviceList {
 public:
  explicit LibusbDeviceList(libusb_context* context) {
    const ssize_t count = libusb_get_device_list(context, &list_);
    count_ = count < 0 ? 0 : static_cast<size_t>(count);
    error_ = count < 0 ? static_cast<int>(count) : 0;
  }
  ~LibusbDeviceList() {
    if (list_) libusb_free_device_list(list_, 1);
  }
  LibusbDeviceList(const LibusbDeviceList&) = delete;
  LibusbDeviceList& operator=(const LibusbDeviceList&) = delete;
  libusb_device* const* begin() const { return list_; }
  libusb_device* const* end() const { return list_ ? list_ + count_ : list_; }
  // libusb's error when it could not list the devices; 0 when it could.
  int Error() const { return error_; }

 private:
  libusb_device** list_ = nullptr;
  size_t count_ = 0;
  int error_ = 0;
};

// A claimed interface, released when this goes (libusb then gives it back to the kernel's driver).
class ClaimedInterface {
 public:
  ClaimedInterface() = default;
  ClaimedInterface(libusb_device_handle* handle, int number) : handle_(handle), number_(number) {}
  ~ClaimedInterface() { Reset(); }
  ClaimedInterface(const ClaimedInterface&) = delete;
  ClaimedInterface& operator=(const ClaimedInterface&) = delete;
  ClaimedInterface(ClaimedInterface&& other) noexcept
      : handle_(std::exchange(other.handle_, nullptr)), number_(other.number_) {}
  ClaimedInterface& operator=(ClaimedInterface&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
      number_ = other.number_;
    }
    return *this;
  }
  void Reset() {
    if (handle_) libusb_release_interface(handle_, number_);
    handle_ = nullptr;
  }

 private:
  libusb_device_handle* handle_ = nullptr;
  int number_ = 0;
};

}  // namespace linux_platform
