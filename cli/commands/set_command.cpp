// quorvelctl set [-p PRINTER | --all] [--sensor ...] ... [--settle SECONDS] [--no-verify] [--dry-run]
#include <ostream>

#include "cli/commands/commands.h"
#include "cli/commands/outcomes.h"
#include "cli/commands/printer_options.h"

namespace ctl {
namespace {

struct SetOptions {
  PrinterOptions printers;
  std::string sensor, compatibility, handshake, speedLimit, frontSensor, power, headProtection, density, sensorOff;
  int offsetMm = 0;
  CLI::Option* offset = nullptr;
  double settleSeconds = 15.0;
  bool noVerify = false;
  bool dryRun = false;
  bool json = false;
};

std::optional<bool> OnOff(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return text == "on";
}

std::optional<bool> Either(const std::string& text, const char* yes) {
  if (text.empty()) return std::nullopt;
  return text == yes;
}

SettingsChange ChangeOf(const SetOptions& o) {
  SettingsChange change;
  if (!o.sensor.empty()) change.sensorType = SensorTypeNamed(o.sensor);
  change.compatibility = OnOff(o.compatibility);
  change.usbHandshake = OnOff(o.handshake);
  change.speedLimit = OnOff(o.speedLimit);
  change.frontSensor = Either(o.frontSensor, "fitted");
  change.externalPower = Either(o.power, "external");
  change.headProtection = OnOff(o.headProtection);
  if (o.offset->count() > 0) change.offsetIndex = OffsetIndexOfMm(o.offsetMm);
  change.constantDensity = OnOff(o.density);
  change.frontSensorOff = OnOff(o.sensorOff);
  return change;
}

int RunSet(CtlContext& context, const SetOptions& options) {
  const SettingsChange change = ChangeOf(options);
  if (change.Empty()) return Fail(context, kUsage, "set: name at least one setting to change (see --help)");
  Selected chosen = ChosenPrinters(context, options.printers);
  if (chosen.code != kDone) return Fail(context, chosen.code, chosen.error);
  SetRequest request;
  request.change = change;
  request.timeout = options.printers.Timeout();
  request.settle = Milliseconds(options.settleSeconds);
  request.verify = !options.noVerify;
  request.dryRun = options.dryRun;
  request.wait = options.printers.Wait();
  request.stopped = StopCheckOf(context);
  return SetOnPrinters(context, chosen.printers, request, options.json);
}

// Only even millimetres from -20 to 20 are offsets the printer takes.
const CLI::Validator kOffsetMillimetres(
    [](std::string& text) -> std::string {
      int value = 0;
      try {
        size_t used = 0;
        value = std::stoi(text, &used);
        if (used != text.size()) return "the offset is a whole number of millimetres: " + text;
      } catch (const std::exception&) {
        return "the offset is a whole number of millimetres: " + text;
      }
      if (!OffsetIndexOfMm(value)) return "the offset must be an even number from -20 to 20 (mm), not " + text;
      return {};
    },
    "", "offset");

}  // namespace

Command AddSetCommand(CLI::App& program, CtlContext& context) {
  CLI::App* command = program.add_subcommand(
      "set",
      "Change the named settings: reads the printer's settings, writes the batch the configuration tool's Set "
      "would write with those changed, waits while the printer applies it, reads back and checks.");
  auto o = std::make_shared<SetOptions>();
  AddPrinterOptions(*command, o->printers, true);
  AddTimeoutOption(*command, o->printers);
  const auto onOff = CLI::IsMember({"on", "off"});
  command->add_option("--sensor", o->sensor, "Media sensor: gap, black_mark or continuous.")
      ->check(CLI::IsMember({"gap", "black_mark", "continuous"}));
  command->add_option("--driver-compatibility", o->compatibility, "Driver compatibility mode: on or off.")
      ->check(onOff);
  command->add_option("--usb-handshake", o->handshake, "USB handshake (USB positioning): on or off.")->check(onOff);
  command->add_option("--speed-limit", o->speedLimit, "Speed limit for older motors: on or off.")->check(onOff);
  command->add_option("--front-sensor", o->frontSensor, "Front sensor: fitted or absent.")
      ->check(CLI::IsMember({"fitted", "absent"}));
  command->add_option("--power", o->power, "Mechanism power supply: external or internal.")
      ->check(CLI::IsMember({"external", "internal"}));
  command->add_option("--head-protection", o->headProtection, "Head power protection circuit: on or off.")
      ->check(onOff);
  o->offset = command->add_option("--offset", o->offsetMm, "Print offset in mm: an even number from -20 to 20.")
                  ->type_name("MM")
                  ->check(kOffsetMillimetres);
  command->add_option("--constant-density", o->density, "Constant density: on or off.")->check(onOff);
  command->add_option("--front-sensor-off", o->sensorOff, "Force the front sensor off: on or off.")->check(onOff);
  command->add_option("--settle", o->settleSeconds,
                      "Seconds to wait after the write before reading back (default 15, as the configuration tool "
                      "waits).")
      ->type_name("SECONDS")
      ->check(CLI::Range(0.0, 3600.0));
  command->add_flag("--no-verify", o->noVerify, "Do not read the settings back after writing them.");
  command->add_flag("--dry-run", o->dryRun, "Read the printer and print the batch, but write nothing.");
  command->add_flag("--json", o->json, "One JSON object per printer, one per line, with its outcome.");
  return {command, [&context, o] { return RunSet(context, *o); }};
}

}  // namespace ctl
