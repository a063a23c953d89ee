#include "link_worker.h"

#include <utility>

#include <nlohmann/json.hpp>

#include "json_text.h"
#include "link_commands.h"
#include "link_settings.h"

namespace ui {

using cli::ApplyLinkSettings;
using cli::LinkSettings;
using cli::WaitPolicy;
using cli::WhereAwaited;


namespace {

nlohmann::json JobObject(const JobInfo &job)
{
    return {{"id", job.id},
            {"kind", job.kind},
            {"name", job.name},
            {"bytes", job.progress.bytes},
            {"total", job.progress.total},
            {"waiting", job.progress.waiting}};
}

}  // namespace

std::string JobJson(const JobInfo &job)
{
    return JsonText(JobObject(job));
}

JobTicket::JobTicket(LinkWorker &worker, JobInfo info) : m_worker(worker), m_info(std::move(info))
{
}

JobTicket::~JobTicket()
{
    m_worker.Release(*this);
}

CallOutcome JobTicket::Run(const LinkSettings &link, uint64_t knownTotal,
                           const std::function<int32_t(KIVO_HWND)> &call)
{
    const WaitPolicy policy{WhereAwaited(link), link.timeoutSeconds};
    JobWindow window(m_cancel, policy, knownTotal, [this](const JobProgress &progress) {
        m_worker.Progressed(progress);
    });
    CallOutcome outcome;
    if (Cancelled()) {
        outcome.result = KIVO_CANCELLED;
        return outcome;
    }
    outcome.result = m_worker.RunOnLinkThread([&] {
        if (!ApplyLinkSettings(link).empty())
            return static_cast<int32_t>(KIVO_ERR_NO_CONNECTION);
        return call(window.Handle());
    });
    outcome.watch = window.Watch();
    window.Flush();
    return outcome;
}

void JobTicket::Finish(int32_t code, const std::string &message, const std::string &hint)
{
    m_finished = true;
    m_worker.m_events.Publish("result", JsonText({{"job", m_info.id},
                                              {"kind", m_info.kind},
                                              {"code", code},
                                              {"message", message},
                                              {"hint", hint}}));
}

LinkWorker::LinkWorker(EventHub &events) : m_events(events), m_thread([this] { LinkThread(); })
{
}

LinkWorker::~LinkWorker()
{
    Stop();
}

std::unique_ptr<JobTicket> LinkWorker::Take(const std::string &kind, const std::string &name, JobInfo &busyWith)
{
    std::unique_ptr<JobTicket> ticket;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        if (m_current != nullptr) {
            busyWith = m_current->m_info;
            return nullptr;
        }
        if (m_stopping) {
            busyWith = JobInfo{0, "stopping", "", {}};
            return nullptr;
        }
        JobInfo info;
        info.id = ++m_lastId;
        info.kind = kind;
        info.name = name;
        ticket.reset(new JobTicket(*this, info));
        m_current = ticket.get();
    }
    m_events.Publish("state", StateJson());
    return ticket;
}

void LinkWorker::Release(JobTicket &ticket)
{
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        if (m_current == &ticket)
            m_current = nullptr;
    }
    m_changed.notify_all();
    m_events.Publish("state", StateJson());
}

bool LinkWorker::Cancel()
{
    const std::lock_guard<std::mutex> hold(m_lock);
    if (m_current == nullptr)
        return false;
    m_current->m_cancel = true;
    return true;
}

std::optional<JobInfo> LinkWorker::Current()
{
    const std::lock_guard<std::mutex> hold(m_lock);
    if (m_current == nullptr)
        return std::nullopt;
    return m_current->m_info;
}

std::string LinkWorker::StateJson()
{
    const std::optional<JobInfo> job = Current();
    return JsonText({{"busy", job.has_value()}, {"job", job ? JobObject(*job) : nlohmann::json(nullptr)}});
}

void LinkWorker::Progressed(const JobProgress &progress)
{
    bool waitingChanged = false;
    uint64_t id = 0;
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        if (m_current == nullptr)
            return;
        waitingChanged = m_current->m_info.progress.waiting != progress.waiting;
        m_current->m_info.progress = progress;
        id = m_current->m_info.id;
    }
    m_events.Publish("progress", JsonText({{"job", id}, {"bytes", progress.bytes}, {"total", progress.total}}));
    if (waitingChanged)
        m_events.Publish("state", StateJson());
}

int32_t LinkWorker::RunOnLinkThread(const std::function<int32_t()> &call)
{
    std::unique_lock<std::mutex> hold(m_lock);
    if (m_threadEnded)
        return KIVO_CANCELLED;
    m_call = call;
    m_callResult.reset();
    m_changed.notify_all();
    m_changed.wait(hold, [this] { return m_callResult.has_value(); });
    m_call = nullptr;
    return *m_callResult;
}

void LinkWorker::LinkThread()
{
    std::unique_lock<std::mutex> hold(m_lock);
    for (;;) {
        m_changed.wait(hold, [this] { return (m_call && !m_callResult) || (m_stopping && m_current == nullptr); });
        if (m_call && !m_callResult) {
            const std::function<int32_t()> call = m_call;
            hold.unlock();
            const int32_t result = call();
            hold.lock();
            m_callResult = result;
            m_changed.notify_all();
            continue;
        }
        m_threadEnded = true;
        return;
    }
}

void LinkWorker::Stop()
{
    {
        const std::lock_guard<std::mutex> hold(m_lock);
        if (m_stopping)
            return;
        m_stopping = true;
        if (m_current != nullptr)
            m_current->m_cancel = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

}  // namespace ui
