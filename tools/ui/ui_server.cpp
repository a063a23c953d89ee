#include "ui_server.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "json_text.h"
#include "page_assets.h"

namespace ui {

namespace {

constexpr char kContentSecurityPolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data: blob:; connect-src 'self'; "
    "base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

void AddSafetyHeaders(httplib::Response &response)
{
    response.set_header("Content-Security-Policy", kContentSecurityPolicy);
    response.set_header("X-Content-Type-Options", "nosniff");
    response.set_header("Referrer-Policy", "no-referrer");
    response.set_header("X-Frame-Options", "DENY");
    response.set_header("Cache-Control", "no-store");
}

RequestFacts FactsOf(const httplib::Request &request)
{
    RequestFacts facts;
    facts.method = request.method;
    facts.host = request.get_header_value("Host");
    facts.origin = request.get_header_value("Origin");
    facts.authorization = request.get_header_value("Authorization");
    facts.cookie = request.get_header_value("Cookie");
    if (request.path == "/" && request.method == "GET")
        facts.queryToken = request.get_param_value("token");
    return facts;
}

// GET /?token=T: the cookie, and the page without the token in its address.
void OpenPage(const httplib::Request &request, httplib::Response &response, const GuardRules &rules)
{
    if (request.has_param("token")) {
        response.set_header("Set-Cookie", rules.cookieName + "=" + rules.token +
                                              "; Path=/; HttpOnly; SameSite=Strict");
        response.set_redirect("/", 303);
        return;
    }
    response.set_content(PageAsset("index.html"), "text/html; charset=utf-8");
}

}  // namespace

void SendJson(httplib::Response &response, const std::string &json, int status)
{
    response.status = status;
    response.set_content(json, "application/json");
}

void SendRefusal(httplib::Response &response, int status, const std::string &error, const std::string &hint)
{
    SendJson(response, JsonText({{"error", error}, {"code", nullptr}, {"hint", hint}}), status);
}

void MountUi(httplib::Server &server, UiContext &context)
{
    server.set_pre_routing_handler([&context](const httplib::Request &request, httplib::Response &response) {
        AddSafetyHeaders(response);
        const GuardVerdict verdict = GuardRequest(FactsOf(request), context.rules);
        if (verdict.status == 0)
            return httplib::Server::HandlerResponse::Unhandled;
        SendRefusal(response, verdict.status, verdict.error,
                    verdict.status == 401 || verdict.error.rfind("wrong token", 0) == 0
                        ? "the address is the first line `tessalink ui` printed"
                        : "");
        return httplib::Server::HandlerResponse::Handled;
    });
    server.Get("/", [&context](const httplib::Request &request, httplib::Response &response) {
        OpenPage(request, response, context.rules);
    });
    server.Get("/app.js", [](const httplib::Request &, httplib::Response &response) {
        response.set_content(PageAsset("app.js"), "text/javascript; charset=utf-8");
    });
    server.Get("/app.css", [](const httplib::Request &, httplib::Response &response) {
        response.set_content(PageAsset("app.css"), "text/css; charset=utf-8");
    });
    MountStateRoutes(server, context);
    MountLinkRoutes(server, context);
    server.set_error_handler([](const httplib::Request &, httplib::Response &response) {
        if (response.body.empty())
            SendRefusal(response, response.status, response.status == 404 ? "no such path" : "refused");
    });
}

}  // namespace ui
