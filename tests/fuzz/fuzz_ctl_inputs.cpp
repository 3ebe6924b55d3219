// What quorvelctl reads from outside: a settings profile, a printer's answer bytes, a sysfs uevent.
#include "cli/frame_exchange.h"
#include "cli/frame_report.h"
#include "cli/settings_profile.h"
#include "cli/sysfs_printer_source.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const uint8_t kind = input.Byte();
  const std::string_view rest = input.Rest();
  switch (kind % 3) {
    case 0: {
      // An accepted profile says the same settings when it is saved again and read back.
      const ctl::ParsedProfile profile = ctl::ParseProfile(rest);
      fuzz::Expect(profile.settings.has_value() != !profile.error.empty());
      if (profile.settings) {
        fuzz::Expect(profile.settings->Complete());
        const quorvel::PrinterSettings settings = ctl::Applied(quorvel::PrinterSettings{}, *profile.settings);
        const ctl::ParsedProfile again = ctl::ParseProfile(ctl::ProfileJson(settings, {}).dump());
        fuzz::Expect(again.settings && ctl::Applied(quorvel::PrinterSettings{}, *again.settings) == settings);
      }
      break;
    }
    case 1: {
      // Any bytes from a printer: a frame found is framed, and its report and JSON can be made.
      const auto* bytes = reinterpret_cast<const uint8_t*>(rest.data());
      if (std::optional<size_t> at = ctl::FindFrame({bytes, rest.size()})) {
        fuzz::Expect(*at + 64 <= rest.size() && bytes[*at] == 0x40 && bytes[*at + 63] == 0x40);
        ctl::FrameBytes frame;
        std::copy_n(bytes + *at, frame.size(), frame.begin());
        fuzz::Expect(!ctl::ReportLines(frame, ctl::Language::Chinese).empty());
        fuzz::Expect(ctl::ReportJson(frame, "d").dump().size() > 128);
      }
      break;
    }
    default: {
      // A device name never climbs out of the device folder.
      if (std::optional<std::string> name = ctl::DevNameOf(rest)) {
        fuzz::Expect(!name->empty() && name->front() != '/' && name->find("..") == std::string::npos);
      }
      break;
    }
  }
  return 0;
}
