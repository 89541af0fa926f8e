#include "case_file.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

bool Starts_With(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::string Decode(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes.push_back(text[i]);
            continue;
        }
        const char kind = text[++i];
        if (kind == 'x' && i + 2 < text.size()) {
            bytes.push_back(
                static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16)));
            i += 2;
        } else {
            bytes.push_back(kind == 't' ? '\t' : kind == 'r' ? '\r' : kind);
        }
    }
    return bytes;
}

// Where the lines of the open section go, and how they are taken.
struct Section {
    std::string* text = nullptr;
    bool no_eol = false;
    bool escaped = false;
};

void Close(Section& section, bool before_case) {
    if (section.text == nullptr) return;
    std::string& text = *section.text;
    // A blank line separates a case or a variant from the next; it belongs to no section.
    const std::size_t size = text.size();
    if (before_case && (text == "\n" || (size >= 2 && text.compare(size - 2, 2, "\n\n") == 0))) {
        text.pop_back();
    }
    if (section.no_eol && !text.empty()) text.pop_back();
    if (section.escaped) text = Decode(text);
    section = Section{};
}

TreeCase Unreadable(const std::string& where, const std::string& why) {
    TreeCase c;
    c.name = "unreadable";
    c.error = where + ": " + why;
    return c;
}

}  // namespace

std::vector<TreeCase> Read_Case_File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {Unreadable(path, "cannot read")};
    std::vector<TreeCase> cases;
    std::vector<std::size_t> templates;  // cases that only their variants run
    std::size_t base = 0;                // the current case
    Section section;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const bool header = Starts_With(line, "### ") || Starts_With(line, "+++ ") ||
                            Starts_With(line, "--- ") || Starts_With(line, "=== ");
        if (!header && section.text != nullptr) {
            *section.text += line + "\n";
            continue;
        }
        Close(section, Starts_With(line, "### ") || Starts_With(line, "+++ "));
        if (line.empty() || Starts_With(line, "//")) continue;
        const std::string where = path + ":" + std::to_string(number);
        std::string name = line.substr(std::min<std::size_t>(4, line.size()));
        if (Starts_With(line, "### ")) {
            base = cases.size();
            cases.emplace_back();
            cases.back().name = name;
            cases.back().line = number;
            continue;
        }
        if (cases.empty()) return {Unreadable(where, "text before the first case")};
        if (Starts_With(line, "+++ ")) {
            if (templates.empty() || templates.back() != base) templates.push_back(base);
            TreeCase variant = cases[base];
            variant.name += " / " + name;
            variant.line = number;
            cases.push_back(std::move(variant));
            continue;
        }
        TreeCase& c = cases.back();
        section.no_eol = name.find(" [no-eol]") != std::string::npos;
        section.escaped = name.find(" [escaped]") != std::string::npos;
        name = name.substr(0, name.find(" ["));
        if (Starts_With(line, "args:")) {
            std::istringstream words(line.substr(5));
            c.args.clear();
            for (std::string word; words >> word;) c.args.push_back(word);
        } else if (Starts_With(line, "status:")) {
            c.status = std::atoi(line.c_str() + 7);
        } else if (Starts_With(line, "platform:")) {
            std::istringstream(line.substr(9)) >> c.platform;
        } else if (Starts_With(line, "--- ")) {
            c.files.push_back({name, ""});
            section.text = &c.files.back().second;
        } else if (Starts_With(line, "=== ") &&
                   (name == "output" || name == "stderr" || name == "stdout")) {
            section.text = name == "output" ? &c.output : name == "stderr" ? &c.err : &c.out;
            section.text->clear();
        } else {
            return {Unreadable(where, "cannot read '" + line + "'")};
        }
    }
    Close(section, true);
    for (auto at = templates.rbegin(); at != templates.rend(); ++at) {
        cases.erase(cases.begin() + static_cast<std::ptrdiff_t>(*at));
    }
    return cases;
}
