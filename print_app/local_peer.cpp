#include "print_app/local_peer.h"

#include <charconv>
#include <sstream>
#include <string>

namespace print_app {
namespace {

// "0100007F:21CA" gives 0x21CA.
std::optional<unsigned> PortOf(const std::string& address) {
  const size_t colon = address.rfind(':');
  if (colon == std::string::npos) return std::nullopt;
  unsigned port = 0;
  const char* first = address.data() + colon + 1;
  const char* last = address.data() + address.size();
  const auto [end, error] = std::from_chars(first, last, port, 16);
  if (error != std::errc() || end != last || first == last) return std::nullopt;
  return port;
}

}  // namespace

std::optional<unsigned> SocketOwner(std::string_view table, unsigned clientPort, unsigned serverPort) {
  std::istringstream lines{std::string(table)};
  std::string line;
  std::getline(lines, line);  // the heading
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state, queues, timer, retransmits, uid;
    if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits >> uid)) continue;
    if (PortOf(local) != clientPort || PortOf(remote) != serverPort) continue;
    unsigned owner = 0;
    const auto [end, error] = std::from_chars(uid.data(), uid.data() + uid.size(), owner);
    if (error == std::errc() && end == uid.data() + uid.size()) return owner;
  }
  return std::nullopt;
}

}  // namespace print_app
