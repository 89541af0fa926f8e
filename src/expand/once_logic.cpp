#include "expand/once_logic.h"

#include <algorithm>
#include <cstring>

#include "expand/line_numbering.h"
#include "expand/path_map.h"
#include "path/path.h"

namespace {

// The verbose line for `frame`, opened at stack depth `depth`: `verb`, the name it is shown by
// and the path it resolved to. Nothing for an input, which the run announces itself.
void Report_Include(Diagnostics& diagnostics, const char* verb, const IncludeFrame& frame,
                    std::size_t depth) {
    if (depth <= 1) return;
    diagnostics.Report(static_cast<unsigned>(depth - 1), "%s '%s' (resolved as '%s')", verb,
                       frame.display_name, frame.path);
}

void Warn_Mismatched(const IncludeFrame& frame, Diagnostics& diagnostics) {
    diagnostics.Warning(
        "mismatched preprocessor conditionals in '%s': there might have been parse errors",
        frame.path);
}

// The key a file's #pragma once macro is named after: its path made absolute and canonical, in
// the form of an include-once key.
bool Pragma_Key(const char* path, std::string& key) {
    std::string canonical = path;
    if (!CPath::To_Absolute(canonical) || !CPath::Normalize(canonical)) return false;
    return Guard_Key(canonical.c_str(), key);
}

// Spares kept of each kind, at most, and the longest text a kept one may hold: enough for the
// nesting and the names met in practice, without holding on to the memory of a huge one.
constexpr std::size_t kMaxSpares = 256;
constexpr std::size_t kMaxSpareSize = 256;

}  // namespace

OnceLogic::Block::Branch OnceLogic::Evaluate(const Condition& condition,
                                              const Block& block) const {
    using Branch = Block::Branch;
    if (block.taken_before) return Branch::skipped;
    // Only what a -D cannot change is known: a macro surely defined stays defined.
    enum class Truth { unknown, yes, no } truth = Truth::unknown;
    switch (condition.kind) {
        case Condition::Kind::constant:
            truth = condition.value ? Truth::yes : Truth::no;
            break;
        case Condition::Kind::defined:
            if (Surely_Defined(condition.macro)) truth = Truth::yes;
            break;
        case Condition::Kind::not_defined:
            if (Surely_Defined(condition.macro)) truth = Truth::no;
            break;
        case Condition::Kind::unknown:
            break;
    }
    if (truth == Truth::no) return Branch::skipped;
    return truth == Truth::yes && !block.open_before ? Branch::taken : Branch::open;
}

// Definitions in a branch that may not be taken are its own; a branch surely taken shares the
// scope around it.
void OnceLogic::Start_Branch(Block& block) {
    block.scoped = block.branch != Block::Branch::taken;
    if (block.scoped) {
        if (scope_count_ == scopes_.size()) scopes_.emplace_back();
        block.level = scope_count_++;
    }
    if (block.branch == Block::Branch::skipped) ++skipped_;
}

void OnceLogic::End_Branch(Block& block) {
    if (block.scoped) {
        // What was kept of the blocks inside this scope is gone with it.
        for (auto kept = tested_.begin(); kept != tested_.end();) {
            kept = kept->first.first >= block.level ? tested_.erase(kept) : std::next(kept);
        }
        // Scopes end in the order they began: this is the innermost.
        std::vector<std::string>& scope = scopes_[--scope_count_];
        for (std::string& macro : scope) {
            const auto found = defined_.find(macro);
            if (found != defined_.end() && found->second == block.level) Erase_Defined(found);
            Give_Back(macro);
        }
        scope.clear();
        block.scoped = false;
    }
    if (block.branch == Block::Branch::skipped) --skipped_;
}

void OnceLogic::Push(Block block) {
    Start_Branch(block);
    blocks_.push_back(std::move(block));
}

void OnceLogic::Pop() {
    Block& block = blocks_.back();
    // `#ifndef M` ... `#endif` with M surely defined at its end: whether the block was entered
    // or not, M is defined after it. So an include guard, or the block around a file that its
    // #pragma once closes, stays in force.
    const bool keeps = block.scoped && !block.branched && block.branch == Block::Branch::open &&
                       !block.negated.empty();
    if (keeps) {
        const auto found = defined_.find(block.negated);
        if (found != defined_.end() && found->second == block.level) {
            // Defined inside: it moves out to the scope around the block as it is, rather than
            // being dropped with the block's scope and defined again.
            const std::size_t level = Target_Level_Below(block);
            found->second = level;
            scopes_[level].push_back(std::move(block.negated));
        }
    }
    End_Branch(block);
    Give_Back(block.negated);
    Give_Back(block.test);
    blocks_.pop_back();
}

