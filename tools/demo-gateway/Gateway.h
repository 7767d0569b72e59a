#pragma once

#include "Controls.h"
#include "Store.h"
#include "Wire.h"

#include <mutex>
#include <string>

namespace httplib {
struct Request;
struct Response;
} // namespace httplib

// The gateway endpoint: decodes a form-encoded action request, applies the test controls, runs the
// action against the store and writes the JSON reply.
class Gateway
{
public:
    // logRequests: a line on stderr for each request. logPasswords: the request log of the test
    // controls keeps passwords in clear (for tests that check what a client sent as one).
    Gateway(Store& store, Controls& controls, bool logRequests, bool logPasswords);

    void handle(const httplib::Request& request, httplib::Response& response);

    // Runs `f(store)` under the lock every action holds; used by the test controls.
    template <typename F> auto withStore(F&& f)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return f(m_store);
    }

private:
    // The reply body of one action.
    std::string run(const std::string& actionName, const Form& form, std::int64_t now);

    Store& m_store;
    Controls& m_controls;
    bool m_logRequests;
    bool m_logPasswords;
    std::mutex m_mutex;
};
