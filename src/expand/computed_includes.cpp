#include "expand/computed_includes.h"

#include "scan/directive.h"

namespace {

bool Is_Identifier_Start(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool Is_Identifier_Byte(char c) {
    return Is_Identifier_Start(c) || (c >= '0' && c <= '9');
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t begin = Skip_Space(text, 0);
    std::size_t end = text.size();
    while (end > begin && Is_Blank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

}  // namespace

std::string ComputedIncludes::Marker(std::string_view macro) {
    return "__DEFINITION_" + std::string(macro);
}

std::size_t ComputedIncludes::Assumed(std::string_view macro) const {
    for (auto taken = assumed_.rbegin(); taken != assumed_.rend(); ++taken) {
        const auto found = taken->find(macro);
        if (found != taken->end()) return found->second;
    }
    return 0;
}

void ComputedIncludes::Drop_Assumptions(std::string_view macro) {
    for (Taken& taken : assumed_) {
        const auto found = taken.find(macro);
        if (found != taken.end()) taken.erase(found);
    }
}

unsigned ComputedIncludes::Define(std::string_view macro, std::string_view rest) {
    Drop_Assumptions(macro);
    Definition definition;
    // A function-like macro has its parenthesis right after the name.
    definition.reducible = rest.empty() || rest[0] != '(';
    definition.replacement = Trimmed(rest);
    if (definition.replacement.find('#') != std::string::npos) definition.reducible = false;
    auto found = definitions_.find(macro);
    if (found == definitions_.end()) found = definitions_.emplace(std::string(macro), 0).first;
    // A definition alike to one before it is that one: the same number stands for both, so
    // that a header included again adds no candidates.
    std::vector<Definition>& known = found->second;
    std::size_t index = 0;
    while (index < known.size() && (known[index].replacement != definition.replacement ||
                                    known[index].reducible != definition.reducible)) {
        ++index;
    }
    if (index == known.size()) known.push_back(std::move(definition));
    return marked_.count(macro) != 0 ? static_cast<unsigned>(index + 1) : 0;
}

bool ComputedIncludes::Undefine(std::string_view macro) {
    Drop_Assumptions(macro);
    return marked_.count(macro) != 0;
}

std::vector<ComputedIncludes::Token> ComputedIncludes::Tokens(std::string_view text) {
    std::vector<Token> tokens;
    bool space = false;
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        if (Is_Blank(c)) {
            space = true;
            ++at;
            continue;
        }
        std::size_t end = at + 1;
        if (Is_Identifier_Start(c)) {
            while (end < text.size() && Is_Identifier_Byte(text[end])) ++end;
        } else if (c == '"') {
            // A string literal is one token; a backslash hides the byte behind it.
            while (end < text.size() && text[end] != '"') end += text[end] == '\\' ? 2 : 1;
            end = end < text.size() ? end + 1 : text.size();
        } else if (c >= '0' && c <= '9') {
            while (end < text.size() && (Is_Identifier_Byte(text[end]) || text[end] == '.')) ++end;
        }
        tokens.push_back({std::string(text.substr(at, end - at)), Is_Identifier_Start(c), space});
        space = false;
        at = end;
    }
    return tokens;
}

bool ComputedIncludes::Expand(const std::vector<Token>& tokens, MacroSet& painted,
                              std::vector<Expansion>& ways, Outcome& failure) {
    ways.assign(1, Expansion{});
    for (const Token& token : tokens) {
        const auto found = token.identifier && painted.count(token.text) == 0
                               ? definitions_.find(token.text)
                               : definitions_.end();
        if (found == definitions_.end()) {
            for (Expansion& way : ways) way.tokens.push_back(token);
            continue;
        }
        const std::string& macro = found->first;
        if (marked_.count(macro) == 0) failure = Outcome::wanting;
        used_.insert(macro);
        // Each definition met may be the one in force, but for one a candidate's branch holds
        // to; each way goes on with each.
        std::vector<Expansion> next;
        const std::size_t assumed = Assumed(macro);
        for (std::size_t index = 0; index < found->second.size(); ++index) {
            if (assumed != 0 && index + 1 != assumed) continue;
            const Definition& definition = found->second[index];
            if (!definition.reducible) {
                failure = Outcome::unreduced;
                return false;
            }
            painted.insert(macro);
            std::vector<Expansion> inner;
            const bool expanded = Expand(Tokens(definition.replacement), painted, inner, failure);
            painted.erase(macro);
            if (!expanded) return false;
            for (const Expansion& way : ways) {
                for (const Expansion& part : inner) {
                    Expansion joined = way;
                    // One configuration has one definition of a macro in force.
                    bool consistent = joined.taken.emplace(macro, index + 1).first->second ==
                                      index + 1;
                    for (const auto& taken : part.taken) {
                        consistent =
                            consistent &&
                            joined.taken.emplace(taken.first, taken.second).first->second ==
                                taken.second;
                    }
                    if (!consistent) continue;
                    for (std::size_t i = 0; i < part.tokens.size(); ++i) {
                        joined.tokens.push_back(part.tokens[i]);
                        if (i == 0) joined.tokens.back().space_before = token.space_before;
                    }
                    next.push_back(std::move(joined));
                    if (next.size() > kMaxCandidates) {
                        failure = Outcome::too_many;
                        return false;
                    }
                }
            }
        }
        ways.swap(next);
    }
    return true;
}

ComputedIncludes::Outcome ComputedIncludes::Reduce(std::string_view macro,
                                                   std::vector<Candidate>& candidates) {
    candidates.clear();
    if (definitions_.find(macro) == definitions_.end()) return Outcome::unreduced;
    Outcome failure = Outcome::reduced;
    MacroSet painted;
    std::vector<Expansion> ways;
    used_.clear();
    const bool expanded = Expand({{std::string(macro), true, false}}, painted, ways, failure);
    // Only an include that can be reduced wants its macros marked.
    if (expanded) wanted_.insert(used_.begin(), used_.end());
    if (!expanded || failure != Outcome::reduced) return failure;
    for (const Expansion& way : ways) {
        Candidate candidate;
        const std::vector<Token>& tokens = way.tokens;
        if (tokens.size() == 1 && tokens[0].text.size() >= 2 && tokens[0].text[0] == '"' &&
            tokens[0].text.back() == '"') {
            candidate.name = tokens[0].text.substr(1, tokens[0].text.size() - 2);
        } else if (tokens.size() >= 2 && tokens.front().text == "<" && tokens.back().text == ">") {
            // The tokens between the brackets, spelt as they stand, make the name.
            candidate.angle = true;
            for (std::size_t i = 1; i + 1 < tokens.size(); ++i) {
                if (tokens[i].space_before && i > 1) candidate.name.push_back(' ');
                candidate.name += tokens[i].text;
            }
        } else {
            return Outcome::unreduced;
        }
        std::string condition;
        for (const auto& taken : way.taken) {
            if (!condition.empty()) condition += " && ";
            const std::string marker = Marker(taken.first);
            condition +=
                "defined(" + marker + ") && " + marker + " == " + std::to_string(taken.second);
        }
        // Ways to the same header make one candidate.
        auto same = candidates.begin();
        while (same != candidates.end() &&
               (same->name != candidate.name || same->angle != candidate.angle)) {
            ++same;
        }
        if (same == candidates.end()) {
            candidate.condition = std::move(condition);
            candidate.taken = way.taken;
            candidates.push_back(std::move(candidate));
        } else {
            if (same->condition.front() != '(') same->condition = "(" + same->condition + ")";
            same->condition += " || (" + condition + ")";
            // Only what both ways took is known where the candidate is taken.
            for (auto taken = same->taken.begin(); taken != same->taken.end();) {
                const auto other = way.taken.find(taken->first);
                taken = other != way.taken.end() && other->second == taken->second
                            ? std::next(taken)
                            : same->taken.erase(taken);
            }
        }
    }
    return Outcome::reduced;
}