void OnceLogic::Switch_Branch(const Directive& directive) {
    Block& block = blocks_.back();
    End_Branch(block);
    using Branch = Block::Branch;
    // A trusted include guard's block is entered, so its first branch counts as taken.
    block.taken_before = block.taken_before || block.branch == Branch::taken || block.transparent;
    block.open_before = block.open_before || (block.branch == Branch::open && !block.transparent);
    block.branched = true;
    block.transparent = false;
    if (directive.is_else) {
        block.branch = block.taken_before  ? Branch::skipped
                       : block.open_before ? Branch::open
                                           : Branch::taken;
    } else {
        block.branch = Evaluate(directive.condition, block);
    }
    Start_Branch(block);
}

// The definitions of a tool block's branch that is ending, kept by its test.
void OnceLogic::Keep_Tested(const Block& block) {
    if (block.test.empty() || !block.scoped) return;
    std::vector<std::string>& kept = tested_[{Target_Level_Below(block), block.test}];
    kept.clear();
    for (const std::string& macro : scopes_[block.level]) {
        const auto found = defined_.find(macro);
        if (found != defined_.end() && found->second == block.level) kept.push_back(macro);
    }
}

// A branch whose test held before, under the same blocks: what it defined is defined here.
void OnceLogic::Recall_Tested(Block& block) {
    if (block.test.empty() || !block.scoped) return;
    const auto found = tested_.find({Target_Level_Below(block), block.test});
    if (found == tested_.end()) return;
    for (const std::string& macro : found->second) {
        const auto defined = defined_.find(macro);
        if (defined != defined_.end() && defined->second <= block.level) continue;
        defined_[macro] = block.level;
        scopes_[block.level].push_back(macro);
    }
}

void OnceLogic::Forget_Tested(const std::string& marker) {
    const std::string read = "defined(" + marker + ")";
    for (auto kept = tested_.begin(); kept != tested_.end();) {
        kept = kept->first.second.find(read) != std::string::npos ? tested_.erase(kept)
                                                                  : std::next(kept);
    }
}

void OnceLogic::Open_Tool_Block(const std::string& test) {
    Block block;
    block.test = test;
    Push(std::move(block));
    Recall_Tested(blocks_.back());
}

void OnceLogic::Next_Tool_Branch(const std::string* test) {
    Keep_Tested(blocks_.back());
    Directive branch;
    branch.kind = DirectiveKind::branch;
    Switch_Branch(branch);
    Block& block = blocks_.back();
    block.test = test != nullptr ? *test : std::string();
    Recall_Tested(block);
}

void OnceLogic::Close_Tool_Block() {
    Keep_Tested(blocks_.back());
    Pop();
}

std::size_t OnceLogic::Target_Level_Below(const Block& block) const {
    // The level definitions went to before the block, which is the innermost one.
    (void)block;
    for (auto inner = blocks_.rbegin() + 1; inner < blocks_.rend(); ++inner) {
        if (inner->scoped && !inner->transparent) return inner->level;
    }
    return 0;
}

std::size_t OnceLogic::Target_Level() const {
    for (auto block = blocks_.rbegin(); block != blocks_.rend(); ++block) {
        if (block->scoped && !block->transparent) return block->level;
    }
    return 0;
}

std::string OnceLogic::Spare_String(std::string_view text) {
    std::string spare;
    if (!spare_strings_.empty()) {
        spare = std::move(spare_strings_.back());
        spare_strings_.pop_back();
    }
    spare.assign(text.data(), text.size());
    return spare;
}

void OnceLogic::Give_Back(std::string& text) {
    // Only a string with memory of its own is worth keeping.
    if (text.capacity() > std::string().capacity() && text.capacity() <= kMaxSpareSize &&
        spare_strings_.size() < kMaxSpares) {
        spare_strings_.push_back(std::move(text));
    }
    text.clear();
}

void OnceLogic::Add_Defined(std::string_view macro, std::size_t level) {
    if (spare_entries_.empty()) {
        defined_.emplace(std::string(macro), level);
        return;
    }
    auto entry = std::move(spare_entries_.back());
    spare_entries_.pop_back();
    entry.key().assign(macro.data(), macro.size());
    entry.mapped() = level;
    defined_.insert(std::move(entry));
}

void OnceLogic::Erase_Defined(Definitions::iterator found) {
    if (found->first.capacity() <= kMaxSpareSize && spare_entries_.size() < kMaxSpares) {
        spare_entries_.push_back(defined_.extract(found));
    } else {
        defined_.erase(found);
    }
}

