// One export's conversation with the handheld on the simulated line: what the
// handheld holds or expects and what the local files hold before the call,
// and, after a success, whether the data arrived exactly.
#ifndef TESSALINK_TESTS_CONVERSATION_SETUP_H
#define TESSALINK_TESTS_CONVERSATION_SETUP_H

#include <cstdint>
#include <string>
#include <vector>

#include "support/export_calls.h"
#include "support/sim_handheld.h"
#include "support/temp_dir.h"

struct ConversationData {
    std::vector<uint8_t> data;    // the file or text that the call moves
    std::vector<uint8_t> second;  // the second file of the multi-file exports
};

// The names the conversation uses on the handheld.
inline const char *const kFirstName = "FIRST.BIN";
inline const char *const kSecondName = "SECOND.BIN";

// Gets the handheld and the local files ready for call, and gives its
// arguments. The handheld's text goes out once the PC has opened the line
// (in mode 1, once it has switched it).
inline ExportArgs PrepareConversation(HandheldOnLine &handheld, SimLine &line,
                                      const ExportCall &call, const ConversationData &what,
                                      const TempDir &dir, KIVO_HWND window)
{
    using M = ExportCall::Moves;
    ExportArgs args;
    args.window = window;
    args.name = kFirstName;
    switch (call.moves) {
    case M::kList:
        handheld.store.files[kFirstName] = what.data;
        args.local = dir.Path("list.out");
        break;
    case M::kGet:
        handheld.store.files[kFirstName] = what.data;
        args.local = dir.Path("get.out");
        if (call.manyFiles) {
            handheld.store.files[kSecondName] = what.second;
            args.local += "\r" + dir.Path("get2.out");
            args.name = std::string(kFirstName) + "\r" + kSecondName;
        }
        break;
    case M::kPut:
        handheld.store.files.erase(kFirstName);
        handheld.store.files.erase(kSecondName);
        args.local = dir.Write("put1.in", what.data);
        if (call.manyFiles) {
            args.local += "\r" + dir.Write("put2.in", what.second);
            args.name = std::string(kFirstName) + "\r" + kSecondName;
        }
        break;
    case M::kDelete:
        handheld.store.files[kFirstName] = what.data;
        break;
    case M::kRelease:
        break;
    case M::kTextSend:
        handheld.protocol.ExpectText();
        args.local = dir.Write("text.in", what.data);
        break;
    case M::kTextRecv: {
        args.local = dir.Path("text.out");
        const unsigned opens = line.OpenCount();
        const unsigned switches = handheld.side.SwitchesSeen();
        const LinkMode mode = handheld.side.Mode();
        handheld.peer.SetPump([&handheld, &line, text = what.data, opens, switches, mode,
                               sent = false](uint32_t now) mutable {
            const bool ready = mode == LinkMode::kFramed ? handheld.side.SwitchesSeen() > switches
                                         : line.OpenCount() > opens;
            if (!sent && ready) {
                sent = true;
                handheld.protocol.SendText(text);
            }
            handheld.protocol.Pump(now);
        });
        break;
    }
    }
    return args;
}

// After a call that returned 0: true when what it moved arrived exactly;
// otherwise why not.
inline bool ArrivedExactly(HandheldOnLine &handheld, const ExportCall &call,
                           const ConversationData &what, const ExportArgs &args,
                           std::string *why)
{
    using M = ExportCall::Moves;
    auto check = [why](bool ok, const char *text) {
        if (!ok && why != nullptr)
            *why = text;
        return ok;
    };
    auto stored = [&handheld](const char *name, const std::vector<uint8_t> &data) {
        auto it = handheld.store.files.find(name);
        return it != handheld.store.files.end() && it->second == data;
    };
    switch (call.moves) {
    case M::kList:
        return check(TempDir::Read(args.local) == handheld.store.List(""), "the list differs");
    case M::kGet: {
        const size_t cr = args.local.find('\r');
        const bool first = TempDir::Read(args.local.substr(0, cr)) == what.data;
        const bool second = cr == std::string::npos || TempDir::Read(args.local.substr(cr + 1)) == what.second;
        return check(first && second, "a fetched file differs");
    }
    case M::kPut:
        return check(stored(kFirstName, what.data) &&
                         (!call.manyFiles || stored(kSecondName, what.second)),
                     "the file on the handheld differs");
    case M::kDelete:
        return check(handheld.store.files.count(kFirstName) == 0, "the file is still there");
    case M::kRelease:
        return check(handheld.protocol.Releases() > 0, "no release arrived");
    case M::kTextSend: {
        const bool ok = handheld.protocol.TextComplete() && handheld.protocol.ReceivedText() == what.data;
        if (!ok && why != nullptr)
            *why = "the text the handheld received differs (" +
                   std::to_string(handheld.protocol.ReceivedText().size()) + " bytes of " +
                   std::to_string(what.data.size()) + (handheld.protocol.TextComplete() ? ", complete)" : ", incomplete)");
        return ok;
    }
    case M::kTextRecv: {
        std::vector<uint8_t> expected = what.data;
        expected.push_back(0x1A);
        return check(TempDir::Read(args.local) == expected, "the text received differs");
    }
    }
    return false;
}

#endif
