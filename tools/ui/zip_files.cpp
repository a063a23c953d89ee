#include "zip_files.h"

#include <cstdio>
#include <memory>
#include <set>

#include <zip.h>

namespace ui {

namespace {

struct ZipCloser {
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ZipCloser>;

struct EntryCloser {
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

std::string OpenError(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

// Copies one entry into path; false when it is not whole or holds more than
// it said.
bool UnpackEntry(zip_t *archive, zip_uint64_t index, uint64_t declared, const std::string &path)
{
    std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive, index, 0));
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(path.c_str(), "wbx"));
    if (!entry || !out)
        return false;
    char buffer[65536];
    uint64_t copied = 0;
    for (;;) {
        const zip_int64_t got = zip_fread(entry.get(), buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        copied += static_cast<uint64_t>(got);
        if (copied > declared || std::fwrite(buffer, 1, static_cast<size_t>(got), out.get()) != static_cast<size_t>(got))
            return false;
    }
    return copied == declared && std::fflush(out.get()) == 0;
}

}  // namespace

std::string ZipEntryNameProblem(const std::string &name)
{
    if (name.empty() || name == "." || name == "..")
        return "the zip holds an entry without a file name";
    if (name.back() == '/')
        return "the zip holds a folder (" + name + "): give a zip of plain files";
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos)
        return "the zip's entry \"" + name + "\" has a path: give a zip whose files are at its top level";
    return "";
}

std::string WriteZip(const std::vector<ZipMember> &members, const std::string &zipPath)
{
    int code = 0;
    zip_t *archive = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (archive == nullptr)
        return "cannot make the zip: " + OpenError(code);
    Archive held(archive);
    for (const ZipMember &member : members) {
        zip_source_t *source = zip_source_file(archive, member.path.c_str(), 0, -1);
        if (source == nullptr)
            return "cannot add " + member.entry + " to the zip: " + zip_strerror(archive);
        if (zip_file_add(archive, member.entry.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            return "cannot add " + member.entry + " to the zip: " + zip_strerror(archive);
        }
    }
    if (zip_close(archive) != 0)
        return std::string("cannot write the zip: ") + zip_strerror(archive);
    static_cast<void>(held.release());
    return "";
}

UnpackedZip UnpackZip(const std::string &zipPath, const std::string &directory, const ZipLimits &limits)
{
    UnpackedZip unpacked;
    int code = 0;
    zip_t *opened = zip_open(zipPath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (opened == nullptr) {
        unpacked.problem = "the body is no zip that can be read: " + OpenError(code);
        return unpacked;
    }
    Archive archive(opened);
    const zip_int64_t count = zip_get_num_entries(opened, 0);
    if (count <= 0) {
        unpacked.problem = "the zip holds no files";
        return unpacked;
    }
    if (static_cast<uint64_t>(count) > limits.entryBound) {
        unpacked.problem = "the zip holds " + std::to_string(count) + " entries, more than the " +
                           std::to_string(limits.entryBound) + " taken at once";
        return unpacked;
    }
    std::set<std::string> names;
    uint64_t total = 0;
    for (zip_int64_t index = 0; index < count; ++index) {
        zip_stat_t status;
        if (zip_stat_index(opened, static_cast<zip_uint64_t>(index), 0, &status) != 0 ||
            (status.valid & (ZIP_STAT_NAME | ZIP_STAT_SIZE)) != (ZIP_STAT_NAME | ZIP_STAT_SIZE)) {
            unpacked.problem = "an entry of the zip cannot be read";
            return unpacked;
        }
        const std::string name = status.name;
        unpacked.problem = ZipEntryNameProblem(name);
        if (unpacked.problem.empty() && !names.insert(name).second)
            unpacked.problem = "the zip holds " + name + " twice";
        if (unpacked.problem.empty() && (status.valid & ZIP_STAT_ENCRYPTION_METHOD) != 0 &&
            status.encryption_method != ZIP_EM_NONE)
            unpacked.problem = "the zip's entry " + name + " is encrypted";
        if (!unpacked.problem.empty())
            return unpacked;
        total += status.size;
        if (status.size > limits.fileBound || total > limits.totalBound) {
            unpacked.problem = "the zip's files are larger than the handheld takes";
            unpacked.tooLarge = true;
            return unpacked;
        }
        unpacked.members.push_back({name, directory + "/" + std::to_string(index), status.size});
    }
    for (size_t index = 0; index < unpacked.members.size(); ++index) {
        const ZipMember &member = unpacked.members[index];
        if (!UnpackEntry(opened, index, member.size, member.path)) {
            unpacked.problem = "the zip's entry " + member.entry + " cannot be unpacked whole";
            return unpacked;
        }
    }
    return unpacked;
}

}  // namespace ui
