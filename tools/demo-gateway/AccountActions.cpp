// Login, version check, shop list and the password actions.

#include "Actions.h"
#include "Secret.h"

namespace {

const char* const kSuccess = "Success";

// The refund-password actions answer with "respType": "Success", or the reason as text.
Json respType(const std::string& type)
{
    return Json::object()
        .set("code", type == kSuccess ? 1 : 0)
        .set("respType", type)
        .set("msg", type == kSuccess ? std::string("操作成功") : type);
}

bool lettersAndDigits(const std::string& text)
{
    for (const char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    return true;
}

// Checks a new password and its repetition; returns the reason it is refused, or "".
std::string newPasswordProblem(const Form& form)
{
    const std::string& pword = form.get("pword");
    if (utf8Length(pword) < 6)
        return "新密码至少6位";
    if (pword != form.get("re_password"))
        return "两次密码不一致";
    return "";
}

// The password actions name the account they change; it has to be the one logged in.
bool sameAccount(const ActionContext& c)
{
    return c.form.get("uname") == c.user->uname;
}

} // namespace

Json login(ActionContext& c)
{
    const std::string& uname = c.form.get("uname");
    const std::string& pword = c.form.get("pword");
    if (uname.empty() || pword.empty())
        return result(0, "账号和密码不能为空");
    const std::optional<User> user = c.store.userByName(uname);
    if (!user || !checkSecret(user->pword, pword))
        return result(0, "账号或密码错误");
    return result(1, "登录成功")
        .set("token", c.store.issueToken(user->id, c.now))
        .set("id", std::to_string(user->id))
        .set("uname", user->uname)
        .set("rname", user->rname)
        .set("company", user->company);
}

Json checkUpdate(ActionContext& c)
{
    const std::string version = c.store.setting(kVersionSetting, kDefaultVersion);
    if (version.empty())
        return result(0, "没有可用的版本");
    return result(1, "有可用的版本").set("version_code", version);
}

Json listShops(ActionContext& c)
{
    Json list = Json::array();
    for (const Shop& shop : c.store.shops(c.user->id)) {
        list.push(Json::object()
                      .set("shopid", std::to_string(shop.id))
                      .set("main_name", shop.mainName)
                      .set("branch_name", shop.branchName));
    }
    return result(1, "成功").set("listshop", list);
}

Json editPassword(ActionContext& c)
{
    if (!sameAccount(c))
        return result(0, "账号不符");
    const std::string problem = newPasswordProblem(c.form);
    if (!problem.empty())
        return result(0, problem);
    // The login window accepts letters and digits only: any other password could never be typed.
    if (!lettersAndDigits(c.form.get("pword")))
        return result(0, "密码只能由字母和数字组成");
    c.store.setLoginPassword(c.user->id, c.form.get("pword"));
    return result(1, "密码修改成功");
}

Json editRefundPassword1(ActionContext& c)
{
    if (!sameAccount(c))
        return respType("账号不符");
    if (c.user->refundPwd.empty())
        return respType("尚未设置退款密码");
    if (!checkSecret(c.user->refundPwd, c.form.get("oldpwd")))
        return respType("原退款密码错误");
    const std::string problem = newPasswordProblem(c.form);
    if (!problem.empty())
        return respType(problem);
    c.store.setRefundPassword(c.user->id, c.form.get("pword"));
    return respType(kSuccess);
}

Json getQuestion(ActionContext& c)
{
    return result(1, "成功").set("refundquestion", c.user->question);
}

Json setRefundPassword(ActionContext& c)
{
    if (!sameAccount(c))
        return respType("账号不符");
    // Once a question is set, the refund password can only be reset by answering it.
    if (!c.user->question.empty())
        return respType("已设置过密保问题，请回答问题重设退款密码");
    const std::string& question = c.form.get("question");
    const std::string& answer = c.form.get("answer");
    if (utf8Length(question) < 6)
        return respType("问题至少6个字");
    if (utf8Length(answer) < 2)
        return respType("答案至少2个字");
    const std::string problem = newPasswordProblem(c.form);
    if (!problem.empty())
        return respType(problem);
    c.store.setSecurityQuestion(c.user->id, question, answer);
    c.store.setRefundPassword(c.user->id, c.form.get("pword"));
    return respType(kSuccess);
}

Json editRefundPassword(ActionContext& c)
{
    if (!sameAccount(c))
        return respType("账号不符");
    if (c.user->question.empty())
        return respType("尚未设置密保问题");
    const std::string& question = c.form.get("question");
    if (!question.empty() && question != c.user->question)
        return respType("密保问题不符");
    if (!checkSecret(c.user->answer, c.form.get("answer")))
        return respType("密保答案错误");
    const std::string problem = newPasswordProblem(c.form);
    if (!problem.empty())
        return respType(problem);
    c.store.setRefundPassword(c.user->id, c.form.get("pword"));
    return respType(kSuccess);
}
