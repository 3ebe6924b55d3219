#pragma once
// A settings profile: the ten settable settings of a printer as a JSON file, plus, for information only, which
// printer they were saved from.
#include <optional>
#include <string>
#include <string_view>

#include "cli/json.h"
#include "cli/setting_values.h"

namespace ctl {

inline constexpr std::string_view kProfileFormat = "quorvelctl-profile";
inline constexpr int kProfileVersion = 1;

struct ProfileSource {
  std::string device, model, productId, firmwareVersion, firmwareDate;
  bool extendedLayout = false;  // without it the printer did not report front sensor, power and head protection
};

Json ProfileJson(const quorvel::PrinterSettings& settings, const ProfileSource& source);

struct ParsedProfile {
  std::optional<SettingsChange> settings;  // complete when the profile is valid
  std::string error;                       // why it is not
  std::string sourceModel;                 // the model it was saved from; empty when it does not say
};

// Refuses anything but a complete, well-typed profile: a missing, unknown, repeated or out-of-range setting names
// itself.
ParsedProfile ParseProfile(std::string_view text);

}  // namespace ctl
