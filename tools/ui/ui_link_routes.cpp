// The routes that run link calls: the files, the release, the text, the
// backup and the restore. Each takes the link for its job before it does
// anything that leads to a call, checks every name before the port is
// opened, and keeps its files in a private directory of its own that goes
// when the answer has been sent.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <numeric>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "body_file.h"
#include "handheld_list.h"
#include "handheld_names.h"
#include "json_text.h"
#include "link/block_size_limits.h"
#include "link_report.h"
#include "local_io.h"
#include "private_directory.h"
#include "put_calls.h"
#include "put_lists.h"
#include "text_encoding.h"
#include "ui_server.h"
#include "zip_files.h"

namespace ui {

using cli::DescribeLinkFailure;
using cli::FileSize;
using cli::JoinWithCr;
using cli::KnownTotalSize;
using cli::LinkFailureWords;
using cli::ListedFile;
using cli::ParseFileList;
using cli::PutFileCall;
using cli::PutFilesCall;
using cli::ReadWhole;
using cli::TextSizeWithoutEndMark;
using cli::WriteWhole;


namespace {

// The put-file-2 transfers send with their own block size.
constexpr int32_t kPutFile2BlockSize = 4096;
// What a text given as UTF-8 may hold: it is converted in memory.
constexpr uint64_t kConvertedTextBound = 16 * 1024 * 1024;
constexpr size_t kRestoreEntryBound = 4096;

using Directory = std::shared_ptr<PrivateDirectory>;

// Everything a job needs: the settings of its start, the link, and a
// directory of its own.
struct Job {
    SettingsView settings;
    std::unique_ptr<JobTicket> ticket;
    Directory directory;
};

// Takes the link and makes the job's directory; answers the request itself
// and returns false when it cannot.
bool StartJob(UiContext &context, httplib::Response &response, const std::string &kind, const std::string &name,
              Job &job)
{
    job.settings = context.settings.Current();
    if (!job.settings.problem.empty())
        return SendRefusal(response, 400, job.settings.problem, "set the device in the settings"), false;
    JobInfo busy;
    job.ticket = context.worker.Take(kind, name, busy);
    if (!job.ticket) {
        SendRefusal(response, 409,
                    "busy: " + busy.kind + (busy.name.empty() ? "" : " " + busy.name) + " runs",
                    "wait for it to end, or cancel it");
        return false;
    }
    job.directory = std::make_shared<PrivateDirectory>(context.workRoot, "job-");
    if (job.directory->Path().empty()) {
        job.ticket->Finish(KIVO_ERR_FILE, "cannot make a temporary directory", "");
        return SendRefusal(response, 500, "cannot make a temporary directory", "check the space in $TMPDIR"), false;
    }
    return true;
}

// Ends the job with the call's outcome: true on success; otherwise answers
// 502 with the same words the tool prints, and tells the page.
bool CallSucceeded(Job &job, httplib::Response &response, const CallOutcome &outcome, const std::string &name)
{
    const JobInfo &info = job.ticket->Info();
    if (outcome.result == KIVO_OK)
        return true;
    const LinkFailureWords words = DescribeLinkFailure(info.kind, job.settings.link, outcome.result, name,
                                                       outcome.watch);
    job.ticket->Finish(outcome.result, words.what, words.next);
    SendJson(response, JsonText({{"error", words.what}, {"code", outcome.result}, {"hint", words.next}}), 502);
    return false;
}

void Succeed(Job &job)
{
    job.ticket->Finish(KIVO_OK, "done", "");
}

// Runs the job's call; false when it failed, which is then answered.
bool RunCall(Job &job, httplib::Response &response, uint64_t knownTotal,
             const std::function<int32_t(KIVO_HWND)> &call, const std::string &name = "")
{
    return CallSucceeded(job, response, job.ticket->Run(job.settings.link, knownTotal, call), name);
}

// Ends the job well, answering with json.
void Done(Job &job, httplib::Response &response, const std::string &json)
{
    Succeed(job);
    SendJson(response, json);
}

// Refuses the request with status, and tells the page the job ended so.
void Refuse(Job &job, httplib::Response &response, int status, const std::string &error,
            const std::string &hint = "")
{
    job.ticket->Finish(KIVO_ERR_FILE, error, hint);
    SendRefusal(response, status, error, hint);
}

// RFC 5987's form of a file name, for Content-Disposition.
std::string PercentEncoded(const std::string &text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string encoded;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || std::string("!#$&+-.^_`|~").find(static_cast<char>(c)) != std::string::npos) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += digits[c >> 4];
            encoded += digits[c & 0xF];
        }
    }
    return encoded;
}

