// quorvelctl's command line on fakes: what each command prints, sends and exits with.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <numeric>
#include <sstream>

#include "cli/ctl_app.h"
#include "cli/json.h"
#include "cli/payload.h"
#include "platform/linux/passthrough_text_codec.h"
#include "tests/ctl/simulated_printer.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

struct FixedSource : ctl::PrinterSource {
  std::vector<ctl::AttachedPrinter> printers;
  std::string failure;  // the bus could not be looked at
  int lists = 0;
  std::vector<ctl::AttachedPrinter> List() override {
    ++lists;
    return printers;
  }
  std::string ListingFailure() const override { return failure; }
};

struct Outcome {
  int code = -1;
  std::string out, err;
};

class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("ctl_commands_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::shared_ptr<ctl_test::SimulatedPrinter> AddPrinter(const std::string& device, const std::string& pid,
                                                          const std::string& serial) {
    source_.printers.push_back(ctl::AttachedPrinter{device, "1A86", pid, ctl::ModelNameOf("1A86", pid),
                                                    std::nullopt, serial, ""});
    auto printer = ctl_test::Attach(devices_, device);
    EXPECT_FALSE(printer->state.Set("pid", pid));
    return printer;
  }

  Outcome Ctl(std::vector<std::string> arguments, const std::string& input = "") {
    arguments.insert(arguments.begin(), "quorvelctl");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    std::ostringstream out, err;
    std::ostream failingOut(failingOut_ ? failingOut_ : out.rdbuf());
    std::istringstream in(input);
    ctl::CtlContext context{source_, devices_, codec_, host_, ctl::Io{failingOut, err, in, false, false},
                            [this](std::chrono::milliseconds time) {
                              std::lock_guard lock(pausesMutex_);
                              pauses_.push_back(time);
                            },
                            shield_};
    Outcome run;
    run.code = ctl::RunCtl(static_cast<int>(argv.size()), argv.data(), context);
    run.out = out.str();
    run.err = err.str();
    return run;
  }

  std::string Sent(const std::string& device) { return ctl_test::Text(devices_.At(device).Received()); }
  int Opens(const std::string& device) { return devices_.At(device).opens; }

  std::string File(const std::string& name, const std::string& text) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }

  FixedSource source_;
  fakes::FakePrinterDevices devices_;
  linux_platform::PassThroughTextCodec codec_;
  ctl::HostSystem host_ = ctl::HostSystem::Linux;
  std::mutex pausesMutex_;  // set --all pauses from a thread per printer
  std::vector<std::chrono::milliseconds> pauses_;
  ctl::SignalShield* shield_ = nullptr;
  std::streambuf* failingOut_ = nullptr;  // standard output, when it is to fail
  fs::path folder_;
};

TEST_F(Commands, EveryCommandHasItsHelp) {
  const std::pair<std::string, std::string> commands[] = {
      {"list", "--json"},        {"read", "--lang"},       {"set", "--front-sensor-off"}, {"save", "FILE"},
      {"apply", "--settle"},     {"selftest", "--device"}, {"send", "--hex"},             {"firmware", "--yes"}};
  const Outcome top = Ctl({"--help"});
  EXPECT_EQ(top.code, 0);
  EXPECT_NE(top.out.find("4 the read-back differs"), std::string::npos);
  for (const auto& [command, option] : commands) {
    EXPECT_NE(top.out.find(command), std::string::npos) << command;
    const Outcome help = Ctl({command, "--help"});
    EXPECT_EQ(help.code, 0) << command;
    EXPECT_NE(help.out.find(option), std::string::npos) << command << ": " << help.out;
  }
  EXPECT_EQ(Ctl({"--version"}).out, "quorvelctl 1.0.0\n");
}

