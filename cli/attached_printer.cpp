#include "cli/attached_printer.h"

#include "config_tool/params/model_identity.h"

namespace ctl {

std::string ModelNameOf(const std::string& vid, const std::string& pid) {
  if (vid.empty() || pid.empty()) return {};
  return std::string(quorvel::LookUpModel(pid, vid).value_or(""));
}

std::string ListLine(size_t number, const AttachedPrinter& printer) {
  auto shown = [](const std::string& text) { return text.empty() ? std::string("-") : text; };
  const std::string ids = printer.vid.empty() && printer.pid.empty() ? "-" : printer.vid + ":" + printer.pid;
  return std::to_string(number) + "\t" + printer.device + "\t" + ids + "\t" + shown(printer.model) + "\t" +
         shown(printer.location) + "\t" + shown(printer.serial);
}

Json ToJson(const AttachedPrinter& printer) {
  Json object = Json::object();
  object["device"] = printer.device;
  object["vid"] = printer.vid;
  object["pid"] = printer.pid;
  object["model"] = printer.model;
  object["port"] = printer.port ? Json(*printer.port) : Json(nullptr);
  object["location"] = printer.location.empty() ? Json(nullptr) : Json(printer.location);
  object["serial"] = printer.serial;
  return object;
}

}  // namespace ctl
