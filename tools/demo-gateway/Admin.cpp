#include "Admin.h"

#include "Actions.h"
#include "Controls.h"
#include "Gateway.h"
#include "PostRoute.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string_view>

namespace {

// Enough for any reply a client should refuse (a canned body is built in memory).
const std::int64_t kMaxCannedBytes = 64 << 20;

const std::set<std::string> kTables = {"users",   "tokens",       "shops",     "orders",  "cards",
                                       "refunds", "print_orders", "print_log", "settings"};

bool fromLoopback(const httplib::Request& request)
{
    const std::string& address = request.remote_addr;
    return address.rfind("127.", 0) == 0 || address == "::1" || address.rfind("::ffff:127.", 0) == 0;
}

// 127.0.0.0/8 written as four decimal parts.
bool isLoopbackIPv4(std::string_view name)
{
    if (name.rfind("127.", 0) != 0)
        return false;
    for (int parts = 1;; ++parts) {
        const std::size_t dot = name.find('.');
        const std::optional<std::int64_t> part = parseDecimal(name.substr(0, dot));
        if (!part || *part > 255 || parts > 4)
            return false;
        if (dot == std::string_view::npos)
            return parts == 4;
        name.remove_prefix(dot + 1);
    }
}

// A Host header that names this machine's loopback interface and the port the request came in on
// (or no port, when that is the scheme's own). A page whose name was pointed at 127.0.0.1 (DNS
// rebinding) still sends its own name here.
bool namesLoopback(const std::string& host, int localPort)
{
    std::string_view name = host;
    std::string_view port;
    const std::size_t close = host.rfind(']');
    const std::size_t colon = host.rfind(':');
    if (colon != std::string::npos && (close == std::string::npos || colon > close)) {
        name = std::string_view(host).substr(0, colon);
        port = std::string_view(host).substr(colon + 1);
    }
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower != "localhost" && lower != "[::1]" && !isLoopbackIPv4(lower))
        return false;
    if (port.empty())
        return localPort == 80 || localPort == 443;
    return parseDecimal(port) == std::optional<std::int64_t>(localPort);
}

std::optional<std::string> adminRefusal(const httplib::Request& request)
{
    if (!fromLoopback(request))
        return "test controls answer on the loopback interface only";
    if (!namesLoopback(request.get_header_value("Host"), request.local_port))
        return "test controls answer only to a Host of this machine's loopback address and port";
    // Browsers mark what a page sends: an Origin on every POST and cross-origin call, and
    // Sec-Fetch-Site on every request ("none" only for an address the user typed in).
    const std::string fetchSite = request.get_header_value("Sec-Fetch-Site");
    if (request.has_header("Origin") || (request.has_header("Sec-Fetch-Site") && fetchSite != "none"))
        return "test controls do not answer web pages";
    return std::nullopt;
}

// Admin parameters come from the query string only, so a canned body can never be read as one.
Form queryOf(const httplib::Request& request)
{
    const std::size_t mark = request.target.find('?');
    return Form::parse(mark == std::string::npos ? std::string_view()
                                                 : std::string_view(request.target).substr(mark + 1));
}

void reply(httplib::Response& response, const Json& body, int status = 200)
{
    response.status = status;
    response.set_content(body.dump(), "application/json; charset=utf-8");
}

void fail(httplib::Response& response, const std::string& message)
{
    reply(response, Json::object().set("error", message), 400);
}

// count=N: the next N requests (default 1); count=0: every request until reset.
std::optional<int> countOf(const Form& query)
{
    const std::optional<std::int64_t> count = parseDecimal(query.has("count") ? query.get("count") : "1");
    if (!count || *count > 1000000)
        return std::nullopt;
    return static_cast<int>(*count);
}

Json tableRows(Database& db, const std::string& table)
{
    Json rows = Json::array();
    auto statement = db.query("SELECT * FROM " + table + " ORDER BY rowid");
    while (statement.step()) {
        Json row = Json::object();
        for (int i = 0; i < statement.columnCount(); ++i) {
            if (statement.isNull(i))
                row.set(statement.columnName(i), Json());
            else if (statement.isInteger(i))
                row.set(statement.columnName(i), statement.integer(i));
            else
                row.set(statement.columnName(i), statement.text(i));
        }
        rows.push(std::move(row));
    }
    return rows;
}

} // namespace

bool refusedAdminRequest(const httplib::Request& request, httplib::Response& response)
{
    if (request.path.rfind("/admin/", 0) != 0)
        return false;
    const std::optional<std::string> refusal = adminRefusal(request);
    if (refusal)
        reply(response, Json::object().set("error", *refusal), 403);
    return refusal.has_value();
}

