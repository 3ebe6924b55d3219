#pragma once
// Who administers the server. Over the local socket: whoever may reach it (the socket folder's group). Over TCP on
// this machine: the admin group, root and the server's own user, told by the owner of the client's socket; every
// user may still print, follow and cancel jobs, and read the printers' state.
#include <pappl/pappl.h>

#include <string>

namespace print_app {

// For papplSystemSetAuthCallback; `data` is the admin group's name (a std::string that outlives the system).
http_status_t AuthorizeLocalAdmin(pappl_client_t* client, const char* group, gid_t groupId, void* data);

}  // namespace print_app
