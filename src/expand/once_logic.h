#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "expand/guard_names.h"
#include "expand/include_frame.h"
#include "expand/options.h"
#include "io/diagnostics.h"
#include "io/output_stream.h"
#include "scan/directive.h"

/// What the run knows of a file that may take effect only once for the compiler.
struct OnceRecord {
    /// The macro that stands for the file's #pragma once; empty until one is met.
    std::string pragma_guard;
    /// Whether the file's text has been seen whole for an include guard (with -sg).
    bool shape_known = false;
    /// The include guard that wraps the whole file; empty when it has none.
    std::string guard_macro;
};

/// Where the compiler surely goes in the joined text, and what that tells about the files that
/// take effect once. It follows the conditional blocks open in every file on the stack and which
/// of their branches are surely taken or surely skipped, and the macros surely defined: a
/// #define on the way to the line being read, in a block that encloses it or outside every
/// block, and no #undef of the macro met since, anywhere but in a branch surely skipped. A -D
/// cannot undefine such a macro, so
/// what follows from it holds for every configuration; with -sg, a file's own include guard
/// block counts as entered once its #define is passed, when no text before defined its macro
/// (the one assumption of -sg). From that: a #pragma once or an include guard in force drops a
/// later inclusion of its file, and a branch whose test is surely false is surely skipped.
/// -io lives here too.
class OnceLogic {
  public:
    OnceLogic(const Options& options, OutputStream& output, Diagnostics& diagnostics)
        : options_(options), output_(output), diagnostics_(diagnostics) {}
    OnceLogic(const OnceLogic&) = delete;
    OnceLogic& operator=(const OnceLogic&) = delete;

    enum class Opening {
        expand,  ///< the file's lines follow
        skip,    ///< the compiler drops the file here (or -io saw it): nothing of it is read
        failed,  ///< the error was printed; the run ends
    };
    /// Called when the top frame of `stack` has just been opened, before its first line:
    /// decides whether its text is left out, applies -io (except to the run's first input's own
    /// frame, `first_input`), writes the guard or wrapping lines and reports the inclusion.
    [[nodiscard]] Opening Open(IncludeStack& stack, bool first_input);
    /// Called after the last line of the top frame `frame`: warns about the blocks it leaves
    /// open, closes them and the block of the tool's own around it, and keeps what its text
    /// showed of an include guard.
    void Close(IncludeFrame& frame);

    /// Takes in a line of the top frame `frame` that was analysed: its directive (none for a
    /// line that holds none) and its analysis copy. Opens and closes conditional blocks, the
    /// frame's depth with them (warning about an #endif without a block), follows definitions
    /// and the shape of an include guard.
    void Take_Line(IncludeFrame& frame, const Directive& directive, std::string_view analysis);
    /// The macro a #pragma once line of the top frame `frame` is written as, which the line
    /// then defines. Null after printing the error when the file cannot be named.
    const std::string* Pragma_Once(IncludeFrame& frame);

    /// A block of the tool's own in the top frame, whose branches hold what a computed include
    /// may stand for, each under a test that excludes the others: opened with the test of its
    /// first branch, taken to its next branch (`test` null for the last, an #else), closed.
    /// What a branch surely defined is surely defined in a later branch of the same test, of
    /// another such block under the same blocks, as long as the tests' macros stay as they are.
    void Open_Tool_Block(const std::string& test);
    void Next_Tool_Branch(const std::string* test);
    void Close_Tool_Block();
    /// The macro `marker`, which tests of such blocks may read, was defined again or
    /// undefined: what branches under those tests defined no longer carries over.
    void Forget_Tested(const std::string& marker);

    /// The line being read lies in a branch the compiler surely skips.
    bool In_Skipped_Branch() const { return skipped_ != 0; }
    /// Every line of `frame` must be analysed and taken in, not only its directives.
    bool Watches_Every_Line(const IncludeFrame& frame) const {
        return frame.once.guard_watch == GuardWatch::before ||
               frame.once.guard_watch == GuardWatch::after;
    }

