#include "PostRoute.h"

#include <httplib.h>

void postRoute(httplib::Server& server, const std::string& pattern,
               std::function<void(const httplib::Request&, httplib::Response&)> handler)
{
    server.Post(pattern, [handler = std::move(handler)](const httplib::Request& request, httplib::Response& response,
                                                        const httplib::ContentReader& readContent) {
        httplib::Request whole = request;
        if (request.has_header("Content-Length") || request.has_header("Transfer-Encoding")) {
            const bool read = readContent([&whole](const char* data, std::size_t length) {
                whole.body.append(data, length);
                return true;
            });
            // Too large or cut short: the reader has already set the error status (413 or 400).
            if (!read)
                return;
        }
        handler(whole, response);
    });
}