// Sends the file at path (of the job's directory, which lives until the
// last byte has gone) as the answer.
void SendFile(httplib::Response &response, const Directory &directory, const std::string &path, uint64_t size,
              const std::string &type, const std::string &downloadName)
{
    if (!downloadName.empty())
        response.set_header("Content-Disposition", "attachment; filename*=UTF-8''" + PercentEncoded(downloadName));
    auto file = std::shared_ptr<std::FILE>(std::fopen(path.c_str(), "rb"), [](std::FILE *f) {
        if (f != nullptr)
            std::fclose(f);
    });
    if (!file)
        return SendRefusal(response, 500, "the fetched file cannot be read", "");
    response.set_content_provider(
        size, type,
        [file, directory](size_t offset, size_t length, httplib::DataSink &sink) {
            char buffer[65536];
            if (std::fseek(file.get(), static_cast<long>(offset), SEEK_SET) != 0)
                return false;
            const size_t got = std::fread(buffer, 1, std::min(length, sizeof buffer), file.get());
            return got > 0 && sink.write(buffer, got);
        },
        [file, directory](bool) {});
}

// The name on the handheld that the route's path gives, as the page writes it.
std::string PathName(const httplib::Request &request)
{
    return request.matches[1].str();
}

// The name of the route's path, checked for the longest request it goes in.
bool HandheldName(const httplib::Request &request, httplib::Response &response, const NameRoom &room,
                  std::string &handheldName)
{
    const std::string problem = HandheldNameProblem(PathName(request), room, handheldName);
    if (problem.empty())
        return true;
    SendRefusal(response, 400, problem, "give a name the handheld can keep");
    return false;
}

NameRoom RoomOf(const SettingsView &settings)
{
    return {settings.link.sendBlock != 0 ? settings.link.sendBlock : kDefaultBlockSize, 0};
}

// The room a put's name has: put-file-2 also carries "|" and the size.
NameRoom PutRoom(const SettingsView &settings, int variant, uint64_t size)
{
    if (variant != 2)
        return RoomOf(settings);
    return {kPutFile2BlockSize, static_cast<int32_t>(1 + std::to_string(size).size())};
}

// ?variant=1|2&release=1|0, checked against the mode.
bool PutOptions(const httplib::Request &request, httplib::Response &response, const SettingsView &settings,
                int &variant, bool &release)
{
    const std::string variantText = request.has_param("variant") ? request.get_param_value("variant") : "1";
    const std::string releaseText = request.has_param("release") ? request.get_param_value("release") : "1";
    if ((variantText != "1" && variantText != "2") || (releaseText != "1" && releaseText != "0"))
        return SendRefusal(response, 400, "variant is 1 or 2, release 1 or 0"), false;
    variant = variantText == "2" ? 2 : 1;
    release = releaseText == "1";
    if (variant == 2 && settings.link.mode != 2)
        return SendRefusal(response, 400, "variant 2 (put-file-2) runs only in link mode 2",
                           "choose mode 2 in the settings, or variant 1"),
               false;
    return true;
}

// The body's length as the request declares it: 0 when it declares none,
// and beyond any bound when it is no number that fits.
uint64_t DeclaredLength(const httplib::Request &request)
{
    const std::string length = request.get_header_value("Content-Length");
    if (length.empty())
        return 0;
    if (length.size() > 19 || length.find_first_not_of("0123456789") != std::string::npos)
        return UINT64_MAX;
    return std::stoull(length);
}

// Reads the body into file; answers 413 or 400 itself and returns false
// when it did not arrive whole within the bound.
bool ReceiveBody(const httplib::ContentReader &reader, BodyFile &file, Job &job, httplib::Response &response)
{
    reader([&](const char *data, size_t length) { return !job.ticket->Cancelled() && file.Append(data, length); });
    const bool whole = file.Close();
    if (file.TooLarge())
        return Refuse(job, response, 413, "larger than the handheld takes: at most 2 GiB - 1 bytes a file"), false;
    if (job.ticket->Cancelled())
        return CallSucceeded(job, response, {KIVO_CANCELLED, {}}, ""), false;
    if (!whole)
        return Refuse(job, response, 400, "the body did not arrive whole"), false;
    return true;
}

