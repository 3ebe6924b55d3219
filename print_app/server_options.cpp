#include "print_app/server_options.h"

#include <charconv>
#include <set>
#include <sstream>

namespace print_app {
namespace {

std::optional<long> Number(const std::string& text) {
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<bool> Boolean(const std::string& text) {
  if (text == "true" || text == "yes" || text == "on") return true;
  if (text == "false" || text == "no" || text == "off") return false;
  return std::nullopt;
}

std::string Value(const std::map<std::string, std::string>& map, const std::string& key) {
  const auto found = map.find(key);
  return found == map.end() ? std::string() : found->second;
}

}  // namespace

std::string ParseServerOptions(const std::map<std::string, std::string>& options,
                               const std::map<std::string, std::string>& environment, ServerOptions& parsed) {
  for (const auto& [name, value] : options) {
    if (name == "server-port") {
      const auto port = Number(value);
      if (!port || *port < 0 || *port > 65535) return "server-port takes a port number (1 to 65535), not '" + value + "'";
      parsed.port = static_cast<int>(*port);
    } else if (name == "listen-hostname") {
      parsed.listenHost = value;
    } else if (name == "server-hostname") {
      parsed.serverHostName = value;
    } else if (name == "spool-directory" || name == "state-directory") {
      parsed.stateDir = value;
    } else if (name == "log-file") {
      parsed.logFile = value;
    } else if (name == "log-level") {
      static const std::set<std::string> kLevels{"fatal", "error", "warn", "info", "debug"};
      if (!kLevels.count(value)) return "log-level takes fatal, error, warn, info or debug, not '" + value + "'";
      parsed.logLevel = value;
    } else if (name == "server-options") {
      std::istringstream words(value);
      std::string word;
      while (std::getline(words, word, ',')) {
        if (word == "no-web-interface") parsed.webInterface = false;
        else if (word == "no-multi-queue") parsed.multiQueue = false;
        else if (word == "web-remote") parsed.webRemote = true;
        else if (word == "no-tls" || word == "none" || word.empty()) continue;  // TLS is never on: see the README
        else return "server-options does not know '" + word + "' (no-web-interface, no-multi-queue, web-remote)";
      }
    } else if (name == "admin-group") {
      parsed.adminGroup = value;
    } else if (name == "auth-service") {
      parsed.authService = value;
    } else if (name == "socket-file") {
      if (value.empty() || value[0] != '/') return "socket-file takes an absolute path, not '" + value + "'";
      parsed.socketFile = value;
    } else if (name == "stall-limit") {
      const auto seconds = Number(value);
      if (!seconds || *seconds < 1 || *seconds > 86400) {
        return "stall-limit takes a number of seconds (1 to 86400), not '" + value + "'";
      }
      parsed.stallLimit = std::chrono::seconds(*seconds);
    } else if (name == "sensor-settle") {
      const auto seconds = Number(value);
      if (!seconds || *seconds < 0 || *seconds > 600) {
        return "sensor-settle takes a number of seconds (0 to 600), not '" + value + "'";
      }
      parsed.sensorSettle = std::chrono::seconds(*seconds);
    } else if (name == "auto-add") {
      const auto on = Boolean(value);
      if (!on) return "auto-add takes true or false, not '" + value + "'";
      parsed.autoAdd = *on;
    } else if (name == "private-server") {
      parsed.privateServer = true;
    }
    // Other names are the client commands' own (printer-name, device-uri, ...), not the server's.
  }
  if (parsed.stateDir.empty()) {
    if (const std::string state = Value(environment, "STATE_DIRECTORY"); !state.empty()) {
      parsed.stateDir = state.substr(0, state.find(':'));  // systemd lists several folders with ':'
    } else if (const std::string xdg = Value(environment, "XDG_STATE_HOME"); !xdg.empty()) {
      parsed.stateDir = xdg + "/quorvelprint";
    } else if (const std::string home = Value(environment, "HOME"); !home.empty()) {
      parsed.stateDir = home + "/.local/state/quorvelprint";
    } else {
      return "no folder for the printers' state: set HOME, XDG_STATE_HOME or -o state-directory=DIR";
    }
  }
  return {};
}

}  // namespace print_app
