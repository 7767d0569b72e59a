#include "Gateway.h"

#include "Actions.h"

#include <httplib.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>

namespace {

const Action kActions[] = {
    {"Share.Ace.login", false, false, login},
    {"Share.App.update", false, false, checkUpdate},
    {"Pay.Ace.scanpay", false, false, scanPay},
    {"Account.Shop.listShop", true, false, listShops},
    {"Account.Print.orders", true, false, printOrders},
    {"Account.Print.doprint", true, false, reportPrinted},
    {"Account.Pay.docard", true, false, registerCard},
    {"Account.Pay.listPay", true, false, listPayments},
    {"Account.Pay.refund", true, true, refund},
    {"Account.Pay.cards", true, false, listCards},
    {"Account.Print.prinTtime", true, false, proposePrintPeriod},
    {"Account.Pay.listSum", true, false, sumPeriod},
    {"Account.Print.logPrint", true, false, logPrintedPeriod},
    {"Share.Ace.editPassword", true, false, editPassword},
    {"Share.Ace.editRefundPassword1", true, false, editRefundPassword1},
    {"Share.Ace.getQuestion", true, false, getQuestion},
    {"Share.Ace.setRefundPassword", true, false, setRefundPassword},
    {"Share.Ace.editRefundPassword", true, false, editRefundPassword},
};

Json wrap(Json reply, bool topLevel)
{
    return topLevel ? reply : Json::object().set("content", std::move(reply));
}

// The fields that carry a password (login, refund, and the old and new ones of every change) or
// the security answer. The request log shows a value of theirs as "***", as the client's own log
// does; an empty one stays empty.
const char* const kSecretFields[] = {"pword", "re_password", "oldpwd", "pwd", "answer"};
const char* const kBlanked = "***";

bool isSecret(const std::string& name)
{
    return std::any_of(std::begin(kSecretFields), std::end(kSecretFields),
                       [&](const char* secret) { return name == secret; });
}

// The raw body with the value of every secret field blanked, each occurrence of it (a field is
// known by its decoded name, as the form decoder reads it).
std::string blankSecrets(std::string_view body)
{
    std::string out;
    out.reserve(body.size());
    while (true) {
        const std::size_t amp = body.find('&');
        const std::string_view pair = body.substr(0, amp);
        const std::size_t eq = pair.find('=');
        if (eq != std::string_view::npos && eq + 1 < pair.size() && isSecret(percentDecode(pair.substr(0, eq))))
            out.append(pair.substr(0, eq + 1)).append(kBlanked);
        else
            out.append(pair);
        if (amp == std::string_view::npos)
            return out;
        out += '&';
        body.remove_prefix(amp + 1);
    }
}

} // namespace

const Action* findAction(const std::string& name)
{
    for (const Action& action : kActions)
        if (name == action.name)
            return &action;
    return nullptr;
}

Json result(int code, const std::string& msg)
{
    return Json::object().set("code", code).set("msg", msg);
}

Gateway::Gateway(Store& store, Controls& controls, bool logRequests, bool logPasswords)
    : m_store(store), m_controls(controls), m_logRequests(logRequests), m_logPasswords(logPasswords)
{}

std::string Gateway::run(const std::string& actionName, const Form& form, std::int64_t now)
{
    const Action* action = findAction(actionName);
    if (!action)
        return wrap(result(0, "未知操作"), false).dump();

    std::lock_guard<std::mutex> lock(m_mutex);
    std::optional<User> user;
    if (action->needsToken) {
        user = m_store.userByToken(form.get("token"));
        if (!user) {
            const std::string msg = "登录已失效，请重新登录";
            return wrap(result(-1, msg).set("respType", msg), action->topLevelReply).dump();
        }
    }
    Database::Transaction transaction(m_store.db());
    ActionContext context{m_store, form, user ? &*user : nullptr, now};
    const Json reply = action->handler(context);
    transaction.commit();
    return wrap(reply, action->topLevelReply).dump();
}

void Gateway::handle(const httplib::Request& request, httplib::Response& response)
{
    const Form form = Form::parse(request.body);
    const std::string action = form.get("action");
    const std::int64_t now = nowSeconds();
    Json fields = Json::object();
    for (const auto& [key, value] : form.fields())
        fields.set(key, m_logPasswords || value.empty() || !isSecret(key) ? value : kBlanked);
    m_controls.record(action, fields, m_logPasswords ? request.body : blankSecrets(request.body), now);

    const Controls::Plan plan = m_controls.take(action);
    if (plan.delayMs > 0)
        m_controls.sleep(plan.delayMs); // holds no lock: other requests go on meanwhile

    // A canned reply replaces the action's own; with "execute" the action runs all the same.
    Controls::CannedReply out;
    if (!plan.reply || plan.reply->execute) {
        try {
            out.body = run(action, form, nowSeconds()); // after any delay: the action happens now
        } catch (const std::exception& error) {
            std::fprintf(stderr, "demo-gateway: %s failed: %s\n", action.c_str(), error.what());
            out.status = 500;
            out.body = wrap(result(0, "服务器内部错误"), false).dump();
        }
    }
    if (plan.reply)
        out = *plan.reply;
    response.status = out.status;
    if (out.cut) {
        // The headers promise the whole body; the connection closes after the first `cut` bytes.
        const std::size_t cut = std::min(*out.cut, out.body.size());
        response.set_content_provider(
            out.body.size(), out.contentType,
            [body = out.body, cut](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                if (offset < cut)
                    sink.write(body.data() + offset, std::min(length, cut - offset));
                return offset < cut && offset + length <= cut;
            });
    } else {
        response.set_content(out.body, out.contentType.c_str());
    }
    if (m_logRequests) {
        std::fprintf(stderr, "demo-gateway: %s %s -> %d%s%s\n", formatLocalTime(now, "%H:%M:%S").c_str(),
                     action.empty() ? "(no action)" : action.c_str(), out.status, plan.delayMs ? " (delayed)" : "",
                     plan.reply ? " (canned)" : "");
    }
}
