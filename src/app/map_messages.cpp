#include "app/map_messages.h"

#include <string>
#include <string_view>

#include "expand/line_map.h"
#include "path/path_chars.h"

namespace {

bool Is_Digit(char c) {
    return c >= '0' && c <= '9';
}

// The digits at `at`, read into `number`; the position after them.
std::size_t Read_Number(std::string_view text, std::size_t at, std::uint64_t& number) {
    number = 0;
    while (at < text.size() && Is_Digit(text[at])) {
        number = number * 10 + static_cast<std::uint64_t>(text[at++] - '0');
    }
    return at;
}

// Where a name of the output in `line` begins: at the line's start, or after a blank, a quote or
// a parenthesis; its folder, if it has one, is part of it.
std::size_t Name_Begin(std::string_view line, std::size_t end_of_folder) {
    std::size_t begin = end_of_folder;
    while (begin > 0 && line[begin - 1] != ' ' && line[begin - 1] != '\t' &&
           line[begin - 1] != '"' && line[begin - 1] != '\'' && line[begin - 1] != '(') {
        --begin;
    }
    return begin;
}

// `line` with every place in the output rewritten through `map`, into `mapped`.
void Map_Line(std::string_view line, const LineMap& map, std::string_view base,
              std::string& mapped) {
    mapped.clear();
    std::size_t copied = 0;
    for (std::size_t at = line.find(base); at != std::string_view::npos;
         at = line.find(base, at + 1)) {
        // The base name must stand whole: alone, or after a separator.
        if (at > 0 && !Is_Path_Separator(line[at - 1]) && Name_Begin(line, at) != at) continue;
        const std::size_t begin = Name_Begin(line, at);
        if (begin < copied) continue;
        std::size_t after = at + base.size();
        if (after + 1 >= line.size() || !Is_Digit(line[after + 1])) continue;
        const char opening = line[after];
        if (opening != ':' && opening != '(') continue;
        std::uint64_t number = 0;
        const std::size_t digits_end = Read_Number(line, after + 1, number);
        if (opening == '(' && (digits_end == line.size() ||
                               (line[digits_end] != ')' && line[digits_end] != ','))) {
            continue;
        }
        std::string file;
        std::uint64_t source_line = 0;
        if (!map.Find(number, file, source_line)) continue;
        mapped.append(line.substr(copied, begin - copied));
        mapped += file;
        mapped.push_back(opening);
        mapped += std::to_string(source_line);
        copied = digits_end;
        at = digits_end - 1;
    }
    mapped.append(line.substr(copied));
}

}  // namespace

int Map_Messages(const char* map_path, FILE* in, FILE* out, Diagnostics& diagnostics) {
    std::string text;
    FILE* file = std::fopen(map_path, "rb");
    if (file == nullptr) {
        diagnostics.Error("failed to open '%s'", map_path);
        return -1;
    }
    char buffer[16 * 1024];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        text.append(buffer, count);
    }
    const bool read = std::ferror(file) == 0;
    std::fclose(file);
    LineMap map;
    if (!read || !LineMap::Parse(text, map)) {
        diagnostics.Error("'%s' is not a line map", map_path);
        return -1;
    }
    // A compiler may name the output by another folder than the map does.
    std::string_view base = map.Output();
    std::size_t last = base.size();
    while (last > 0 && !Is_Path_Separator(base[last - 1])) --last;
    base.remove_prefix(last);
    if (base.empty()) {
        diagnostics.Error("'%s' is not a line map", map_path);
        return -1;
    }

    std::string line, mapped;
    for (int c; (c = std::fgetc(in)) != EOF || !line.empty();) {
        if (c != EOF && c != '\n') {
            line.push_back(static_cast<char>(c));
            continue;
        }
        Map_Line(line, map, base, mapped);
        std::fwrite(mapped.data(), 1, mapped.size(), out);
        if (c == '\n') std::fputc('\n', out);
        line.clear();
        if (c == EOF) break;
    }
    if (std::ferror(in) != 0) {
        diagnostics.Error("failed to read '%s'", "<stdin>");
        return -1;
    }
    return std::fflush(out) == 0 ? 0 : -1;
}
