#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

/// `#include NAME` with NAME an object-like macro, resolved for every definition that can be in
/// force (-eci). Every definition of a macro that such an include uses is marked in the joined
/// text: beside it the tool defines `__DEFINITION_<macro>` to the definition's number, and
/// undefines it with the macro, so the compiler holds exactly the number of the definition it
/// took. At the include, each combination of definitions gives a header name, and the file it
/// names is expanded under the test of their numbers.
///
/// Which macros need markers is known only at the includes, after their definitions were
/// written, so the run is made again with the macros it found wanting (`Wanted`) marked, until
/// no include wants one that was not.
class ComputedIncludes {
  public:
    using MacroSet = std::set<std::string, std::less<>>;

    /// `marked`: the macros whose definitions this run marks; outlives this.
    explicit ComputedIncludes(const MacroSet& marked) : marked_(marked) {}

    /// Takes in a #define of `macro` whose analysis after the name is `rest`. The number of the
    /// definition when the macro is marked (the caller writes the marker), else 0.
    unsigned Define(std::string_view macro, std::string_view rest);
    /// Takes in an #undef of `macro`. True when it is marked (the caller undefines the marker).
    bool Undefine(std::string_view macro);

    /// Which definition of each macro is in force, by number.
    using Taken = std::map<std::string, std::size_t, std::less<>>;
    /// One header name an include may stand for, and the test that holds where it does.
    struct Candidate {
        std::string name;
        bool angle = false;
        std::string condition;  ///< for #if: the numbers of the definitions it was made of
        Taken taken;            ///< what every way to it took alike
    };
    enum class Outcome {
        reduced,     ///< `candidates` holds every header name the include can stand for
        wanting,     ///< a macro it uses is not marked in this run: it is `Wanted` now
        unreduced,   ///< no definition of the macro was met, or one cannot be reduced
        too_many,    ///< more than kMaxCandidates combinations
    };
    /// The header names `macro` can expand to, through the object-like definitions met so far.
    Outcome Reduce(std::string_view macro, std::vector<Candidate>& candidates);

    /// Within the branch of a candidate: its definitions are in force there, until one of the
    /// macros is defined or undefined again. A nested include takes no other.
    void Assume(const Taken& taken) { assumed_.push_back(taken); }
    /// The branch ends.
    void Forget() { assumed_.pop_back(); }

    /// The macros that an include of this run used, marked or not.
    const MacroSet& Wanted() const { return wanted_; }

    /// The macro that holds which definition of `macro` is in force.
    static std::string Marker(std::string_view macro);

    static constexpr std::size_t kMaxCandidates = 64;

  private:
    struct Definition {
        std::string replacement;  ///< the analysis after the name, trimmed
        bool reducible = true;    ///< object-like, and no # or ## in it
    };
    struct Token {
        std::string text;
        bool identifier = false;
        bool space_before = false;
    };
    /// One way the tokens can expand: the tokens, and the definition taken for each macro.
    struct Expansion {
        std::vector<Token> tokens;
        Taken taken;
    };
    /// The number of the definition of `macro` assumed to be in force, or 0.
    std::size_t Assumed(std::string_view macro) const;
    void Drop_Assumptions(std::string_view macro);
    static std::vector<Token> Tokens(std::string_view text);
    [[nodiscard]] bool Expand(const std::vector<Token>& tokens, MacroSet& painted,
                              std::vector<Expansion>& ways, Outcome& failure);

    const MacroSet& marked_;
    MacroSet wanted_;
    MacroSet used_;  ///< by the include being reduced
    std::vector<Taken> assumed_;
    std::map<std::string, std::vector<Definition>, std::less<>> definitions_;
};