TEST_F(Commands, UsageErrorsExitOne) {
  EXPECT_EQ(Ctl({}).code, ctl::kUsage);
  EXPECT_EQ(Ctl({"frobnicate"}).code, ctl::kUsage);
  EXPECT_EQ(Ctl({"read", "--bogus"}).code, ctl::kUsage);
  EXPECT_EQ(Ctl({"read", "--lang", "fr"}).code, ctl::kUsage);
  EXPECT_EQ(Ctl({"read", "--timeout", "0"}).code, ctl::kUsage);
  EXPECT_EQ(Ctl({"save"}).code, ctl::kUsage);
}

TEST_F(Commands, ListShowsEachPrinterAsTextOrJson) {
  AddPrinter("/dev/usb/lp0", "1000", "SIM0001");
  AddPrinter("/dev/usb/lp1", "9999", "");
  const Outcome text = Ctl({"list"});
  EXPECT_EQ(text.code, 0);
  EXPECT_EQ(text.out, "1\t/dev/usb/lp0\t1A86:1000\tVollenby LP-420B\t-\tSIM0001\n"
                      "2\t/dev/usb/lp1\t1A86:9999\t-\t-\t-\n");
  source_.printers[1].location = "1-1.4";
  EXPECT_EQ(Ctl({"list"}).out.substr(text.out.find('\n') + 1), "2\t/dev/usb/lp1\t1A86:9999\t-\t1-1.4\t-\n");
  const ctl::Json json = ctl::Json::parse(Ctl({"list", "--json"}).out);
  ASSERT_EQ(json.size(), 2u);
  EXPECT_EQ(json[0]["device"], "/dev/usb/lp0");
  EXPECT_EQ(json[0]["model"], "Vollenby LP-420B");
  EXPECT_TRUE(json[0]["port"].is_null());
  EXPECT_EQ(json[1]["serial"], "");
  EXPECT_TRUE(json[0]["location"].is_null());
  source_.printers.clear();
  const Outcome none = Ctl({"list", "--json"});
  EXPECT_EQ(none.code, ctl::kNoSuchPrinter);  // as for every command that finds no printer
  EXPECT_EQ(none.out, "[]\n");
  EXPECT_EQ(Ctl({"list"}).code, ctl::kNoSuchPrinter);
}

TEST_F(Commands, ReadTakesTheOnlyPrinterOrTheOneNamed) {
  AddPrinter("/dev/usb/lp0", "1000", "SIM0001");
  const Outcome english = Ctl({"read"});
  EXPECT_EQ(english.code, 0) << english.err;
  EXPECT_EQ(english.out.rfind("Read correct!\nSofeware Version：V1.5\n", 0), 0u);
  EXPECT_EQ(Ctl({"read", "--lang", "zh"}).out.rfind("数据读取OK\n软件版本：V1.5\n", 0), 0u);

  AddPrinter("/dev/usb/lp1", "2000", "SIM0002");
  const Outcome several = Ctl({"read"});
  EXPECT_EQ(several.code, ctl::kUsage);
  EXPECT_NE(several.err.find("2 printers are attached: choose one with -p"), std::string::npos);
  EXPECT_EQ(several.err.find("--all"), std::string::npos);  // read takes no --all
  EXPECT_EQ(Ctl({"read", "--all"}).code, ctl::kUsage);

  for (std::string choice : {"2", "/dev/usb/lp1", "SIM0002"}) {
    const Outcome chosen = Ctl({"read", "-p", choice, "--json"});
    ASSERT_EQ(chosen.code, 0) << choice << chosen.err;
    EXPECT_EQ(ctl::Json::parse(chosen.out)["model"], "KESTRAMO K-108") << choice;
  }
  EXPECT_EQ(Ctl({"read", "-p", "3"}).code, ctl::kNoSuchPrinter);
  EXPECT_EQ(Ctl({"read", "-p", "NOSUCH"}).code, ctl::kNoSuchPrinter);
  EXPECT_EQ(Ctl({"read", "-p", "/dev/usb/lp7"}).code, ctl::kNoSuchPrinter);  // opened as given: not there
}

