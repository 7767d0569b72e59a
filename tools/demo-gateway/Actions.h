#pragma once

#include "Json.h"
#include "Store.h"
#include "Wire.h"

#include <string>

// The gateway's actions. Each handler gets the decoded form and, for the actions that carry a token,
// the merchant it belongs to, and returns the reply's "content" object (for the refund: the whole
// reply, whose "code" and "msg" sit at the top level). Handlers run inside one database transaction.

struct ActionContext
{
    Store& store;
    const Form& form;
    const User* user; // null for the actions without a token
    std::int64_t now;
};

struct Action
{
    const char* name;
    bool needsToken;
    bool topLevelReply;
    Json (*handler)(ActionContext&);
};

// The action of that name, or null.
const Action* findAction(const std::string& name);

// {"code": code, "msg": msg}, the shape of most replies.
Json result(int code, const std::string& msg);

// Shared by the reply builders.
const char* const kVersionSetting = "version_code";
const char* const kDefaultVersion = "3.0.1";

// AccountActions.cpp
Json login(ActionContext& c);
Json checkUpdate(ActionContext& c);
Json listShops(ActionContext& c);
Json editPassword(ActionContext& c);
Json editRefundPassword1(ActionContext& c);
Json getQuestion(ActionContext& c);
Json setRefundPassword(ActionContext& c);
Json editRefundPassword(ActionContext& c);

// PaymentActions.cpp
Json scanPay(ActionContext& c);
Json registerCard(ActionContext& c);
Json listPayments(ActionContext& c);
Json refund(ActionContext& c);
Json listCards(ActionContext& c);

// PrintActions.cpp
Json printOrders(ActionContext& c);
Json reportPrinted(ActionContext& c);
Json proposePrintPeriod(ActionContext& c);
Json logPrintedPeriod(ActionContext& c);
Json sumPeriod(ActionContext& c);
