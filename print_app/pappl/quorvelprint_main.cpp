// quorvelprint: a printer application (IPP Everywhere) for our USB thermal label and receipt printers, on PAPPL.
// `quorvelprint server` serves; the other sub-commands (add, delete, devices, drivers, printers, submit, jobs,
// cancel, status, options, default, shutdown) are PAPPL's own and talk to the server.
#include <pappl/pappl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "print_app/pappl/app.h"
#include "print_app/pappl/device_schemes.h"
#include "print_app/pappl/hotplug.h"
#include "print_app/pappl/local_admin.h"
#include "print_app/pappl/png_filter.h"
#include "print_app/pappl/printer_pages.h"
#include "print_app/pappl/raster_driver.h"
#include "print_app/server_options.h"

#ifndef QUORVELPRINT_VERSION
#define QUORVELPRINT_VERSION "0"
#endif

namespace {

extern "C" char** environ;

std::map<std::string, std::string> Environment() {
  std::map<std::string, std::string> environment;
  for (char** entry = environ; entry && *entry; ++entry) {
    const std::string text = *entry;
    const size_t equals = text.find('=');
    if (equals != std::string::npos) environment[text.substr(0, equals)] = text.substr(equals + 1);
  }
  return environment;
}

pappl_loglevel_t LogLevel(const std::string& name) {
  if (name == "fatal") return PAPPL_LOGLEVEL_FATAL;
  if (name == "error") return PAPPL_LOGLEVEL_ERROR;
  if (name == "info") return PAPPL_LOGLEVEL_INFO;
  if (name == "debug") return PAPPL_LOGLEVEL_DEBUG;
  return PAPPL_LOGLEVEL_WARN;
}

// The admin group when none is named: Debian's group of printer admins.
constexpr const char* kDefaultAdminGroup = "lpadmin";

bool IsLoopback(const std::string& host) { return host == "localhost" || host == "127.0.0.1" || host == "::1"; }

// PAPPL makes a user's socket in the temporary folder open to everyone (mode 0777), and whoever reaches a local
// socket administers: the user's own server is the user's alone. The socket exists once the server runs.
bool CloseUserSocket(pappl_system_t* system, void* /*data*/) {
  const std::string socket =
      std::string(papplGetTempDir()) + "/quorvelprint" + std::to_string(::getuid()) + ".sock";
  if (::chmod(socket.c_str(), 0700) != 0 && errno != ENOENT) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Cannot close %s to other users: %s", socket.c_str(), std::strerror(errno));
  }
  return false;  // once
}

bool SaveState(pappl_system_t* system, void* data) {
  return papplSystemSaveState(system, static_cast<const std::string*>(data)->c_str());
}

std::vector<pappl_pr_driver_t>& TheDrivers() {
  static std::vector<pappl_pr_driver_t> drivers = print_app::Drivers();
  return drivers;
}

