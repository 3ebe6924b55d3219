#pragma once
// The main window with one identified printer attached and loaded, and the frames that printer may send.
#include <functional>

#include "tests/unit/main_window_fixture.h"

namespace test_support {

inline const std::string kReadInstance = "USB\\VID_1A86&PID_2000\\READ01";
inline const std::string kQuery = "RETURN VALUE\r\n";

// A frame with the extended layout, black mark, internal power and offset "+2 mm"; `edit` changes it further.
inline std::vector<uint8_t> Frame(const std::function<void(std::vector<uint8_t>&)>& edit = {}) {
  std::vector<uint8_t> frame(64, '0');
  frame[0] = frame[63] = '@';
  std::string fields = "151806072000";
  std::copy(fields.begin(), fields.end(), frame.begin() + 1);
  std::string length = "20171106";
  std::copy(length.begin(), length.end(), frame.begin() + 34);
  frame[14] = 1;
  frame[59] = 11;
  frame[57] = '0';  // internal power
  if (edit) edit(frame);
  return frame;
}

struct Reading : ::testing::Test {
  MainWindowFixture f;
  fakes::FakeEndpoint* printer = nullptr;
  void SetUp() override {
    f.AttachPrinter("0", kReadInstance, 1);
    printer = &f.devices.Endpoint(MainWindowFixture::DevicePath(kReadInstance));
    f.mainWindow.Load();
  }
  std::string Written(size_t i) const { return std::string(printer->writes[i].begin(), printer->writes[i].end()); }
};

}  // namespace test_support
