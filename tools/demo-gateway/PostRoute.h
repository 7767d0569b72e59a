#pragma once

#include <functional>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

// Registers a POST route whose handler sees the whole body in `request.body`. A POST that carries
// neither Content-Length nor chunked encoding has no body (curl -X POST, or a client that leaves the
// header out for an empty form): it is handled at once with an empty body, where cpp-httplib on its
// own would wait for the client to close and then answer 400.
void postRoute(httplib::Server& server, const std::string& pattern,
               std::function<void(const httplib::Request&, httplib::Response&)> handler);