pappl_system_t* CreateSystem(int numOptions, cups_option_t* options, void* /*data*/) {
  if (::geteuid() == 0) {
    std::fputs("quorvelprint: will not run as root: start it as the quorvelprint service "
               "(systemctl start quorvelprint) or as an ordinary user\n", stderr);
    return nullptr;
  }
  std::map<std::string, std::string> named;
  for (int i = 0; i < numOptions; ++i) named[options[i].name] = options[i].value;
  print_app::ServerOptions server;
  if (const std::string problem = print_app::ParseServerOptions(named, Environment(), server); !problem.empty()) {
    std::fprintf(stderr, "quorvelprint: %s\n", problem.c_str());
    return nullptr;
  }
  std::error_code error;
  std::filesystem::create_directories(server.stateDir + "/spool", error);
  if (error) {
    std::fprintf(stderr, "quorvelprint: cannot make the state folder %s: %s\n", server.stateDir.c_str(),
                 error.message().c_str());
    return nullptr;
  }
  ::chmod(server.stateDir.c_str(), 0700);
  ::chmod((server.stateDir + "/spool").c_str(), 0700);
  const std::string logFile = server.logFile.empty() ? server.stateDir + "/quorvelprint.log" : server.logFile;

  pappl_soptions_t soptions = PAPPL_SOPTIONS_NO_TLS;
  if (server.multiQueue) soptions |= PAPPL_SOPTIONS_MULTI_QUEUE;
  if (server.webInterface) soptions |= PAPPL_SOPTIONS_WEB_INTERFACE;
  if (server.webRemote) soptions |= PAPPL_SOPTIONS_WEB_REMOTE;

  print_app::AppSettings& settings = print_app::TheApp().settings;
  settings.stallLimit = server.stallLimit;
  settings.sensorSettle = server.sensorSettle;
  settings.autoAdd = server.autoAdd;

  pappl_system_t* system = papplSystemCreate(soptions, "quorvelprint", server.port, "_print,_universal",
                                             (server.stateDir + "/spool").c_str(), logFile.c_str(),
                                             LogLevel(server.logLevel),
                                             server.authService.empty() ? nullptr : server.authService.c_str(), false);
  if (!system) return nullptr;
  // PAPPL (1.3 and 1.4) looks a web page's footer up in the page's language without checking that there is one:
  // with none set, a page that ends with it takes the server down.
  papplSystemSetFooterHTML(system, "quorvelprint " QUORVELPRINT_VERSION);
  static std::string adminGroup;
  adminGroup = server.adminGroup.empty() ? kDefaultAdminGroup : server.adminGroup;
  papplSystemSetAdminGroup(system, adminGroup.c_str());
  if (server.authService.empty() && IsLoopback(server.listenHost)) {
    papplSystemSetAuthCallback(system, "Basic", print_app::AuthorizeLocalAdmin, &adminGroup);
  } else if (server.authService.empty()) {
    // PAPPL asks clients on other machines for TLS once a callback decides: that would stop them printing here.
    papplLog(system, PAPPL_LOGLEVEL_WARN, "Listening on %s: every user of this machine may administer the printers "
             "through http://localhost; set auth-service to restrict it.", server.listenHost.c_str());
  }
  if (!server.serverHostName.empty()) papplSystemSetHostName(system, server.serverHostName.c_str());
  if (!server.privateServer && !papplSystemAddListeners(system, server.listenHost.c_str())) {
    std::fprintf(stderr, "quorvelprint: cannot listen on %s:%d\n", server.listenHost.c_str(), server.port);
    papplSystemDelete(system);
    return nullptr;
  }
  if (!server.socketFile.empty() && !papplSystemAddListeners(system, server.socketFile.c_str())) {
    std::fprintf(stderr, "quorvelprint: cannot listen on %s\n", server.socketFile.c_str());
    papplSystemDelete(system);
    return nullptr;
  }
  papplSystemSetPrinterDrivers(system, static_cast<int>(TheDrivers().size()), TheDrivers().data(), nullptr,
                               print_app::AddPrinterPages, print_app::FillDriverData, nullptr);
  papplSystemAddMIMEFilter(system, "image/png", print_app::kRawFormat, print_app::FilterPng, nullptr);
  static std::string stateFile;
  stateFile = server.stateDir + "/quorvelprint.state";
  papplSystemLoadState(system, stateFile.c_str());
  papplSystemSetSaveCallback(system, SaveState, &stateFile);
  papplSystemAddTimerCallback(system, 0, 0, CloseUserSocket, nullptr);
  if (settings.autoAdd) {
    papplSystemAddTimerCallback(system, 0, print_app::kHotplugLookSeconds, print_app::LookForNewPrinters, nullptr);
  }
  return system;
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything else, so that PAPPL adds no scheme of its own (file:// among them).
  print_app::RegisterDeviceSchemes();
  const int status = papplMainloop(argc, argv, QUORVELPRINT_VERSION, nullptr,
                                   static_cast<int>(TheDrivers().size()), TheDrivers().data(), nullptr,
                                   print_app::FillDriverData, nullptr, nullptr, CreateSystem, nullptr, nullptr);
  print_app::StopLookingForPrinters();
  return status;
}