// The handheld's list, fetched into the job's directory and read.
bool FetchList(Job &job, httplib::Response &response, std::vector<ListedFile> &files)
{
    const std::string path = job.directory->FilePath("list");
    if (!RunCall(job, response, 0, [&](KIVO_HWND window) {
        return KIVO_LinkFileList(path.c_str(), "", window);
    }, ""))
        return false;
    std::string list;
    if (!ReadWhole(path, list).empty())
        return Refuse(job, response, 500, "the fetched list cannot be read"), false;
    files = ParseFileList(list);
    return true;
}

std::string PageName(const std::string &handheldName)
{
    std::string name;
    return ShiftJisToUtf8(handheldName, name) ? name : handheldName;
}

void ListFiles(UiContext &context, httplib::Response &response)
{
    Job job;
    std::vector<ListedFile> files;
    if (!StartJob(context, response, "list", "", job) || !FetchList(job, response, files))
        return;
    nlohmann::json list = nlohmann::json::array();
    for (const ListedFile &file : files)
        list.push_back({{"name", PageName(file.name)},
                        {"size", file.sizeKnown ? nlohmann::json(file.size) : nlohmann::json(nullptr)}});
    Done(job, response, JsonText(list));
}

void GetFile(UiContext &context, const httplib::Request &request, httplib::Response &response)
{
    Job job;
    std::string name;
    if (!HandheldName(request, response, RoomOf(context.settings.Current()), name) ||
        !StartJob(context, response, "get", PathName(request), job))
        return;
    const std::string path = job.directory->FilePath("file");
    if (!RunCall(job, response, 0, [&](KIVO_HWND window) {
        return KIVO_LinkGetFile(path.c_str(), name.c_str(), window);
    }, PathName(request)))
        return;
    Succeed(job);
    SendFile(response, job.directory, path, FileSize(path), "application/octet-stream", PathName(request));
}

void PutFile(UiContext &context, const httplib::Request &request, httplib::Response &response,
             const httplib::ContentReader &reader)
{
    const SettingsView settings = context.settings.Current();
    int variant = 1;
    bool release = true;
    std::string name;
    if (!PutOptions(request, response, settings, variant, release))
        return;
    const uint64_t declared = DeclaredLength(request);
    if (declared > kHandheldFileBound)
        return SendRefusal(response, 413, "larger than the handheld takes: at most 2 GiB - 1 bytes a file");
    Job job;
    if (!HandheldName(request, response, PutRoom(settings, variant, declared), name) ||
        !StartJob(context, response, "put", PathName(request), job))
        return;
    BodyFile body(job.directory->FilePath("file"), kHandheldFileBound);
    if (!ReceiveBody(reader, body, job, response))
        return;
    std::string checked;
    const std::string problem =
        HandheldNameProblem(PathName(request), PutRoom(settings, variant, body.Size()), checked);
    if (!problem.empty())
        return Refuse(job, response, 400, problem, "give a name the handheld can keep");
    if (!RunCall(job, response, body.Size(), [&](KIVO_HWND window) {
        return PutFileCall(body.Path(), name, variant, release, window);
    }, PathName(request)))
        return;
    Done(job, response, JsonText({{"name", PathName(request)}, {"size", body.Size()}}));
}

void DeleteFile(UiContext &context, const httplib::Request &request, httplib::Response &response)
{
    Job job;
    std::string name;
    if (!HandheldName(request, response, RoomOf(context.settings.Current()), name) ||
        !StartJob(context, response, "delete", PathName(request), job))
        return;
    if (!RunCall(job, response, 0, [&](KIVO_HWND window) {
        return KIVO_LinkDelFile(name.c_str(), window);
    }, PathName(request)))
        return;
    Done(job, response, "{}");
}

void Release(UiContext &context, httplib::Response &response)
{
    Job job;
    if (!StartJob(context, response, "release", "", job))
        return;
    if (!RunCall(job, response, 0, KIVO_LinkRelease))
        return;
    Done(job, response, "{}");
}

void Backup(UiContext &context, httplib::Response &response)
{
    Job job;
    std::vector<ListedFile> files;
    if (!StartJob(context, response, "backup", "", job) || !FetchList(job, response, files))
        return;
    std::vector<ZipMember> members;
    std::vector<std::string> paths;
    std::vector<std::string> names;
    std::vector<ListedFile> taken;
    for (const ListedFile &file : files) {
        const std::string entry = PageName(file.name);
        if (!ZipEntryNameProblem(entry).empty())
            continue;  // stays out of the backup
        paths.push_back(job.directory->FilePath(std::to_string(members.size())));
        names.push_back(file.name);
        members.push_back({entry, paths.back(), file.size});
        taken.push_back(file);
    }
    if (members.empty())
        return Refuse(job, response, 404, "the handheld holds no files to back up");
    const std::string pathList = JoinWithCr(paths);
    const std::string nameList = JoinWithCr(names);
    if (!RunCall(job, response, KnownTotalSize(taken), [&](KIVO_HWND window) {
        return KIVO_LinkGetFiles(pathList.c_str(), nameList.c_str(), window);
    }))
        return;
    const std::string zip = job.directory->FilePath("backup.zip");
    const std::string problem = WriteZip(members, zip);
    if (!problem.empty())
        return Refuse(job, response, 500, problem);
    Succeed(job);
    SendFile(response, job.directory, zip, FileSize(zip), "application/zip", "handheld-backup.zip");
}