TEST_F(Commands, DeviceSkipsDiscovery) {
  AddPrinter("/dev/usb/lp0", "1000", "SIM0001");
  auto direct = ctl_test::Attach(devices_, "/dev/pts/7");
  ASSERT_FALSE(direct->state.Set("pid", "2000"));
  const Outcome run = Ctl({"read", "--device", "/dev/pts/7", "--json"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(source_.lists, 0);
  EXPECT_EQ(ctl::Json::parse(run.out)["device"], "/dev/pts/7");
}

TEST_F(Commands, NoPrinterAndASilentPrinterHaveTheirExitCodes) {
  const Outcome none = Ctl({"read"});
  EXPECT_EQ(none.code, ctl::kNoSuchPrinter);
  EXPECT_EQ(none.err, "quorvelctl: no printer attached\n");
  AddPrinter("/dev/usb/lp0", "1000", "")->silent = true;
  const Outcome silent = Ctl({"read", "--timeout", "0.05"});
  EXPECT_EQ(silent.code, ctl::kDeviceFailed);
  EXPECT_EQ(silent.err, "quorvelctl: /dev/usb/lp0: the printer did not answer within 0.05 s\n");
}

TEST_F(Commands, BadSettingValuesAreRefusedBeforeThePrinterIsTouched) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  const std::vector<std::vector<std::string>> refused = {
      {"set", "--sensor", "label"},      {"set", "--offset", "3"},         {"set", "--offset", "22"},
      {"set", "--offset", "-2.5"},       {"set", "--offset", "two"},       {"set", "--speed-limit", "yes"},
      {"set", "--power", "mains"},       {"set", "--front-sensor", "on"},  {"set", "--settle", "-1"},
      {"set"},                           {"set", "-p", "1", "--all", "--sensor", "gap"}};
  for (const auto& arguments : refused) {
    const Outcome run = Ctl(arguments);
    EXPECT_EQ(run.code, ctl::kUsage) << arguments.back();
  }
  EXPECT_EQ(Opens("/dev/usb/lp0"), 0);
  EXPECT_EQ(source_.lists, 0);
}

TEST_F(Commands, SetWritesTheChangeAndReportsEachPrinter) {
  auto first = AddPrinter("/dev/usb/lp0", "1000", "A");
  auto second = AddPrinter("/dev/usb/lp1", "2000", "B");
  const Outcome run = Ctl({"set", "--all", "--sensor", "black_mark", "--offset", "-4", "--settle", "0.5"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "/dev/usb/lp0: settings written and read back\n/dev/usb/lp1: settings written and read back\n");
  EXPECT_EQ(first->state.Get("sensor_type"), "1");
  EXPECT_EQ(second->state.Get("offset_index"), "2");
  EXPECT_EQ(std::accumulate(pauses_.begin(), pauses_.end(), 0ms), 1000ms);  // 0.5 s for each printer
}

TEST_F(Commands, DryRunPrintsTheBatch) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  const Outcome run = Ctl({"set", "--speed-limit", "on", "--dry-run"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out,
            "/dev/usb/lp0: would write 53 bytes; nothing written; the batch, each line ended by CR LF:\n"
            "  SENSORTYPE 0\n  SUPPORT 0\n  USBHANDO\n  LIMITED 11110000\n");
  EXPECT_EQ(Sent("/dev/usb/lp0"), "RETURN VALUE\r\n");
}

TEST_F(Commands, AReadBackThatDiffersExitsFour) {
  auto printer = AddPrinter("/dev/usb/lp0", "1000", "");
  ASSERT_FALSE(printer->state.Ignore("speed_limit"));
  const Outcome run = Ctl({"set", "--speed-limit", "on", "--settle", "0"});
  EXPECT_EQ(run.code, ctl::kReadBackDiffers);
  EXPECT_EQ(run.err,
            "quorvelctl: /dev/usb/lp0: settings written, but read back different: speed_limit: wrote on, reads off\n");
}

TEST_F(Commands, SaveThenApplyCopiesTheSettingsToEveryPrinter) {
  auto source = AddPrinter("/dev/usb/lp0", "1000", "A");
  for (auto [field, value] : std::vector<std::pair<std::string, std::string>>{
           {"sensor_type", "2"}, {"compat", "1"}, {"offset_index", "15"}, {"external_power", "0"}}) {
    ASSERT_FALSE(source->state.Set(field, value));
  }
  const std::string profile = (folder_ / "shop.json").string();
  const Outcome save = Ctl({"save", profile});
  ASSERT_EQ(save.code, 0) << save.err;
  EXPECT_EQ(save.out, "/dev/usb/lp0: settings saved to " + profile + "\n");

  source_.printers.clear();
  std::vector<std::shared_ptr<ctl_test::SimulatedPrinter>> targets;
  for (int i = 1; i <= 3; ++i) targets.push_back(AddPrinter("/dev/usb/lp" + std::to_string(i), "2000", ""));
  const Outcome refused = Ctl({"apply", profile, "--all", "--settle", "0"});  // saved from another model
  EXPECT_EQ(refused.code, ctl::kBadFile);  // the profile does not fit these printers
  EXPECT_NE(refused.err.find("saved from a Vollenby LP-420B, but this printer is a KESTRAMO K-108"), std::string::npos);
  const Outcome apply = Ctl({"apply", profile, "--all", "--settle", "0", "--force"});
  EXPECT_EQ(apply.code, 0) << apply.err;
  EXPECT_EQ(apply.out, "/dev/usb/lp1: settings written and read back\n/dev/usb/lp2: settings written and read back\n"
                       "/dev/usb/lp3: settings written and read back\n");
  for (const auto& target : targets) {
    EXPECT_EQ(target->state.Get("sensor_type"), "2");
    EXPECT_EQ(target->state.Get("compat"), "1");
    EXPECT_EQ(target->state.Get("offset_index"), "15");
    EXPECT_EQ(target->state.Get("external_power"), "0");
  }
}

TEST_F(Commands, BadProfilesAreRefusedBeforeAnyPrinterIsLookedAt) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  const std::string broken = File("broken.json", "{\"format\": \"quorvelctl-profile\", \"version\": 1, \"settings\": {}}");
  const Outcome incomplete = Ctl({"apply", broken});
  EXPECT_EQ(incomplete.code, ctl::kBadFile);
  EXPECT_EQ(incomplete.err, "quorvelctl: " + broken + ": settings.sensor is missing; nothing written\n");
  EXPECT_EQ(Ctl({"apply", File("garbage.json", "\x01\x02 not json")}).code, ctl::kBadFile);
  EXPECT_EQ(Ctl({"apply", (folder_ / "missing.json").string()}).code, ctl::kBadFile);
  EXPECT_EQ(Ctl({"apply", folder_.string()}).code, ctl::kBadFile);
  EXPECT_EQ(source_.lists, 0);
  EXPECT_EQ(Opens("/dev/usb/lp0"), 0);
}

TEST_F(Commands, SaveToAPlaceThatCannotBeWrittenIsABadFile) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  EXPECT_EQ(Ctl({"save", (folder_ / "no" / "such" / "folder.json").string()}).code, ctl::kBadFile);
}

