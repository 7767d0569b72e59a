#include "Controls.h"

#include <chrono>

namespace {

// Enough for any test's look-back; the oldest entries go first.
const std::size_t kRequestLogSize = 1000;
// A canned body of many megabytes is described by its beginning and its size.
const std::size_t kDescribedBodyBytes = 1024;

Json countJson(int remaining)
{
    return remaining == 0 ? Json("sticky") : Json(remaining);
}

} // namespace

void Controls::setDelay(const std::string& action, int delayMs, int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_delays[action] = {delayMs, count};
}

void Controls::setReply(const std::string& action, const CannedReply& reply, int count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_replies[action] = {reply, count};
}

void Controls::reset()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_delays.clear();
    m_replies.clear();
}

template <typename T>
std::optional<T> Controls::use(std::map<std::string, Control<T>>& controls, const std::string& action)
{
    auto it = controls.find(action);
    if (it == controls.end())
        it = controls.find("*");
    if (it == controls.end())
        return std::nullopt;
    T value = it->second.value;
    if (it->second.remaining > 0 && --it->second.remaining == 0)
        controls.erase(it);
    return value;
}

Controls::Plan Controls::take(const std::string& action)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Plan plan;
    plan.delayMs = use(m_delays, action).value_or(0);
    plan.reply = use(m_replies, action);
    return plan;
}

void Controls::sleep(int ms)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

void Controls::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
}

void Controls::record(const std::string& action, const Json& fields, const std::string& body, std::int64_t now)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Json entry = Json::object();
    entry.set("seq", ++m_requestCount).set("time", now).set("action", action).set("fields", fields).set("body", body);
    m_requests.push_back(std::move(entry));
    if (m_requests.size() > kRequestLogSize)
        m_requests.pop_front();
}

Json Controls::requests(const std::string& action) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Json list = Json::array();
    for (const Json& entry : m_requests)
        if (action.empty() || entry.find("action")->text() == action)
            list.push(entry);
    return list;
}

void Controls::clearRequests()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.clear();
}

Json Controls::describe() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Json delays = Json::array();
    for (const auto& [action, control] : m_delays) {
        delays.push(
            Json::object().set("action", action).set("ms", control.value).set("count", countJson(control.remaining)));
    }
    Json replies = Json::array();
    for (const auto& [action, control] : m_replies) {
        replies.push(Json::object()
                         .set("action", action)
                         .set("status", control.value.status)
                         .set("type", control.value.contentType)
                         .set("body", control.value.body.substr(0, kDescribedBodyBytes))
                         .set("size", static_cast<std::int64_t>(control.value.body.size()))
                         .set("execute", control.value.execute)
                         .set("cut", control.value.cut ? Json(static_cast<std::int64_t>(*control.value.cut)) : Json())
                         .set("count", countJson(control.remaining)));
    }
    return Json::object().set("delays", delays).set("replies", replies);
}
