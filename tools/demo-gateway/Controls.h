#pragma once

#include "Json.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

// The test controls that shape how the gateway answers: delays and canned replies per action, and
// the log of requests received. Each control applies to the next `count` requests of its action
// (count 0: every request until reset). The action "*" stands for every action without a control
// of its own. Thread-safe.
class Controls
{
public:
    struct CannedReply
    {
        int status = 200;
        std::string body;
        std::string contentType = "application/json; charset=utf-8";
        bool execute = false; // run the action all the same (its state changes), then send this reply
        // Only this many bytes of the body go out (the headers announce all of it); then the
        // connection is closed, as when a link drops in the middle of a reply.
        std::optional<std::size_t> cut;
    };

    struct Plan
    {
        int delayMs = 0;
        std::optional<CannedReply> reply;
    };

    void setDelay(const std::string& action, int delayMs, int count);
    void setReply(const std::string& action, const CannedReply& reply, int count);
    void reset();

    // What to do with one request of `action`; uses up one turn of each control that applies.
    Plan take(const std::string& action);

    // Waits `ms` milliseconds, returning early once stop() has been called.
    void sleep(int ms);
    void stop();

    void record(const std::string& action, const Json& fields, const std::string& body, std::int64_t now);
    Json requests(const std::string& action) const;
    void clearRequests();

    Json describe() const;

private:
    template <typename T> struct Control
    {
        T value;
        int remaining; // 0: sticky
    };
    template <typename T>
    static std::optional<T> use(std::map<std::string, Control<T>>& controls, const std::string& action);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::map<std::string, Control<int>> m_delays;
    std::map<std::string, Control<CannedReply>> m_replies;
    std::deque<Json> m_requests;
    std::int64_t m_requestCount = 0;
};
