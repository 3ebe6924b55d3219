#include "print_app/pappl/local_admin.h"

#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "print_app/local_peer.h"

namespace print_app {
namespace {

// What any user of the machine may do: print, follow and cancel jobs, read the printers' and the server's state.
bool OpenToEveryone(ipp_op_t operation) {
  switch (operation) {
    case IPP_OP_PRINT_JOB:
    case IPP_OP_VALIDATE_JOB:
    case IPP_OP_CREATE_JOB:
    case IPP_OP_SEND_DOCUMENT:
    case IPP_OP_CLOSE_JOB:
    case IPP_OP_CANCEL_JOB:
    case IPP_OP_CANCEL_MY_JOBS:
    case IPP_OP_GET_JOB_ATTRIBUTES:
    case IPP_OP_GET_JOBS:
    case IPP_OP_GET_PRINTER_ATTRIBUTES:
    case IPP_OP_GET_PRINTERS:
    case IPP_OP_GET_SYSTEM_ATTRIBUTES:
    case IPP_OP_CREATE_PRINTER_SUBSCRIPTIONS:
    case IPP_OP_CREATE_JOB_SUBSCRIPTIONS:
    case IPP_OP_GET_SUBSCRIPTION_ATTRIBUTES:
    case IPP_OP_GET_SUBSCRIPTIONS:
    case IPP_OP_RENEW_SUBSCRIPTION:
    case IPP_OP_CANCEL_SUBSCRIPTION:
    case IPP_OP_GET_NOTIFICATIONS:
    case IPP_OP_IDENTIFY_PRINTER:
      return true;
    default:
      return false;
  }
}

unsigned PortOf(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
  if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
  return 0;
}

std::optional<unsigned> PeerUser(int fd) {
  sockaddr_storage local{}, peer{};
  socklen_t localSize = sizeof local, peerSize = sizeof peer;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0 ||
      ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0) {
    return std::nullopt;
  }
  // An IPv4 client of a dual-stack listener shows in tcp6 too; look in both.
  for (const char* table : {"/proc/net/tcp6", "/proc/net/tcp"}) {
    std::ifstream file(table);
    std::ostringstream text;
    text << file.rdbuf();
    if (const auto owner = SocketOwner(text.str(), PortOf(peer), PortOf(local))) return owner;
  }
  return std::nullopt;
}

bool InGroup(unsigned user, gid_t group) {
  if (group == static_cast<gid_t>(-1)) return false;
  passwd entry{}, *found = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) return false;
  std::vector<gid_t> groups(64);
  int count = static_cast<int>(groups.size());
  if (::getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) return false;
  for (int i = 0; i < count; ++i) {
    if (groups[static_cast<size_t>(i)] == group) return true;
  }
  return false;
}

}  // namespace

http_status_t AuthorizeLocalAdmin(pappl_client_t* client, const char* group, gid_t groupId, void* data) {
  const auto& adminGroup = *static_cast<const std::string*>(data);
  // PAPPL asks the same question about printing, with the printer's print group (none unless the admin sets one).
  if (!group || adminGroup != group) return HTTP_STATUS_CONTINUE;
  if (OpenToEveryone(papplClientGetOperation(client))) return HTTP_STATUS_CONTINUE;
  const std::optional<unsigned> user = PeerUser(httpGetFd(papplClientGetHTTP(client)));
  if (!user) return HTTP_STATUS_FORBIDDEN;
  if (*user == 0 || *user == ::geteuid() || InGroup(*user, groupId)) return HTTP_STATUS_CONTINUE;
  papplLogClient(client, PAPPL_LOGLEVEL_WARN, "Refused administration to user %u, not in the group '%s'.", *user,
                 adminGroup.c_str());
  return HTTP_STATUS_FORBIDDEN;
}

}  // namespace print_app