// The files of a multipart body, each into the job's directory under its
// part's file name.
bool ReceiveParts(const httplib::ContentReader &reader, Job &job, httplib::Response &response,
                  std::vector<ZipMember> &members)
{
    std::unique_ptr<BodyFile> current;
    uint64_t total = 0;
    std::string problem;
    bool tooLarge = false;
    const auto closeCurrent = [&] {
        if (current && !current->Close() && problem.empty())
            problem = "a file did not arrive whole";
        if (current)
            members.back().size = current->Size();
        current.reset();
    };
    reader(
        [&](const httplib::MultipartFormData &part) {
            closeCurrent();
            if (!problem.empty() || job.ticket->Cancelled())
                return false;
            if (part.filename.empty()) {
                problem = "every part is a file with its name";
                return false;
            }
            for (const ZipMember &member : members)
                if (member.entry == part.filename)
                    problem = "the file " + part.filename + " is given twice";
            if (!problem.empty() || members.size() >= kRestoreEntryBound)
                return problem.empty() ? (problem = "too many files at once", false) : false;
            members.push_back({part.filename, job.directory->FilePath(std::to_string(members.size())), 0});
            current = std::make_unique<BodyFile>(members.back().path, kHandheldFileBound - std::min(total, kHandheldFileBound));
            return true;
        },
        [&](const char *data, size_t length) {
            if (!current || job.ticket->Cancelled())
                return false;
            if (!current->Append(data, length)) {
                tooLarge = current->TooLarge();
                return false;
            }
            total += length;
            return true;
        });
    closeCurrent();
    if (tooLarge)
        return Refuse(job, response, 413, "larger than the handheld takes: at most 2 GiB - 1 bytes in all"), false;
    if (job.ticket->Cancelled())
        return CallSucceeded(job, response, {KIVO_CANCELLED, {}}, ""), false;
    if (!problem.empty() || members.empty())
        return Refuse(job, response, 400, problem.empty() ? "the body holds no files" : problem), false;
    return true;
}

bool ReceiveZip(const httplib::ContentReader &reader, Job &job, httplib::Response &response,
                std::vector<ZipMember> &members)
{
    BodyFile body(job.directory->FilePath("restore.zip"), kHandheldFileBound);
    if (!ReceiveBody(reader, body, job, response))
        return false;
    const std::string unpacked = job.directory->FilePath("files");
    if (::mkdir(unpacked.c_str(), 0700) != 0)
        return Refuse(job, response, 500, "cannot make a temporary directory"), false;
    UnpackedZip zip = UnpackZip(body.Path(), unpacked, {kHandheldFileBound, kHandheldFileBound, kRestoreEntryBound});
    std::remove(body.Path().c_str());
    if (!zip.problem.empty())
        return Refuse(job, response, zip.tooLarge ? 413 : 400, zip.problem, "give a zip of plain files"), false;
    members = std::move(zip.members);
    return true;
}

void Restore(UiContext &context, const httplib::Request &request, httplib::Response &response,
             const httplib::ContentReader &reader)
{
    const SettingsView settings = context.settings.Current();
    int variant = 1;
    bool release = true;
    if (!PutOptions(request, response, settings, variant, release))
        return;
    const bool multipart = request.is_multipart_form_data();
    const std::string type = request.get_header_value("Content-Type");
    if (!multipart && type != "application/zip" && type != "application/x-zip-compressed")
        return SendRefusal(response, 400, "give a zip (application/zip) or files (multipart/form-data)");
    if (DeclaredLength(request) > kHandheldFileBound)
        return SendRefusal(response, 413, "larger than the handheld takes: at most 2 GiB - 1 bytes a file");
    Job job;
    std::vector<ZipMember> members;
    if (!StartJob(context, response, "restore", "", job) ||
        !(multipart ? ReceiveParts(reader, job, response, members) : ReceiveZip(reader, job, response, members)))
        return;
    std::vector<std::string> paths;
    std::vector<std::string> names;
    nlohmann::json sent = nlohmann::json::array();
    for (const ZipMember &member : members) {
        std::string name;
        const std::string problem = HandheldNameProblem(member.entry, PutRoom(settings, variant, member.size), name);
        if (!problem.empty())
            return Refuse(job, response, 400, member.entry + ": " + problem, "give names the handheld can keep");
        paths.push_back(member.path);
        names.push_back(name);
        sent.push_back(member.entry);
    }
    const uint64_t total = std::accumulate(members.begin(), members.end(), uint64_t{0},
                                           [](uint64_t sum, const ZipMember &member) { return sum + member.size; });
    const std::string pathList = JoinWithCr(paths);
    const std::string nameList = JoinWithCr(names);
    if (!RunCall(job, response, total, [&](KIVO_HWND window) {
        return PutFilesCall(pathList, nameList, variant, release, window);
    }))
        return;
    Done(job, response, JsonText({{"sent", sent}}));
}

