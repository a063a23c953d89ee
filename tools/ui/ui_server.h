// The page's server: the page, the HTTP interface over the library, and the
// guard in front of both.
#ifndef TESSALINK_UI_UI_SERVER_H
#define TESSALINK_UI_UI_SERVER_H

#include <cstdint>
#include <string>

#include "event_hub.h"
#include "link_worker.h"
#include "request_guard.h"
#include "ui_settings.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace ui {

// The largest file the handheld's transfers carry: sizes travel as 32-bit
// signed numbers.
constexpr uint64_t kHandheldFileBound = 0x7FFFFFFF;

struct UiContext {
    UiSettings &settings;
    LinkWorker &worker;
    EventHub &events;
    GuardRules rules;
    std::string workRoot;  // the server's private directory for temporary files
};

// Registers the page, the interface and the guard on server.
void MountUi(httplib::Server &server, UiContext &context);

// Each part of the interface in a file of its own.
void MountLinkRoutes(httplib::Server &server, UiContext &context);
void MountStateRoutes(httplib::Server &server, UiContext &context);

// The answers the routes share.
void SendJson(httplib::Response &response, const std::string &json, int status = 200);
// {"error", "code": null, "hint"} with a status of the server's own.
void SendRefusal(httplib::Response &response, int status, const std::string &error, const std::string &hint = "");

}  // namespace ui

#endif