TEST_F(Commands, SelftestAndSendPassTheirBytesUnchanged) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  EXPECT_EQ(Ctl({"selftest"}).out, "/dev/usb/lp0: self-test page requested\n");
  EXPECT_EQ(Sent("/dev/usb/lp0"), "PTESTPAGE\r\n");
  devices_.At("/dev/usb/lp0").writes.clear();
  EXPECT_EQ(Ctl({"send", "--hex", "1B 40 ff0d0A"}).out, "/dev/usb/lp0: sent 5 bytes\n");
  EXPECT_EQ(Sent("/dev/usb/lp0"), std::string("\x1B\x40\xFF\r\n"));
  devices_.At("/dev/usb/lp0").writes.clear();
  EXPECT_EQ(Ctl({"send", "--text", "SIZE 40 mm\r\n中"}).code, 0);
  EXPECT_EQ(Sent("/dev/usb/lp0"), "SIZE 40 mm\r\n中");
  devices_.At("/dev/usb/lp0").writes.clear();
  EXPECT_EQ(Ctl({"send", "--file", File("job.bin", std::string("\0\x01\x02", 3))}).code, 0);
  EXPECT_EQ(Sent("/dev/usb/lp0"), std::string("\0\x01\x02", 3));
}

TEST_F(Commands, SendRefusesWhatItCannotBuild) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  EXPECT_EQ(Ctl({"send", "--hex", "1G"}).code, ctl::kUsage);
  EXPECT_EQ(Ctl({"send"}).code, ctl::kUsage);
  EXPECT_EQ(Ctl({"send", "--hex", "1B", "--text", "x"}).code, ctl::kUsage);
  EXPECT_EQ(Ctl({"send", "--file", (folder_ / "none.bin").string()}).code, ctl::kBadFile);
  EXPECT_EQ(Opens("/dev/usb/lp0"), 0);
}