bool IsUtf8Text(const std::string &type)
{
    std::string lower;
    for (const char c : type)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.rfind("text/plain", 0) == 0 && lower.find("charset=utf-8") != std::string::npos;
}

void SendText(UiContext &context, const httplib::Request &request, httplib::Response &response,
              const httplib::ContentReader &reader)
{
    const bool convert = IsUtf8Text(request.get_header_value("Content-Type"));
    const uint64_t bound = convert ? kConvertedTextBound : kHandheldFileBound;
    if (DeclaredLength(request) > bound)
        return SendRefusal(response, 413, "the text is larger than the handheld takes");
    Job job;
    if (!StartJob(context, response, "text-send", "", job))
        return;
    BodyFile body(job.directory->FilePath("text"), bound);
    if (!ReceiveBody(reader, body, job, response))
        return;
    if (convert) {
        std::string text;
        std::string converted;
        if (!ReadWhole(body.Path(), text).empty() || !Utf8ToShiftJis(text, converted))
            return Refuse(job, response, 400, "the text holds a character that the handheld's Shift-JIS has no code for");
        if (!WriteWhole(body.Path(), converted.data(), converted.size()).empty())
            return Refuse(job, response, 500, "the text cannot be stored for sending");
    }
    if (!RunCall(job, response, FileSize(body.Path()), [&](KIVO_HWND window) {
        return KIVO_AppTextSend(body.Path().c_str(), window);
    }))
        return;
    Done(job, response, "{}");
}

void ReceiveText(UiContext &context, httplib::Response &response)
{
    Job job;
    if (!StartJob(context, response, "text-recv", "", job))
        return;
    const std::string path = job.directory->FilePath("text");
    if (!RunCall(job, response, 0, [&](KIVO_HWND window) {
        return KIVO_AppTextRecv(path.c_str(), window);
    }))
        return;
    Succeed(job);
    SendFile(response, job.directory, path, TextSizeWithoutEndMark(path), "text/plain; charset=Shift_JIS", "");
}

}  // namespace

void MountLinkRoutes(httplib::Server &server, UiContext &context)
{
    server.Get("/api/files", [&context](const httplib::Request &, httplib::Response &response) {
        ListFiles(context, response);
    });
    server.Get("/api/files/([\\s\\S]*)", [&context](const httplib::Request &request, httplib::Response &response) {
        GetFile(context, request, response);
    });
    server.Put("/api/files/([\\s\\S]*)", [&context](const httplib::Request &request, httplib::Response &response,
                                             const httplib::ContentReader &reader) {
        PutFile(context, request, response, reader);
    });
    server.Delete("/api/files/([\\s\\S]*)", [&context](const httplib::Request &request, httplib::Response &response,
                                                const httplib::ContentReader &) {
        DeleteFile(context, request, response);
    });
    server.Post("/api/release", [&context](const httplib::Request &, httplib::Response &response,
                                           const httplib::ContentReader &) { Release(context, response); });
    server.Get("/api/backup.zip", [&context](const httplib::Request &, httplib::Response &response) {
        Backup(context, response);
    });
    server.Post("/api/restore", [&context](const httplib::Request &request, httplib::Response &response,
                                           const httplib::ContentReader &reader) {
        Restore(context, request, response, reader);
    });
    server.Post("/api/text", [&context](const httplib::Request &request, httplib::Response &response,
                                        const httplib::ContentReader &reader) {
        SendText(context, request, response, reader);
    });
    server.Get("/api/text", [&context](const httplib::Request &, httplib::Response &response) {
        ReceiveText(context, response);
    });
}

}  // namespace ui
