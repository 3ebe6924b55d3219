// quorvelctl apply FILE [-p PRINTER | --all]: every setting of a profile, to one printer or all at once.
#include <ostream>

#include "cli/commands/commands.h"
#include "cli/commands/outcomes.h"
#include "cli/commands/printer_options.h"
#include "cli/file_io.h"
#include "cli/settings_profile.h"

namespace ctl {
namespace {

// A profile is a few hundred bytes; anything far larger is not one.
constexpr uint64_t kLargestProfile = 64 * 1024;

struct ApplyOptions {
  PrinterOptions printers;
  std::string file;
  double settleSeconds = 15.0;
  bool noVerify = false;
  bool dryRun = false;
  bool force = false;
  bool json = false;
};

int RunApply(CtlContext& context, const ApplyOptions& options) {
  // The whole profile is checked before any printer is looked at, let alone written.
  const std::string name = options.file == "-" ? "standard input" : options.file;
  const FileBytes file = ReadFileBytes(options.file, kLargestProfile, context.io.in);
  if (!file.ok) return Fail(context, kBadFile, name + ": " + file.error);
  const ParsedProfile profile =
      ParseProfile(std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
  if (!profile.settings) return Fail(context, kBadFile, name + ": " + profile.error + "; nothing written");

  Selected chosen = ChosenPrinters(context, options.printers);
  if (chosen.code != kDone) return Fail(context, chosen.code, chosen.error);
  SetRequest request;
  request.change = *profile.settings;
  request.timeout = options.printers.Timeout();
  request.settle = Milliseconds(options.settleSeconds);
  request.verify = !options.noVerify;
  request.dryRun = options.dryRun;
  request.wait = options.printers.Wait();
  request.stopped = StopCheckOf(context);
  request.profileModel = profile.sourceModel;
  request.force = options.force;
  return SetOnPrinters(context, chosen.printers, request, options.json);
}

}  // namespace

Command AddApplyCommand(CLI::App& program, CtlContext& context) {
  CLI::App* command = program.add_subcommand(
      "apply", "Write every setting of a profile made by 'save', read back and check; with several printers, to "
               "all of them at the same time, ending with one line per printer.");
  auto options = std::make_shared<ApplyOptions>();
  command->add_option("FILE", options->file, "The profile to apply; - reads it from standard input.")->required();
  AddPrinterOptions(*command, options->printers, true);
  AddTimeoutOption(*command, options->printers);
  command->add_option("--settle", options->settleSeconds,
                      "Seconds to wait after the write before reading back (default 15).")
      ->type_name("SECONDS")
      ->check(CLI::Range(0.0, 3600.0));
  command->add_flag("--no-verify", options->noVerify, "Do not read the settings back after writing them.");
  command->add_flag("--dry-run", options->dryRun, "Read the printers and print the batch, but write nothing.");
  command->add_flag("--force", options->force,
                    "Apply a profile saved from another model without refusing (the settings mean the same on "
                    "every model, but another model may not have them all).");
  command->add_flag("--json", options->json, "One JSON object per printer, one per line, with its outcome.");
  return {command, [&context, options] { return RunApply(context, *options); }};
}

}  // namespace ctl