TEST_F(Commands, FirmwareAsksFirstThenSendsTheCommandAndTheImage) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  std::string image(10000, '\0');
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
  const std::string file = File("fw.bin", image);

  const Outcome declined = Ctl({"firmware", file}, "n\n");
  EXPECT_EQ(declined.code, ctl::kUsage);
  EXPECT_NE(declined.err.find("Download " + file + " (10000 bytes) to /dev/usb/lp0"), std::string::npos);
  const Outcome noAnswer = Ctl({"firmware", file}, "");
  EXPECT_EQ(noAnswer.code, ctl::kUsage);
  EXPECT_EQ(Sent("/dev/usb/lp0"), "");

  const Outcome confirmed = Ctl({"firmware", file}, "yes\n");
  EXPECT_EQ(confirmed.code, 0) << confirmed.err;
  EXPECT_EQ(confirmed.out, "/dev/usb/lp0: firmware image of 10000 bytes sent\n");
  EXPECT_EQ(Sent("/dev/usb/lp0"), "PROGRAME UPGRADE\r\n" + image);
  EXPECT_EQ(devices_.At("/dev/usb/lp0").writes.size(), 1u + 3u);  // the command, then 4096-byte pieces

  devices_.At("/dev/usb/lp0").writes.clear();
  EXPECT_EQ(Ctl({"firmware", file, "--yes"}).code, 0);
  EXPECT_EQ(Sent("/dev/usb/lp0"), "PROGRAME UPGRADE\r\n" + image);
}

// A bus that could not be looked at is not an empty bus: exit 3 with the library's reason, never "no printer
// attached" (exit 2), and no empty list on standard output for a script to take as the truth.
TEST_F(Commands, ABusThatCannotBeListedIsToldApartFromAnEmptyOne) {
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"list"}, {"list", "--json"}, {"read"}, {"set", "--all", "--sensor", "gap"}}) {
    source_.failure = "libusb could not start: Other error";
    const Outcome broken = Ctl(arguments);
    EXPECT_EQ(broken.code, ctl::kDeviceFailed) << arguments[0];
    EXPECT_EQ(broken.out, "");
    EXPECT_NE(broken.err.find("cannot look for printers: libusb could not start: Other error"), std::string::npos)
        << broken.err;
    source_.failure.clear();
    EXPECT_EQ(Ctl(arguments).code, ctl::kNoSuchPrinter) << arguments[0];
  }
}

// A signal that comes once `when` says so, and is noted only if the shield was raised first (as the real one: before
// that, a signal ends the program).
struct ScriptedSignal : ctl::SignalShield {
  std::function<bool()> when;
  int raises = 0;
  explicit ScriptedSignal(std::function<bool()> condition) : when(std::move(condition)) {}
  void Raise() override { ++raises; }
  bool Requested() const override { return raises > 0 && when(); }
};

