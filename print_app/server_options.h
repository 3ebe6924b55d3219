#pragma once
// The server's `-o name=value` options: PAPPL's usual ones with this program's defaults (localhost only, no TLS,
// its own state folder), and its own (stall-limit, auto-add, socket-file).
#include <chrono>
#include <map>
#include <optional>
#include <string>

namespace print_app {

struct ServerOptions {
  int port = 0;                      // 0: PAPPL chooses
  std::string listenHost = "localhost";
  std::string serverHostName;        // the name in the printer URIs it reports; empty: the machine's
  std::string stateDir;              // the saved printers and the spool under it
  std::string logFile;               // empty: in the state folder; "-" for standard error
  std::string logLevel = "warn";
  bool webInterface = true;
  bool webRemote = false;
  bool multiQueue = true;
  std::string adminGroup;
  std::string authService;           // PAM service for remote admins; none: administration over the local socket only
  std::string socketFile;            // a further local socket, as the service's
  std::chrono::seconds stallLimit{300};
  std::chrono::seconds sensorSettle{15};  // after setting the sensor, before reading it back (as the main window)
  bool autoAdd = true;
  bool privateServer = false;        // started by a client command: no network listener
};

// `environment` gives STATE_DIRECTORY, XDG_STATE_HOME and HOME, in that order of preference, for the state folder.
// Returns the problem with the options as a sentence for the user; empty when they are all right.
std::string ParseServerOptions(const std::map<std::string, std::string>& options,
                               const std::map<std::string, std::string>& environment, ServerOptions& parsed);

}  // namespace print_app