void OnceLogic::Define(std::string_view macro) {
    const std::size_t level = Target_Level();
    const auto found = Find_Defined(macro);
    if (found != defined_.end()) {
        if (found->second <= level) return;
        found->second = level;
    } else {
        Add_Defined(macro, level);
    }
    scopes_[level].push_back(Spare_String(macro));
}

void OnceLogic::Take_Line(IncludeFrame& frame, const Directive& directive,
                          std::string_view analysis) {
    Watch_Guard(frame, directive, analysis);
    switch (directive.kind) {
        case DirectiveKind::if_open: {
            Block block;
            block.branch = Evaluate(directive.condition, block);
            if (directive.condition.kind == Condition::Kind::not_defined) {
                block.negated = Spare_String(directive.condition.macro);
            }
            Push(std::move(block));
            ++frame.conditional_depth;
            break;
        }
        case DirectiveKind::branch:
            if (frame.conditional_depth != 0) Switch_Branch(directive);
            break;
        case DirectiveKind::endif:
            if (frame.conditional_depth == 0) {
                Warn_Mismatched(frame, diagnostics_);
            } else {
                Pop();
                --frame.conditional_depth;
            }
            break;
        case DirectiveKind::define:
            if (options_.skip_guarded) ever_defined_.emplace(directive.macro);
            Define(directive.macro);
            break;
        case DirectiveKind::undef: {
            // Met anywhere the compiler may go, on the way or beside it: the macro is no longer
            // surely defined. Where it surely does not go, nothing is undefined.
            if (In_Skipped_Branch()) break;
            const auto found = Find_Defined(directive.macro);
            if (found != defined_.end()) Erase_Defined(found);
            for (auto& kept : tested_) {
                std::vector<std::string>& macros = kept.second;
                macros.erase(std::remove(macros.begin(), macros.end(), directive.macro),
                             macros.end());
            }
            break;
        }
        default:
            break;
    }
}

// Follows the shape of an include guard over one line of `frame`, given what it holds.
void OnceLogic::Watch_Guard(IncludeFrame& frame, const Directive& directive,
                            std::string_view analysis) {
    OnceFrame& once = frame.once;
    switch (once.guard_watch) {
        case GuardWatch::off:
            return;
        case GuardWatch::before:
            if (directive.kind == DirectiveKind::if_open &&
                directive.condition.kind == Condition::Kind::not_defined) {
                once.guard_macro.assign(directive.condition.macro);
                once.guard_watch = GuardWatch::opened;
                // No text before defines the macro, so the block is entered: only a definition
                // from outside the sources (a -D of the guard's own macro) could skip it.
                once.trusted_guard = ever_defined_.count(directive.condition.macro) == 0;
            } else if (Has_Text(analysis)) {
                once.guard_watch = GuardWatch::off;
            }
            return;
        case GuardWatch::opened:
        case GuardWatch::inside:
            // Only the guard block's own directives matter here: its #define of the macro, and
            // its #else, #elif and #endif.
            if (frame.conditional_depth != 1) return;
            if (directive.kind == DirectiveKind::define && directive.macro == once.guard_macro) {
                once.guard_watch = GuardWatch::inside;
                // Past its #define, a trusted guard's block holds what the file holds.
                if (once.trusted_guard) blocks_[once.block_base].transparent = true;
            } else if (directive.kind == DirectiveKind::branch) {
                once.guard_watch = GuardWatch::off;
            } else if (directive.kind == DirectiveKind::endif) {
                once.guard_watch =
                    once.guard_watch == GuardWatch::inside ? GuardWatch::after : GuardWatch::off;
            }
            return;
        case GuardWatch::after:
            if (Has_Text(analysis)) once.guard_watch = GuardWatch::off;
            return;
    }
}

OnceRecord* OnceLogic::Find_Record(const IncludeFrame& frame, bool create) {
    // A file is the same file under any name or link.
    const FileIdentity& identity = frame.file.Identity();
    if (identity.valid) {
        const std::pair<std::uint64_t, std::uint64_t> key{identity.device, identity.index};
        const auto found = by_identity_.find(key);
        if (found != by_identity_.end()) return &found->second;
        return create ? &by_identity_[key] : nullptr;
    }
    const auto found = by_path_.find(frame.path);
    if (found != by_path_.end()) return &found->second;
    return create ? &by_path_[frame.path] : nullptr;
}

