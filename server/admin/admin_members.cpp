#include "server/admin/admin_members.h"

#include <cstring>
#include <vector>

#include "common/alerts.h"
#include "common/ansi_text.h"
#include "common/clock_text.h"
#include "common/fixed_text.h"
#include "server/admin/admin_json.h"
#include "server/board/board_change.h"

namespace {

// The User Manager's refusal, kept instead of shown.
class KeptRefusal : public Alerts {
  public:
    AlertAnswer Ask(const char *text, const char *, AlertIcon, AlertButtons) override {
        text_ = text;
        return AlertAnswer::Ok;
    }
    const std::string &Text() const { return text_; }

  private:
    std::string text_;
};

const JsonMember *Find(const std::vector<JsonMember> &members, const char *name) {
    for (const JsonMember &member : members)
        if (member.name == name) return &member;
    return nullptr;
}

// A name (or text) of the body in the board's code page; false when it
// holds a character the code page lacks.
bool ToBoard(const std::string &utf8, unsigned code_page, std::string &out) {
    out.clear();
    std::string lacking;
    if (!AnsiFromUtf8(utf8, code_page, out, lacking)) return false;
    std::string back;
    AppendUtf8FromAnsi(back, out.c_str(), code_page);
    return back == utf8 && out.find('\0') == std::string::npos;
}

// 400 for a name the board cannot hold; "" when it can.
std::string NameRefusal(const std::string &name) {
    if (name.empty()) return "A user name cannot be empty.";
    if (name.size() >= sizeof(UserRecord::name)) return "A user name is at most 19 characters.";
    if (name.find('-') != std::string::npos || name == " ")
        return "A user name cannot contain \"-\" or be a single space.";
    return "";
}

int FindMember(const UserTable &table, const std::string &name) {
    for (uint32_t i = 0; i < UsedSlots(table); ++i)
        if (CompareNamesExact(table.slots[i].name, name.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

struct Edit {
    enum Kind { None, Add, Rename, Delete, In, Out } kind = None;
    std::string name, to, destination, return_time; // in the board's code page
};

// The body as one edit; "" or the refusal's text.
std::string ReadEdit(const std::string &body, unsigned code_page, Edit &edit) {
    std::vector<JsonMember> members;
    if (!ReadJsonObject(body, members)) return "The body must be one JSON object of texts.";
    static const struct {
        const char *member;
        Edit::Kind kind;
    } kKinds[] = {{"add", Edit::Add},
                  {"rename", Edit::Rename},
                  {"delete", Edit::Delete},
                  {"in", Edit::In},
                  {"out", Edit::Out}};
    size_t allowed = 1;
    for (const auto &kind : kKinds) {
        const JsonMember *member = Find(members, kind.member);
        if (!member) continue;
        if (edit.kind != Edit::None || !member->is_text)
            return "Give one edit of a member at a time.";
        edit.kind = kind.kind;
        if (!ToBoard(member->text, code_page, edit.name))
            return "The name holds a character the board cannot keep.";
    }
    const char *extra[] = {edit.kind == Edit::Rename ? "to" : nullptr,
                           edit.kind == Edit::Out ? "destination" : nullptr,
                           edit.kind == Edit::Out ? "return" : nullptr};
    std::string *into[] = {&edit.to, &edit.destination, &edit.return_time};
    for (int i = 0; i < 3; ++i) {
        const JsonMember *member = extra[i] ? Find(members, extra[i]) : nullptr;
        if (!member) continue;
        ++allowed;
        if (!member->is_text || !ToBoard(member->text, code_page, *into[i]))
            return std::string("\"") + extra[i] + "\" must be a text the board can keep.";
    }
    if (edit.kind == Edit::None || members.size() != allowed)
        return "The body must be {\"add\": ...}, {\"rename\": ..., \"to\": ...}, {\"delete\": "
               "...}, "
               "{\"in\": ...} or {\"out\": ..., \"destination\": ..., \"return\": ...}.";
    if (edit.kind == Edit::Rename && !Find(members, "to")) return "A rename needs \"to\".";
    return "";
}

} // namespace

AdminReply AdminOk() { return AdminReply{200, "application/json", "{\"ok\": true}"}; }

AdminReply AdminRefusal(int status, const std::string &text) {
    AdminReply reply{status, "application/json", "{\"ok\": false, \"error\": "};
    AppendJsonText(reply.body, text);
    reply.body += "}";
    return reply;
}

namespace {

AdminReply UserManagerRefusal(const std::string &text) {
    bool conflict = text.find("already exists") != std::string::npos ||
                    text.find("150 users") != std::string::npos;
    return AdminRefusal(conflict ? 409 : 400, text);
}

void Sign(UserRecord &record, const Edit &edit, Clock &clock, BoardChange &change) {
    char now[kClockTextCapacity];
    FormatClockTime(clock, now, sizeof now);
    bool in = edit.kind == Edit::In;
    record.in_out = in ? 1 : 0;
    CopyCut(record.time, now);
    CopyCut(record.destination, in ? "" : edit.destination.c_str());
    CopyCut(record.return_time, in ? "" : edit.return_time.c_str());
    change.kind = in ? BoardChange::SignedIn : BoardChange::SignedOut;
    change.name = record.name;
    change.record = record;
}

// Makes the edit on the board as it is in the data file; the table's
// bytes before it, so that a failed save can take it back.
AdminReply MakeEdit(BoardContext &board, const Edit &edit, BoardChange &change) {
    KeptRefusal refusal;
    BoardContext quiet{board.table, board.settings, refusal, board.clock};
    int found = FindMember(board.table, edit.name);
    if (edit.kind == Edit::Add) {
        std::string why = NameRefusal(edit.name);
        if (!why.empty()) return AdminRefusal(400, why);
        if (!AddUser(quiet, edit.name.c_str(), &change)) return UserManagerRefusal(refusal.Text());
        return AdminOk();
    }
    if (found < 0) return AdminRefusal(404, "There is no such member on the board.");
    if (edit.kind == Edit::Rename) {
        std::string why = NameRefusal(edit.to);
        if (!why.empty()) return AdminRefusal(400, why);
        if (edit.to != edit.name && FindMember(board.table, edit.to) >= 0)
            return AdminRefusal(409, "That user already exists.");
        if (!RenameUser(quiet, edit.name.c_str(), edit.to.c_str(), &change))
            return UserManagerRefusal(refusal.Text());
    } else if (edit.kind == Edit::Delete) {
        RenameUser(quiet, edit.name.c_str(), "", &change);
    } else {
        Sign(board.table.slots[found], edit, board.clock, change);
    }
    return AdminOk();
}

} // namespace

AdminReply EditMembers(AdminHost &host, const std::string &body, const std::string &peer,
                       unsigned code_page) {
    Edit edit;
    std::string refused = ReadEdit(body, code_page, edit);
    if (!refused.empty()) return AdminRefusal(400, refused);
    if (!host.ReloadBoard())
        return AdminRefusal(503, "The data file could not be read: nothing changed.");
    BoardContext board = host.Board();
    UserTable before = board.table;
    BoardChange change;
    AdminReply made = MakeEdit(board, edit, change);
    if (made.status != 200) {
        board.table = before;
        return made;
    }
    change.peer = "web administration from " + peer;
    PublishResult result = host.PublishChange(change);
    if (result.save_failed || result.load_failed) {
        board.table = before;
        return AdminRefusal(503, "The data file could not be saved: nothing changed.");
    }
    return AdminOk();
}
