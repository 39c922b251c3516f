#include "server/posix/config_file.h"

#include <cstring>

#include "common/fixed_text.h"
#include "common/file_reader.h"
#include "common/file_writer.h"

namespace {

const char kSpaces[] = " \t";

std::string Trim(const std::string &text) {
    size_t first = text.find_first_not_of(kSpaces);
    if (first == std::string::npos) return "";
    size_t last = text.find_last_not_of(kSpaces);
    return text.substr(first, last - first + 1);
}

// "\n", "\r" and "\\" undone; any other backslash stands for itself.
std::string Unescape(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            char next = text[i + 1];
            if (next == 'n' || next == 'r' || next == '\\') {
                out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

bool NameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

std::string EscapeConfigValue(const std::string &value) {
    std::string out;
    for (char c : value) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

void ConfigFile::Parse(const std::string &text) {
    lines_.clear();
    entries_.clear();
    problems_.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines_.push_back(line);
        start = end + 1;
    }
    final_newline_ = text.empty() || text.back() == '\n';
    for (size_t i = 0; i < lines_.size(); ++i) {
        int number = static_cast<int>(i) + 1;
        std::string line = Trim(lines_[i]);
        if (line.empty() || line[0] == '#') continue;
        size_t equals = line.find('=');
        std::string name = Trim(line.substr(0, equals));
        bool named = !name.empty();
        for (char c : name) named = named && NameCharacter(c);
        if (equals == std::string::npos || !named) {
            problems_.push_back({number, "not a Name=Value line: " + line});
            continue;
        }
        if (const Entry *earlier = Find(name.c_str())) {
            problems_.push_back(
                {number, name + " is set already on line " + std::to_string(earlier->line)});
            continue;
        }
        entries_.push_back({name, Unescape(Trim(line.substr(equals + 1))), number});
    }
}

bool ConfigFile::Load(const std::string &path) {
    StandardFileReader reader;
    if (reader.OpenFile(path.c_str()) != FileReader::Open) return false;
    std::string text;
    char buffer[4096];
    long got;
    while ((got = reader.ReadSome(buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(got));
    reader.CloseFile();
    if (got < 0) return false;
    path_ = path;
    Parse(text);
    return true;
}

const ConfigFile::Entry *ConfigFile::Find(const char *name) const {
    for (const Entry &entry : entries_)
        if (entry.name == name) return &entry;
    return nullptr;
}

std::string ConfigFile::Text() const {
    std::string text;
    for (size_t i = 0; i < lines_.size(); ++i) {
        text += lines_[i];
        if (i + 1 < lines_.size() || final_newline_) text += '\n';
    }
    return text;
}

bool ConfigFile::Read(const char *name, char *dest, size_t capacity) {
    const Entry *entry = Find(name);
    CopyCut(dest, capacity, entry ? entry->value.c_str() : "");
    return true;
}

bool ConfigFile::Write(const char *name, const char *text) {
    std::string line = std::string(name) + "=" + EscapeConfigValue(text);
    Entry *entry = const_cast<Entry *>(Find(name));
    if (entry) {
        lines_[static_cast<size_t>(entry->line - 1)] = line;
        entry->value = text;
    } else {
        // A new setting goes below the one it is named after (WebKeyHash
        // below the WebKey it replaces, with its comment), else at the end.
        size_t at = lines_.size();
        size_t length = std::strlen(name);
        for (const Entry &other : entries_)
            if (other.name.size() < length &&
                other.name.compare(0, std::string::npos, name, other.name.size()) == 0)
                at = static_cast<size_t>(other.line);
        if (at == lines_.size() && !final_newline_ && !lines_.empty()) final_newline_ = true;
        lines_.insert(lines_.begin() + static_cast<long>(at), line);
        for (Entry &later : entries_)
            if (later.line > static_cast<int>(at)) ++later.line;
        entries_.push_back({name, text, static_cast<int>(at) + 1});
    }
    return Save();
}

bool ConfigFile::Remove(const char *name) {
    const Entry *entry = Find(name);
    if (!entry) return true;
    int line = entry->line;
    lines_.erase(lines_.begin() + (line - 1));
    entries_.erase(entries_.begin() + (entry - entries_.data()));
    for (Entry &later : entries_)
        if (later.line > line) --later.line;
    return Save();
}

bool ConfigFile::Save() const {
    if (path_.empty()) return true;
    std::string bytes = Text();
    return writer_->ReplaceDurably(path_.c_str(), bytes.data(), bytes.size());
}
