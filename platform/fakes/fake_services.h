#pragma once
// Recording fakes of the small platform services.
#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/interfaces/dialogs.h"
#include "platform/interfaces/file_system.h"
#include "platform/interfaces/process_launcher.h"
#include "platform/interfaces/skin_engine.h"
#include "platform/interfaces/spooler.h"
#include "platform/interfaces/text_codec.h"
#include "platform/interfaces/wmi.h"

namespace fakes {

class FakeSpooler : public platform::Spooler {
 public:
  struct Job {
    std::string printer;
    std::string document;
    std::vector<uint8_t> bytes;
  };
  std::vector<std::string> printers;
  std::vector<Job> jobs;
  std::optional<uint32_t> acceptLimit;  // when set, the spooler takes no more than this many bytes of a job
  bool failEnd = false;                 // every byte is taken, then ending the page and document fails
  std::map<std::string, platform::PrinterSetup> setups;  // port and driver of printers by name
  bool holdJobs = false;  // jobs stay in the queue, as for a printer that takes no data, until taken out
  platform::QueuedJob heldAs;                    // what the spooler says of each job it holds
  std::map<uint32_t, platform::QueuedJob> queued;  // jobs still in the queue
  int queueLooks = 0;

  std::optional<platform::QueuedJob> FindQueuedJob(std::string_view printerName, uint32_t jobId) override {
    ++queueLooks;
    auto job = queued.find(jobId);
    if (std::find(printers.begin(), printers.end(), printerName) == printers.end() || job == queued.end()) {
      return std::nullopt;
    }
    return job->second;
  }

  std::vector<std::string> ListPrinters() override { return printers; }
  platform::RawJobResult SendRawJob(std::string_view printerName, std::string_view documentName,
                                    std::span<const uint8_t> bytes) override;
  // Like the spooler, finds a listed printer whatever the letter case of the name.
  std::optional<platform::PrinterSetup> FindPrinter(std::string_view printerName) override;
};

class FakeWmi : public platform::Wmi {
 public:
  bool reachable = true;
  std::vector<std::string> dependents;  // "Dependent" of each Win32_USBControllerDevice
  std::vector<std::string> queries;
  // Runs inside each query, as the messages COM's modal loop delivers while a real query waits would run.
  std::function<void()> duringQuery;

  std::optional<std::vector<std::string>> QueryProperty(std::string_view query, std::string_view property) override;
};

class FakeProcessLauncher : public platform::ProcessLauncher {
 public:
  struct Start {
    std::string program;
    std::string commandLine;
    platform::ShowState show;
    std::string workingFolder;
    std::shared_ptr<bool> ended = std::make_shared<bool>(false);  // set it to end the started program
  };
  bool startable = true;
  bool endAtOnce = false;  // programs end as soon as they are started
  std::vector<Start> starts;

  platform::StartedProcess Start(std::string_view program, std::string_view commandLine, platform::ShowState show,
                                 std::string_view workingFolder = {}) override;
  void EndAll() {
    for (auto& start : starts) *start.ended = true;
  }
};

class FakeSkinEngine : public platform::SkinEngine {
 public:
  std::vector<std::string> calls;  // "Attach", "AttachEx(path,password)", "SetAero(n)"

  void Attach() override { calls.push_back("Attach"); }
  bool handable = true;  // false: no path the engine could open can be made for the file
  bool AttachEx(std::string_view skinFile, std::string_view password) override {
    calls.push_back("AttachEx(" + std::string(skinFile) + "," + std::string(password) + ")");
    return handable;
  }
  void SetAero(int on) override { calls.push_back("SetAero(" + std::to_string(on) + ")"); }
};

class FakeFileSystem : public platform::FileSystem {
 public:
  std::string programFolder = "C:\\Tools";
  std::string systemFolder = "C:\\Windows\\system32";
  std::map<std::string, std::vector<uint8_t>> files;  // full path -> contents, in listing order of the map
  std::vector<std::string> listingOrder;              // when set, ListFiles lists in this order
  std::map<std::string, std::string> unreadable;      // path -> system error text
  std::map<std::string, std::string> unwritable;      // path -> system error text of a write or removal

  std::string ProgramFolder() override { return programFolder; }
  std::string SystemFolder() override { return systemFolder; }
  std::vector<std::string> ListFiles(std::string_view folder) override;
  bool FileExists(std::string_view path) override { return files.contains(std::string(path)); }
  platform::FileContents ReadWholeFile(std::string_view path, uint64_t maxBytes) override;
  platform::FileChange WriteWholeFile(std::string_view path, const std::vector<uint8_t>& bytes) override;
  platform::FileChange RemoveFile(std::string_view path) override;
};

class FakeDialogs : public platform::Dialogs {
 public:
  struct Message {
    std::string text;
    std::string title;
  };
  std::vector<Message> messages;
  std::vector<platform::OpenFileRequest> fileRequests;
  std::optional<std::string> nextChosenFile;

  void ShowMessage(std::string_view text, std::string_view title) override {
    messages.push_back({std::string(text), std::string(title)});
  }
  std::optional<std::string> ChooseFileToOpen(const platform::OpenFileRequest& request) override {
    fileRequests.push_back(request);
    return nextChosenFile;
  }
};

// ASCII passes unchanged; a few GBK characters are known so that tests can check double-byte handling.
class FakeTextCodec : public platform::TextCodec {
 public:
  std::string AnsiToUtf8(std::string_view ansi) override;
  std::optional<std::string> Utf8ToAnsi(std::string_view utf8) override;
};

}  // namespace fakes
