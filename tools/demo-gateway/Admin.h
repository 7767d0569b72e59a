#pragma once

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib
class Controls;
class Gateway;

// Registers the test controls under /admin/.
void registerAdminRoutes(httplib::Server& server, Gateway& gateway, Controls& controls);

// For a request under /admin/ that is not a program of this machine talking to it directly,
// answers 403 and returns true: one from another address, one whose Host is not the loopback
// address and port it came in on, and one a browser marks as sent by a web page (Origin,
// Sec-Fetch-Site), so that no page can read the request log or plant a canned reply.
bool refusedAdminRequest(const httplib::Request& request, httplib::Response& response);
