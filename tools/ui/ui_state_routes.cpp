// The routes that run no link call: the status, the settings, the events and
// the cancel.
#include <atomic>
#include <memory>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "json_text.h"
#include "ui_server.h"

namespace ui {

namespace {

constexpr size_t kSettingsBodyBound = 64 * 1024;
constexpr auto kEventWait = std::chrono::milliseconds(1000);
constexpr int kKeepAliveSeconds = 15;
// Event streams open at once: each holds one of the server's threads, which
// must stay enough for the requests of the pages.
constexpr int kMostEventStreams = 8;
std::atomic<int> g_eventStreams{0};

nlohmann::json SettingsObject(const SettingsView &view)
{
    nlohmann::json values = nlohmann::json::object();
    for (const auto &[key, value] : view.values)
        values[key] = value;
    return values;
}

// The body of PUT /api/settings as key and text, or what is wrong with it.
std::string ReadChanges(const std::string &body, std::map<std::string, std::string> &changes)
{
    const nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_object())
        return "give the settings as a JSON object, e.g. {\"mode\": \"2\"}";
    for (const auto &[key, value] : parsed.items()) {
        if (value.is_string())
            changes[key] = value.get<std::string>();
        else if (value.is_number_integer())
            changes[key] = std::to_string(value.get<long long>());
        else if (value.is_number())
            changes[key] = JsonText(value);
        else if (value.is_null())
            changes[key] = "";
        else
            return "the value of \"" + key + "\" is no text or number";
    }
    return "";
}

void StreamEvents(UiContext &context, httplib::Response &response)
{
    if (++g_eventStreams > kMostEventStreams) {
        --g_eventStreams;
        return SendRefusal(response, 503, "too many pages follow the events", "close the page's other tabs");
    }
    auto cursor = std::make_shared<uint64_t>(context.events.Last());
    auto first = std::make_shared<bool>(true);
    auto quiet = std::make_shared<int>(0);
    EventHub &events = context.events;
    LinkWorker &worker = context.worker;
    response.set_header("X-Accel-Buffering", "no");
    response.set_chunked_content_provider(
        "text/event-stream", [&events, &worker, cursor, first, quiet](size_t, httplib::DataSink &sink) {
            std::string text;
            if (*first) {
                *first = false;
                text = "retry: 1000\nevent: state\ndata: " + worker.StateJson() + "\n\n";
            } else {
                for (const ServerEvent &event : events.After(*cursor, kEventWait)) {
                    text += "event: " + event.type + "\ndata: " + event.data + "\n\n";
                    *cursor = event.number;
                }
            }
            if (events.Stopped()) {
                sink.done();
                return true;
            }
            if (text.empty() && ++*quiet >= kKeepAliveSeconds) {
                *quiet = 0;
                text = ": still here\n\n";
            }
            if (text.empty())
                return sink.is_writable();
            *quiet = 0;
            return sink.write(text.data(), text.size());
        },
        [](bool) { --g_eventStreams; });
}

}  // namespace

void MountStateRoutes(httplib::Server &server, UiContext &context)
{
    server.Get("/api/status", [&context](const httplib::Request &, httplib::Response &response) {
        const SettingsView view = context.settings.Current();
        nlohmann::json status = nlohmann::json::parse(context.worker.StateJson());
        status["settings"] = SettingsObject(view);
        status["problem"] = view.problem;
        SendJson(response, JsonText(status));
    });
    server.Get("/api/settings", [&context](const httplib::Request &, httplib::Response &response) {
        SendJson(response, JsonText(SettingsObject(context.settings.Current())));
    });
    server.Put("/api/settings", [&context](const httplib::Request &, httplib::Response &response,
                                           const httplib::ContentReader &reader) {
        std::string body;
        bool tooLarge = false;
        reader([&](const char *data, size_t length) {
            tooLarge = body.size() + length > kSettingsBodyBound;
            if (!tooLarge)
                body.append(data, length);
            return !tooLarge;
        });
        if (tooLarge)
            return SendRefusal(response, 413, "the settings are larger than any could be");
        std::map<std::string, std::string> changes;
        std::string problem = ReadChanges(body, changes);
        if (problem.empty())
            problem = context.settings.Update(changes);
        if (!problem.empty())
            return SendRefusal(response, 400, problem, "see `tessalink config --help` for the values");
        SendJson(response, JsonText(SettingsObject(context.settings.Current())));
    });
    server.Post("/api/cancel", [&context](const httplib::Request &, httplib::Response &response,
                                          const httplib::ContentReader &) {
        SendJson(response, JsonText({{"cancelled", context.worker.Cancel()}}));
    });
    server.Get("/api/events", [&context](const httplib::Request &, httplib::Response &response) {
        StreamEvents(context, response);
    });
}

}  // namespace ui
