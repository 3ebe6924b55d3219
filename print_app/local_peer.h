#pragma once
// Who is at the other end of a TCP connection from this machine: the kernel's socket tables (/proc/net/tcp and
// tcp6) name the owner of the client's end. The web interface and IPP on localhost are otherwise open to every
// user of the machine; with this, only the admin group administers there.
#include <optional>
#include <string_view>

namespace print_app {

// The owner (user number) of the socket whose local port is `clientPort` and remote port `serverPort`, in the text
// of /proc/net/tcp or /proc/net/tcp6; none when no line matches.
std::optional<unsigned> SocketOwner(std::string_view table, unsigned clientPort, unsigned serverPort);

}  // namespace print_app