TEST_F(Commands, FirmwareStoppedByASignalFinishesThePieceAndSaysTheImageIsIncomplete) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  const std::string file = File("fw.bin", std::string(10000, 'x'));
  ScriptedSignal afterFirstPiece([this] { return devices_.At("/dev/usb/lp0").writes.size() >= 2; });
  shield_ = &afterFirstPiece;
  const Outcome stopped = Ctl({"firmware", file, "--yes"});
  EXPECT_EQ(stopped.code, ctl::kStopped);
  EXPECT_NE(stopped.err.find("stopped by a signal after 4096 of 10000 bytes: the firmware image is incomplete, and "
                             "the printer may need the download again"),
            std::string::npos)
      << stopped.err;
  EXPECT_EQ(Sent("/dev/usb/lp0"), "PROGRAME UPGRADE\r\n" + std::string(4096, 'x'));
}

// Every command that holds a printer ends at its next step once a signal comes, says what was done and what not,
// and closes the printer (which gives it back to its driver).
TEST_F(Commands, ASignalWhileAPrinterIsHeldEndsEveryCommandWithWhatWasDone) {
  struct Case {
    std::vector<std::string> arguments;
    size_t signalAfterWrites;  // the printer has taken this many writes when the signal comes
    std::string said;
    std::string sent;
  } cases[] = {
      {{"read"}, 0, "/dev/usb/lp0: stopped by a signal before the printer's answer came; nothing read", ""},
      {{"save", "PROFILE"}, 0, "stopped by a signal before the printer's answer came; nothing saved", ""},
      {{"set", "--speed-limit", "on"}, 0, "/dev/usb/lp0: stopped by a signal before the settings were read; nothing "
                                          "written", ""},
      {{"set", "--speed-limit", "on"}, 1, "stopped by a signal after the settings were read; nothing written",
       "RETURN VALUE\r\n"},
      {{"set", "--speed-limit", "on"}, 2, "/dev/usb/lp0: stopped by a signal: settings written, not read back: run "
                                          "`quorvelctl read` to check",
       "RETURN VALUE\r\nSENSORTYPE 0\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 11110000\r\n"},
      {{"apply", "PROFILE", "--all"}, 2, "settings written, not read back: run `quorvelctl read` to check",
       "RETURN VALUE\r\nSENSORTYPE 0\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 01110000\r\n"},
      {{"send", "--hex", "1B 40"}, 0, "/dev/usb/lp0: stopped by a signal before anything was sent", ""},
      {{"selftest"}, 0, "/dev/usb/lp0: stopped by a signal before anything was sent", ""},
      {{"firmware", "IMAGE", "--yes"}, 0, "/dev/usb/lp0: stopped by a signal before anything was sent", ""},
  };
  AddPrinter("/dev/usb/lp0", "1000", "");
  const std::string profile = folder_ / "p.json";
  ASSERT_EQ(Ctl({"save", profile}).code, 0);
  for (Case& c : cases) {
    for (std::string& argument : c.arguments) {
      if (argument == "PROFILE") argument = c.arguments[0] == "save" ? (folder_ / "new.json").string() : profile;
      if (argument == "IMAGE") argument = File("fw.bin", "image");
    }
    devices_.At("/dev/usb/lp0").writes.clear();
    ScriptedSignal signal([&] { return devices_.At("/dev/usb/lp0").writes.size() >= c.signalAfterWrites; });
    shield_ = &signal;
    const Outcome run = Ctl(c.arguments);
    shield_ = nullptr;
    EXPECT_EQ(run.code, ctl::kStopped) << c.arguments[0] << ": " << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_EQ(Sent("/dev/usb/lp0"), c.sent) << c.said;
    EXPECT_EQ(devices_.At("/dev/usb/lp0").openConnections, 0);
  }
  EXPECT_FALSE(fs::exists(folder_ / "new.json"));
}

