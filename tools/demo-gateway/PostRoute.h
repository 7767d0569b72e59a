#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

// The most any request may carry as its body (a gateway form, a control's canned reply).
constexpr std::size_t kMaxBodyBytes = 1 << 20;

// Registers a POST route whose handler sees the whole body in `request.body`. A POST that carries
// neither Content-Length nor chunked encoding has no body (curl -X POST, or a client that leaves the
// header out for an empty form): it is handled at once with an empty body, where cpp-httplib on its
// own would wait for the client to close and then answer 400. A body, chunked or not, is refused
// with 413 as soon as it passes kMaxBodyBytes.
void postRoute(httplib::Server& server, const std::string& pattern,
               std::function<void(const httplib::Request&, httplib::Response&)> handler);

// Answers 404 to a POST no route takes, reading its body under the same bound. Registered last.
void postFallback(httplib::Server& server);

// Before any body is read: answers (and returns true) a request declaring a body over
// kMaxBodyBytes (413) and a method other than GET, HEAD and POST (405), whose body cpp-httplib
// would otherwise read into memory without a bound.
bool refusedBody(const httplib::Request& request, httplib::Response& response);