bool OnceLogic::Dropped(const IncludeStack& stack) const {
    const IncludeFrame& frame = stack.back();
    if (frame.in_skipped_branch) {
        // A skipped branch is left out with -sg; with every option, where it would open again a
        // file still open, which otherwise recurses to the depth limit.
        if (options_.skip_guarded) return true;
        for (std::size_t i = 0; i + 1 < stack.size(); ++i) {
            const IncludeFrame& open = stack[i];
            if (Same_File(open.file.Identity(), frame.file.Identity()) ||
                std::strcmp(open.path, frame.path) == 0) {
                return true;
            }
        }
    }
    const OnceRecord* record = frame.once.record;
    if (record == nullptr) return false;
    if (!record->pragma_guard.empty() && Surely_Defined(record->pragma_guard)) return true;
    return options_.skip_guarded && !record->guard_macro.empty() &&
           Surely_Defined(record->guard_macro);
}

OnceLogic::Opening OnceLogic::Open(IncludeStack& stack, bool first_input) {
    IncludeFrame& frame = stack.back();
    const std::size_t depth = stack.size();
    // Only files met before can be dropped; with -sg every file is watched for a guard.
    if (options_.skip_guarded || !by_identity_.empty() || !by_path_.empty()) {
        frame.once.record = Find_Record(frame, options_.skip_guarded);
    }
    if (Dropped(stack)) {
        Report_Include(diagnostics_, "skipping", frame, depth);
        return Opening::skip;
    }
    if (options_.include_once && !first_input) {
        const Opening opening = Include_Once(frame, depth);
        if (opening != Opening::expand) return opening;
    } else {
        Report_Include(diagnostics_, "recursing to", frame, depth);
    }
    if (OnceRecord* record = frame.once.record) {
        // A file whose #pragma once may not have been compiled yet is expanded again, in a block
        // that its pragma closes, so the compiler keeps exactly one copy.
        if (!record->pragma_guard.empty()) {
            output_.Print("#ifndef %s\n", record->pragma_guard.c_str());
            frame.once.wrapped = true;
            Block wrap;
            wrap.negated = record->pragma_guard;
            Push(std::move(wrap));
        }
        if (options_.skip_guarded) frame.once.guard_watch = GuardWatch::before;
    }
    frame.once.block_base = blocks_.size();
    return Opening::expand;
}

void OnceLogic::Close(IncludeFrame& frame) {
    if (frame.conditional_depth != 0) Warn_Mismatched(frame, diagnostics_);
    while (blocks_.size() > frame.once.block_base) Pop();
    frame.conditional_depth = 0;
    if (frame.once.wrapped) {
        output_.Print("#endif // %s\n", frame.once.record->pragma_guard.c_str());
        Pop();
    }
    OnceRecord* record = frame.once.record;
    if (record != nullptr && options_.skip_guarded && !record->shape_known) {
        record->shape_known = true;
        if (frame.once.guard_watch == GuardWatch::after) {
            record->guard_macro = frame.once.guard_macro;
        }
    }
}

const std::string* OnceLogic::Pragma_Once(IncludeFrame& frame) {
    if (frame.once.record == nullptr) frame.once.record = Find_Record(frame, true);
    OnceRecord& record = *frame.once.record;
    if (record.pragma_guard.empty()) {
        if (!Pragma_Key(frame.path, key_)) {
            diagnostics_.Error("failed to make absolute path '%s'", frame.path);
            return nullptr;
        }
        record.pragma_guard = names_.Issue(key_, "ONCE_", options_.path_prefix_map, diagnostics_);
    }
    Define(record.pragma_guard);
    return &record.pragma_guard;
}

OnceLogic::Opening OnceLogic::Include_Once(const IncludeFrame& frame, std::size_t depth) {
    if (!Guard_Key(frame.path, key_)) {
        diagnostics_.Error("failed to make absolute path '%s'", frame.path);
        return Opening::failed;
    }
    const char* display_name = Map_Path(frame.display_name, options_.path_prefix_map, shown_).data();
    const auto found = include_once_.find(key_);
    if (found != include_once_.end()) {
        Report_Include(diagnostics_, "skipping", frame, depth);
        const std::string_view guard = *found->second;
        output_.Write_Pieces({"#ifndef ", guard, "\n#error \"include once error: file '",
                              Escape_C_String(display_name, scratch_),
                              "' is not included\"\n#endif // !", guard, "\n"});
        return Opening::skip;
    }
    Report_Include(diagnostics_, "recursing to", frame, depth);
    const std::string& guard = names_.Issue(key_, "", options_.path_prefix_map, diagnostics_);
    include_once_.emplace(key_, &guard);
    output_.Write_Pieces({"#ifndef ", guard, "\n#define ", guard, "\n#else // !", guard,
                          "\n#error \"include once error: file '",
                          Escape_C_String(display_name, scratch_),
                          "' is already included\"\n#endif // !", guard, "\n"});
    return Opening::expand;
}
