#include "PostRoute.h"

#include "Json.h"

#include <httplib.h>

#include <algorithm>

namespace {

// The rest of the body is never read, so the connection closes once the reply is out (cpp-httplib
// would read on and take the body for the next request): a content provider that reports failure
// after writing everything ends it.
void refuse(httplib::Response& response, int status, const std::string& message)
{
    response.status = status;
    response.set_header("Connection", "close");
    const std::string body = Json::object().set("error", message).dump();
    response.set_content_provider(body.size(), "application/json; charset=utf-8",
                                  [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                      sink.write(body.data() + offset, length);
                                      return false;
                                  });
}

void refuseTooLarge(httplib::Response& response)
{
    refuse(response, 413, "a request body may be 1 MiB at most");
}

} // namespace

void postRoute(httplib::Server& server, const std::string& pattern,
               std::function<void(const httplib::Request&, httplib::Response&)> handler)
{
    server.Post(pattern, [handler = std::move(handler)](const httplib::Request& request, httplib::Response& response,
                                                        const httplib::ContentReader& readContent) {
        httplib::Request whole = request;
        if (request.has_header("Content-Length") || request.has_header("Transfer-Encoding")) {
            bool tooLarge = false;
            const bool read = readContent([&](const char* data, std::size_t length) {
                tooLarge = length > kMaxBodyBytes - whole.body.size();
                if (!tooLarge)
                    whole.body.append(data, length);
                return !tooLarge;
            });
            if (tooLarge)
                return refuseTooLarge(response);
            // Cut short: the reader has already set the error status (400).
            if (!read)
                return;
        }
        handler(whole, response);
    });
}

void postFallback(httplib::Server& server)
{
    postRoute(server, ".*", [](const httplib::Request&, httplib::Response& response) { response.status = 404; });
}

bool refusedBody(const httplib::Request& request, httplib::Response& response)
{
    if (request.method != "GET" && request.method != "HEAD" && request.method != "POST") {
        refuse(response, 405, "only GET, HEAD and POST are served");
        return true;
    }
    if (!request.has_header("Content-Length"))
        return false;
    const std::string length = request.get_header_value("Content-Length");
    if (length.empty() || length.find_first_not_of("0123456789") != std::string::npos) {
        refuse(response, 400, "Content-Length is not a number");
        return true;
    }
    const std::size_t digits = length.size() - std::min(length.find_first_not_of('0'), length.size());
    if (digits > 7 || std::stoul(length) > kMaxBodyBytes) {
        refuseTooLarge(response);
        return true;
    }
    return false;
}
