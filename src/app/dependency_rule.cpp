#include "app/dependency_rule.h"

#include <cstddef>

namespace {

constexpr std::size_t kColumns = 72;

void Escape(const char* name, std::string& escaped) {
    escaped.clear();
    std::size_t backslashes = 0;
    for (const char* c = name; *c != '\0'; ++c) {
        switch (*c) {
            case '\\':
                ++backslashes;
                escaped.push_back(*c);
                continue;
            case ' ':
            case '\t':
                // make reads 2N+1 backslashes before a blank as N and a blank in the name.
                escaped.append(backslashes + 1, '\\');
                break;
            case '#':
                escaped.push_back('\\');
                break;
            case '$':
                escaped.push_back('$');
                break;
            default:
                break;
        }
        backslashes = 0;
        escaped.push_back(*c);
    }
}

// Appends one name of the rule, starting a continued line where it would pass the columns; the
// first name of the rule starts it. Returns the column after it.
std::size_t Append_Name(const std::string& name, std::size_t column, std::string& rule) {
    if (column != 0) {
        if (column + name.size() > kColumns) {
            rule += " \\\n";
            column = 0;
        }
        rule.push_back(' ');
        ++column;
    }
    rule += name;
    return column + name.size();
}

}  // namespace

void Make_Dependency_Rule(const std::vector<const char*>& targets, const char* output,
                          const std::vector<ReadFiles::Entry>& files, bool phony,
                          std::string& rule) {
    rule.clear();
    std::string name;
    std::size_t column = 0;
    if (targets.empty()) {
        Escape(output, name);
        column = Append_Name(name, column, rule);
    }
    for (const char* target : targets) column = Append_Name(target, column, rule);
    rule.push_back(':');
    ++column;
    for (const ReadFiles::Entry& file : files) {
        Escape(file.path, name);
        column = Append_Name(name, column, rule);
    }
    rule.push_back('\n');
    if (!phony) return;
    for (const ReadFiles::Entry& file : files) {
        if (file.input) continue;
        Escape(file.path, name);
        rule += name;
        rule += ":\n";
    }
}
