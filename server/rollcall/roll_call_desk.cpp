#include "server/rollcall/roll_call_desk.h"

#include <cstdio>

#include "common/ansi_text.h"
#include "common/clock.h"
#include "common/files.h"
#include "common/file_reader.h"
#include "common/file_writer.h"
#include "server/history/history_journal.h"
#include "server/rollcall/roll_call_file.h"
#include "server/rollcall/roll_call_json.h"
#include "server/rollcall/roll_call_report.h"

namespace {

const char kFileName[] = "rollcall.dat";

std::string Error(const char *text) { return std::string("{\"error\":\"") + text + "\"}"; }

} // namespace

RollCallDesk::RollCallDesk(const ServerSettings &settings, Clock &clock, unsigned code_page,
                           FileReader &reader, FileWriter &writer)
    : settings_(settings), clock_(clock), code_page_(code_page), reader_(&reader), writer_(writer) {
}

void RollCallDesk::Load() {
    char path[400];
    if (!BuildWorkingPath(settings_, kFileName, path, sizeof path)) return;
    RemoveLeftTemporaries(path);
    RollCall read;
    RollFile file = ReadRollCallFile(*reader_, path, read);
    if (file == RollFile::Read) roll_ = read;
    if (file != RollFile::Broken) return;
    ClockTime now = clock_.Now();
    char name[64], aside[400];
    std::snprintf(name, sizeof name, "rollcall-set-aside-%04d-%02d-%02d-%02d%02d%02d.dat",
                  now.year % 10000, now.month % 100, now.day % 100, now.hour % 100,
                  now.minute % 100, now.second % 100);
    char text[1024];
    if (BuildWorkingPath(settings_, name, aside, sizeof aside) && RenameFile(path, aside))
        std::snprintf(text, sizeof text, "%s is not a whole roll call: set aside as %s", path,
                      aside);
    else
        std::snprintf(text, sizeof text, "%s is not a whole roll call and cannot be set aside",
                      path);
    if (listener_) listener_->Say(text);
}

RollCallReply RollCallDesk::Apply(const RollCallCommand &command, const UserTable &table,
                                  const std::string &by) {
    ClockTime now = clock_.Now();
    RollCall next = roll_;
    RollAnswer answer = RollAnswer::Done;
    // A name the code page cannot hold is on no roll call.
    std::string name, lacking;
    bool held = AnsiFromUtf8(command.name, code_page_, name, lacking);
    switch (command.kind) {
    case RollCallCommand::Start:
        answer = StartRollCall(next, table, command.drill, now);
        break;
    case RollCallCommand::Mark:
        answer =
            held ? MarkPerson(next, name, command.safe, by, now, &name) : RollAnswer::NoSuchName;
        break;
    case RollCallCommand::End:
        answer = EndRollCall(next, now);
        break;
    }
    RollCallReply reply;
    if (answer == RollAnswer::NoSuchName) {
        reply.status = 404;
        reply.json = Error("No such name on the roll call");
        return reply;
    }
    if (answer != RollAnswer::Done) {
        reply.status = 409;
        reply.json = Error(answer == RollAnswer::Running ? "A roll call is running already"
                                                         : "No roll call is running");
        return reply;
    }
    if ((command.kind == RollCallCommand::End && !WriteReport(next)) || !Save(next)) {
        reply.status = 503;
        reply.json = Error("The roll call could not be saved; try again");
        return reply;
    }
    roll_ = next;
    if (command.kind == RollCallCommand::Mark) {
        Journal(command.safe ? "rollcall-safe" : "rollcall-missing", name, by);
    } else {
        Journal(command.kind == RollCallCommand::Start ? "rollcall-start" : "rollcall-end", "", by);
    }
    if (listener_) listener_->Changed(roll_);
    reply.json = "{\"ok\":true}";
    return reply;
}

void RollCallDesk::Follow(const std::vector<BoardChange> &changes) {
    if (!roll_.running) return;
    ClockTime now = clock_.Now();
    bool changed = false;
    for (const BoardChange &change : changes) changed |= FollowChange(roll_, change, now);
    if (!changed) return;
    Save(roll_);
    if (listener_) listener_->Changed(roll_);
}

std::string RollCallDesk::Json() const {
    std::string out;
    AppendRollCallJson(out, roll_, code_page_);
    return out;
}

std::string RollCallDesk::Report() const {
    if (!roll_.held || roll_.running) return "";
    return RollCallReport(roll_, code_page_);
}

bool RollCallDesk::Save(const RollCall &roll) {
    char path[400];
    std::string bytes = EncodeRollCall(roll);
    if (BuildWorkingPath(settings_, kFileName, path, sizeof path) &&
        writer_.ReplaceDurably(path, bytes.data(), bytes.size()))
        return true;
    Say("Cannot save ", path);
    return false;
}

bool RollCallDesk::WriteReport(const RollCall &roll) {
    char path[400];
    std::string bytes = RollCallReport(roll, code_page_);
    if (BuildReportPath(settings_, roll, path, sizeof path) &&
        writer_.ReplaceDurably(path, bytes.data(), bytes.size()))
        return true;
    Say("Cannot write the roll call's report ", path);
    return false;
}

void RollCallDesk::Journal(const char *event, const std::string &name, const std::string &by) {
    if (!journal_) return;
    JournalEntry entry;
    entry.event = event;
    entry.name = name.empty() ? nullptr : name.c_str();
    std::string counts =
        std::to_string(SafeCount(roll_)) + " of " + std::to_string(ExpectedCount(roll_)) + " safe";
    entry.time_text = counts.c_str();
    entry.destination = roll_.drill ? "drill" : nullptr;
    entry.detail = by.c_str();
    journal_->Add(clock_.Now(), entry);
    if (!journal_->Flush()) Say("Cannot write the history ", journal_->FailedPath());
}

void RollCallDesk::Say(const char *what, const char *path) {
    char text[1024];
    std::snprintf(text, sizeof text, "%s%s", what, path);
    if (listener_) listener_->Say(text);
}
