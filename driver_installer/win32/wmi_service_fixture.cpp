// Test build only: Wine's WMI lists no USB devices, so the device texts come from a UTF-8 file, one per line,
// named by %OMBLET_WMI_FIXTURE% or wmi_fixture.txt beside the program. It is read at every query, so a test can
// attach a printer while the program runs; without the file the query fails, as an unreachable WMI does.
#include <windows.h>

#include <string>

#include "driver_installer/win32/wmi_service.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/win32_services.h"

namespace omblet_win32 {
namespace {

constexpr uint64_t kLargestFixture = 64 * 1024 * 1024;

class FixtureWmi : public platform::Wmi {
 public:
  std::optional<std::vector<std::string>> QueryProperty(std::string_view, std::string_view) override {
    platform::FileContents contents = files_.ReadWholeFile(FixturePath(), kLargestFixture);
    if (!contents.ok) return std::nullopt;
    std::vector<std::string> lines;
    std::string line;
    for (uint8_t byte : contents.bytes) {
      if (byte == '\n') {
        if (!line.empty()) lines.push_back(line);
        line.clear();
      } else if (byte != '\r') {
        line += static_cast<char>(byte);
      }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
  }

 private:
  std::string FixturePath() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = ::GetEnvironmentVariableW(L"OMBLET_WMI_FIXTURE", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return win32::WideToUtf8(path);
    return files_.ProgramFolder() + "\\wmi_fixture.txt";
  }
  win32::Win32FileSystem files_;
};

}  // namespace

std::unique_ptr<platform::Wmi> MakeWmiService() { return std::make_unique<FixtureWmi>(); }

}  // namespace omblet_win32
