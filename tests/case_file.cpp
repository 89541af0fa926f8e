#include "case_file.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

bool Starts_With(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string Decode(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes.push_back(text[i]);
            continue;
        }
        const char kind = text[++i];
        if (kind == 't') {
            bytes.push_back('\t');
        } else if (kind == 'r') {
            bytes.push_back('\r');
        } else if (kind == 'x' && i + 2 < text.size()) {
            bytes.push_back(
                static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16)));
            i += 2;
        } else {
            bytes.push_back(kind);
        }
    }
    return bytes;
}

// Where the lines of the open section go, and how they are taken.
struct Section {
    std::string* text = nullptr;
    bool no_eol = false;
    bool escaped = false;
    bool last_case_section = false;  ///< closed by the next case or the end of the file
};

void Close(Section& section) {
    if (section.text == nullptr) return;
    std::string& text = *section.text;
    // One blank line separates a case from the next; it belongs to no section.
    if (section.last_case_section &&
        (text == "\n" || (text.size() >= 2 && text.compare(text.size() - 2, 2, "\n\n") == 0))) {
        text.pop_back();
    }
    if (section.no_eol && !section.text->empty()) section.text->pop_back();
    if (section.escaped) *section.text = Decode(*section.text);
    section = Section{};
}

}  // namespace

std::vector<TreeCase> Read_Case_File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<TreeCase> cases;
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return cases;
    }
    Section section;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const bool header =
            Starts_With(line, "### ") || Starts_With(line, "--- ") || Starts_With(line, "=== ");
        if (!header && section.text != nullptr) {
            *section.text += line + "\n";
            continue;
        }
        section.last_case_section = Starts_With(line, "### ");
        Close(section);
        if (Starts_With(line, "### ")) {
            cases.emplace_back();
            cases.back().name = line.substr(4);
            continue;
        }
        if (line.empty() || Starts_With(line, "//")) continue;
        if (cases.empty()) {
            ADD_FAILURE() << path << ":" << number << ": text before the first case";
            return cases;
        }
        TreeCase& c = cases.back();
        std::string name = line.substr(std::min<std::size_t>(4, line.size()));
        section.no_eol = name.find(" [no-eol]") != std::string::npos;
        section.escaped = name.find(" [escaped]") != std::string::npos;
        name = name.substr(0, name.find(" ["));
        if (Starts_With(line, "args:")) {
            std::istringstream words(line.substr(5));
            for (std::string word; words >> word;) c.args.push_back(word);
        } else if (Starts_With(line, "status:")) {
            c.status = std::atoi(line.c_str() + 7);
        } else if (Starts_With(line, "--- ")) {
            c.files.push_back({name, ""});
            section.text = &c.files.back().second;
        } else if (line == "=== output" || Starts_With(line, "=== output ")) {
            section.text = &c.output;
        } else if (Starts_With(line, "=== stderr")) {
            section.text = &c.err;
        } else if (Starts_With(line, "=== stdout")) {
            section.text = &c.out;
        } else {
            ADD_FAILURE() << path << ":" << number << ": cannot read '" << line << "'";
            return cases;
        }
    }
    section.last_case_section = true;
    Close(section);
    return cases;
}
