#pragma once
// The driver model names the package QRX\QRX.inf must offer: every name the installer or the configuration
// tool passes to printui.
#include <string>
#include <string_view>
#include <vector>

namespace omblet {

// The one model the configuration tool installs.
inline constexpr std::string_view kConfigToolDriverModel = "RIRIRU";

// Each name once, in this order: the model table's names, the invoice driver names, the configuration tool's.
std::vector<std::string> OfferedDriverModels();

}  // namespace omblet