// A printer pulled out ends the wait at once, not when its time runs out, and the message says what was done.
TEST_F(Commands, AnUnplugEndsTheWaitAtOnceWithWhatWasDone) {
  struct Case {
    std::vector<std::string> arguments;
    size_t unpluggedAfterWrites;
    std::string said;
  } cases[] = {
      {{"read", "--timeout", "60", "-p", "/dev/usb/lp0"}, 1, "/dev/usb/lp0: the printer was unplugged; nothing read"},
      {{"set", "--speed-limit", "on", "--settle", "60", "-p", "/dev/usb/lp1"}, 0,
       "/dev/usb/lp1: the printer was unplugged before its settings were read; nothing written"},
      {{"set", "--speed-limit", "on", "--settle", "60", "-p", "/dev/usb/lp2"}, 2,
       "/dev/usb/lp2: the printer was unplugged: settings written, not read back"},
      {{"send", "--hex", "1B 40", "-p", "/dev/usb/lp3"}, 0,
       "/dev/usb/lp3: the printer was unplugged; the bytes may have arrived in part"},
      {{"selftest", "-p", "/dev/usb/lp4"}, 0, "/dev/usb/lp4: the printer was unplugged"},
  };
  for (const Case& c : cases) {
    pauses_.clear();
    AddPrinter(c.arguments.back(), "1000", "");
    fakes::FakePrinter& printer = devices_.At(c.arguments.back());
    printer.unplugged = c.unpluggedAfterWrites == 0;
    printer.respond = [&printer, c, answer = printer.respond](std::span<const uint8_t> bytes) {
      std::vector<uint8_t> reply = answer(bytes);
      printer.unplugged = printer.writes.size() >= c.unpluggedAfterWrites;
      return printer.unplugged ? std::vector<uint8_t>{} : reply;
    };
    const auto started = std::chrono::steady_clock::now();
    const Outcome run = Ctl(c.arguments);
    EXPECT_EQ(run.code, ctl::kDeviceFailed) << run.err;
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    EXPECT_LT(std::accumulate(pauses_.begin(), pauses_.end(), 0ms), 1s) << c.said;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 30s) << "the read waited for its time to run out";
  }
}

TEST_F(Commands, ASignalWhileWaitingForABusyPrinterEndsTheWaitWithNothingSent) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  devices_.At("/dev/usb/lp0").openFailure = platform::OpenFailure{platform::OpenFailure::Busy, "held"};
  ScriptedSignal signal([this] { return pauses_.size() >= 3; });
  shield_ = &signal;
  const Outcome run = Ctl({"set", "--speed-limit", "on", "--wait", "60"});
  EXPECT_EQ(run.code, ctl::kStopped) << run.err;
  EXPECT_NE(run.err.find("/dev/usb/lp0: stopped by a signal while waiting for the printer; nothing was sent"),
            std::string::npos)
      << run.err;
  EXPECT_EQ(pauses_.size(), 3u);
}

TEST_F(Commands, FirmwareAsksBeforeThePrinterIsOpened) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  const std::string file = File("fw.bin", "image");
  EXPECT_EQ(Ctl({"firmware", file}, "n\n").code, ctl::kUsage);
  EXPECT_EQ(Opens("/dev/usb/lp0"), 0);
}

// A standard output that takes nothing, like /dev/full.
struct FullDevice : std::streambuf {
  int overflow(int) override { return traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

TEST_F(Commands, OutputThatCannotBeWrittenExitsOne) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  FullDevice full;
  failingOut_ = &full;
  const Outcome read = Ctl({"read", "--json"});
  EXPECT_EQ(read.code, ctl::kUsage);
  EXPECT_NE(read.err.find("writing to standard output failed"), std::string::npos) << read.err;
  EXPECT_EQ(Ctl({"list"}).code, ctl::kUsage);
}

TEST_F(Commands, TextThatIsNotUtf8NeverStopsTheProgram) {
  const std::string device = "/dev/usb/\xff\xfe";
  AddPrinter(device, "1000", "\xc3");
  const Outcome read = Ctl({"read", "--json", "-p", device});
  ASSERT_EQ(read.code, 0) << read.err;
  EXPECT_EQ(ctl::Json::parse(read.out)["device"], "/dev/usb/\xef\xbf\xbd\xef\xbf\xbd");
  const Outcome list = Ctl({"list", "--json"});
  ASSERT_EQ(list.code, 0) << list.err;
  EXPECT_EQ(ctl::Json::parse(list.out)[0]["serial"], "\xef\xbf\xbd");
}

TEST_F(Commands, AProfileWithAKeyTwiceIsABadProfile) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  const std::string profile = File("twice.json", R"({"format": "quorvelctl-profile", "version": 1, "version": 1})");
  const Outcome apply = Ctl({"apply", profile});
  EXPECT_EQ(apply.code, ctl::kBadFile);
  EXPECT_NE(apply.err.find("the key \"version\" is given twice"), std::string::npos) << apply.err;
  EXPECT_EQ(Opens("/dev/usb/lp0"), 0);
}