void registerAdminRoutes(httplib::Server& server, Gateway& gateway, Controls& controls)
{
    server.Get("/admin/controls",
               [&](const httplib::Request&, httplib::Response& response) { reply(response, controls.describe()); });

    postRoute(server, "/admin/delay", [&](const httplib::Request& request, httplib::Response& response) {
        const Form query = queryOf(request);
        std::optional<std::int64_t> ms;
        if (query.has("ms"))
            ms = parseDecimal(query.get("ms"));
        else if (const auto seconds = parseDecimal(query.get("seconds")))
            ms = *seconds * 1000;
        const std::optional<int> count = countOf(query);
        if (query.get("action").empty() || !ms || *ms > 600000 || !count)
            return fail(response, "usage: POST /admin/delay?action=NAME&seconds=N (or ms=N)[&count=N]");
        controls.setDelay(query.get("action"), static_cast<int>(*ms), *count);
        reply(response, controls.describe());
    });

    postRoute(server, "/admin/respond", [&](const httplib::Request& request, httplib::Response& response) {
        const Form query = queryOf(request);
        Controls::CannedReply canned;
        const std::optional<std::int64_t> status = parseDecimal(query.has("status") ? query.get("status") : "200");
        const std::optional<int> count = countOf(query);
        const std::optional<std::int64_t> size = query.has("size") ? parseDecimal(query.get("size")) : 0;
        const std::optional<std::int64_t> cut = query.has("cut") ? parseDecimal(query.get("cut")) : 0;
        if (query.get("action").empty() || !status || *status < 100 || *status > 599 || !count || !size ||
            *size > kMaxCannedBytes || (query.has("size") && request.body.empty()) || !cut)
            return fail(response, "usage: POST /admin/respond?action=NAME[&status=N][&type=T][&execute=1][&count=N]"
                                  "[&size=BYTES][&cut=BYTES] with the reply body as the request body");
        canned.status = static_cast<int>(*status);
        canned.body = request.body;
        // A body bigger than a control may carry: the one given, repeated up to the size asked for.
        if (query.has("size")) {
            canned.body.clear();
            canned.body.reserve(static_cast<std::size_t>(*size));
            while (canned.body.size() < static_cast<std::size_t>(*size))
                canned.body += request.body;
            canned.body.resize(static_cast<std::size_t>(*size));
        }
        if (query.has("cut"))
            canned.cut = static_cast<std::size_t>(*cut);
        if (query.has("type"))
            canned.contentType = query.get("type");
        canned.execute = query.get("execute") == "1";
        controls.setReply(query.get("action"), canned, *count);
        reply(response, controls.describe());
    });

    postRoute(server, "/admin/reset", [&](const httplib::Request&, httplib::Response& response) {
        controls.reset();
        controls.clearRequests();
        reply(response, controls.describe());
    });

    server.Get("/admin/requests", [&](const httplib::Request& request, httplib::Response& response) {
        reply(response, controls.requests(queryOf(request).get("action")));
    });

    server.Get("/admin/version", [&](const httplib::Request&, httplib::Response& response) {
        const std::string version =
            gateway.withStore([](Store& s) { return s.setting(kVersionSetting, kDefaultVersion); });
        reply(response, Json::object().set("version_code", version));
    });

    postRoute(server, "/admin/version", [&](const httplib::Request& request, httplib::Response& response) {
        const Form query = queryOf(request);
        if (!query.has("code"))
            return fail(response, "usage: POST /admin/version?code=3.0.2 (an empty code offers no version)");
        gateway.withStore([&](Store& s) { s.setSetting(kVersionSetting, query.get("code")); });
        reply(response, Json::object().set("version_code", query.get("code")));
    });

    postRoute(server, "/admin/print-orders", [&](const httplib::Request& request, httplib::Response& response) {
        const Form query = queryOf(request);
        const std::string uname = query.has("uname") ? query.get("uname") : "demo";
        const std::optional<Json> body = Json::parse(request.body);
        if (!body || !(body->isObject() || body->isArray()))
            return fail(response, "the body must be a JSON object or an array of objects");
        std::vector<Json> orders = body->isArray() ? body->items() : std::vector<Json>{*body};
        for (const Json& order : orders)
            if (!order.isObject())
                return fail(response, "every print order must be a JSON object");
        const std::optional<Json> ids = gateway.withStore([&](Store& s) -> std::optional<Json> {
            const std::optional<User> user = s.userByName(uname);
            if (!user)
                return std::nullopt;
            Database::Transaction transaction(s.db());
            Json queued = Json::array();
            for (const Json& order : orders)
                queued.push(s.queuePrintOrder(user->id, order.dump(), nowSeconds()));
            transaction.commit();
            return queued;
        });
        if (!ids)
            return fail(response, "no merchant " + uname);
        reply(response, Json::object().set("queued", *ids));
    });

    server.Get("/admin/rows", [&](const httplib::Request& request, httplib::Response& response) {
        const std::string table = queryOf(request).get("table");
        if (kTables.count(table) == 0)
            return fail(response, "usage: GET /admin/rows?table=users|tokens|shops|orders|cards|refunds|"
                                  "print_orders|print_log|settings");
        reply(response, gateway.withStore([&](Store& s) { return tableRows(s.db(), table); }));
    });
}