  private:
    /// One conditional block open in a file on the stack, or the tool's own block around a
    /// file that its #pragma once closes.
    struct Block {
        enum class Branch : std::uint8_t { open, taken, skipped };
        Branch branch = Branch::open;   ///< the branch being read: maybe, surely or never taken
        bool taken_before = false;      ///< an earlier branch is surely taken
        bool open_before = false;       ///< an earlier branch may be taken
        bool branched = false;          ///< an #else or #elif was met
        bool transparent = false;       ///< -sg: definitions from here on count outside it
        bool scoped = false;            ///< definitions in the branch are its own
        std::size_t level = 0;          ///< then the scope they are kept in
        std::string negated;            ///< the macro the first branch tests to be undefined
        std::string test;               ///< a block of the tool's own: the branch's test
    };
    void Keep_Tested(const Block& block);
    void Recall_Tested(Block& block);
    Block::Branch Evaluate(const Condition& condition, const Block& block) const;
    void Push(Block block);
    void Pop();
    void Switch_Branch(const Directive& directive);
    void Start_Branch(Block& block);
    void End_Branch(Block& block);
    std::size_t Target_Level() const;
    /// A string holding `text`, made from a spare one where there is one.
    std::string Spare_String(std::string_view text);
    /// Keeps what `text` holds for a later Spare_String; `text` is left empty.
    void Give_Back(std::string& text);
    /// The macros surely defined, each with the level of the scope that keeps it.
    using Definitions = std::unordered_map<std::string, std::size_t>;
    void Add_Defined(std::string_view macro, std::size_t level);
    void Erase_Defined(Definitions::iterator found);
    /// Target_Level as it was before `block`, the innermost one, was opened.
    std::size_t Target_Level_Below(const Block& block) const;
    void Define(std::string_view macro);
    /// `macro` as a key of `defined_`, in a string reused from one lookup to the next.
    const std::string& Probe(std::string_view macro) const {
        return probe_.assign(macro.data(), macro.size());
    }
    /// The entry of `macro` in `defined_`, or its end.
    Definitions::iterator Find_Defined(std::string_view macro) {
        return defined_.find(Probe(macro));
    }
    bool Surely_Defined(std::string_view macro) const { return defined_.count(Probe(macro)) != 0; }
    void Watch_Guard(IncludeFrame& frame, const Directive& directive, std::string_view analysis);
    OnceRecord* Find_Record(const IncludeFrame& frame, bool create);
    bool Dropped(const IncludeStack& stack) const;
    [[nodiscard]] Opening Include_Once(const IncludeFrame& frame, std::size_t depth);

    const Options& options_;
    OutputStream& output_;
    Diagnostics& diagnostics_;

    std::vector<Block> blocks_;
    std::size_t skipped_ = 0;  ///< blocks in a branch surely skipped
    /// The macros surely defined, each with the scope that keeps it.
    Definitions defined_;
    /// The macros defined in each scope, outermost first; the first is outside every block.
    std::vector<std::vector<std::string>> scopes_{1};
    std::size_t scope_count_ = 1;
    /// Strings and entries of `defined_` that ended blocks and scopes gave back, for the next
    /// ones: conditionals and definitions allocate nothing once these have grown.
    std::vector<std::string> spare_strings_;
    std::vector<Definitions::node_type> spare_entries_;
    /// What branches of the tool's blocks surely defined, by the scope the block stood in and
    /// the branch's test.
    std::map<std::pair<std::size_t, std::string>, std::vector<std::string>> tested_;
    /// Every macro a #define has named so far (with -sg).
    std::set<std::string, std::less<>> ever_defined_;

    GuardNames names_;
    /// By file identity, or by path for a file that has none (a device).
    std::map<std::pair<std::uint64_t, std::uint64_t>, OnceRecord> by_identity_;
    std::map<std::string, OnceRecord> by_path_;
    /// -io: the guard name issued for each include-once key.
    std::unordered_map<std::string, const std::string*> include_once_;
    std::string key_;
    // What a lookup in `defined_` by a view is made of, reused: looked up by its text, a macro
    // needs a string of its own.
    mutable std::string probe_;
    std::string scratch_;
    std::string shown_;
};