TEST_F(Commands, SetAndApplyReportEachPrinterAsJson) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  const Outcome set = Ctl({"set", "--speed-limit", "on", "--settle", "0", "--json"});
  ASSERT_EQ(set.code, 0) << set.err;
  const ctl::Json outcome = ctl::Json::parse(set.out);
  EXPECT_EQ(outcome["device"], "/dev/usb/lp0");
  EXPECT_EQ(outcome["exit_code"], 0);
  EXPECT_EQ(outcome["outcome"], "done");
  EXPECT_EQ(outcome["message"], "/dev/usb/lp0: settings written and read back");
  EXPECT_EQ(outcome["batch"].size(), 4u);
}

TEST_F(Commands, FirmwareRefusesEmptyMissingAndOversizedImages) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  EXPECT_EQ(Ctl({"firmware", File("empty.bin", ""), "--yes"}).code, ctl::kBadFile);
  EXPECT_EQ(Ctl({"firmware", (folder_ / "none.bin").string(), "--yes"}).code, ctl::kBadFile);
  EXPECT_EQ(Ctl({"firmware", File("huge.bin", std::string(3'000'002, 'x')), "--yes"}).code, ctl::kBadFile);
  EXPECT_EQ(Opens("/dev/usb/lp0"), 0);
}

TEST_F(Commands, AnUnopenableDeviceIsNamedWithItsFix) {
  AddPrinter("/dev/usb/lp0", "1000", "");
  devices_.At("/dev/usb/lp0").openFailure = platform::OpenFailure{platform::OpenFailure::Busy, "Device or resource busy"};
  const Outcome onLinux = Ctl({"selftest"});
  EXPECT_EQ(onLinux.code, ctl::kDeviceFailed);
  EXPECT_NE(onLinux.err.find("the printer /dev/usb/lp0 is busy (Device or resource busy): another program holds it"),
            std::string::npos)
      << onLinux.err;
  host_ = ctl::HostSystem::Windows;
  devices_.At("/dev/usb/lp0").openFailure = platform::OpenFailure{platform::OpenFailure::AccessDenied, "error 5"};
  EXPECT_NE(Ctl({"selftest"}).err.find("access denied (error 5). Another program may be using the printer"),
            std::string::npos);
}

// A code page of ASCII only, as the printer's is for anything it cannot print.
struct AsciiOnly : platform::TextCodec {
  std::string AnsiToUtf8(std::string_view ansi) override { return std::string(ansi); }
  std::optional<std::string> Utf8ToAnsi(std::string_view utf8) override {
    for (char c : utf8) {
      if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    }
    return std::string(utf8);
  }
};

TEST(TextPayload, NamesTheCharacterWithoutACodePageForm) {
  AsciiOnly codec;
  const ctl::Payload refused = ctl::TextPayload(codec, "AB中C");
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.error, "the character \"中\" has no form in the printer's code page");
  const ctl::Payload sent = ctl::TextPayload(codec, "AB\r\n");
  EXPECT_TRUE(sent.ok);
  EXPECT_EQ(std::string(sent.bytes.begin(), sent.bytes.end()), "AB\r\n");
}

}  // namespace
