#!/usr/bin/env python3
"""Writes the benchmark inputs into a folder.

    generate.py large  DIR [MEGABYTES]          one large source file (default 40 MB)
    generate.py tree   DIR [HEADERS]            HEADERS guarded headers of ~400 lines (default 2000)
    generate.py chain  DIR [DEPTH]              a chain of DEPTH nested includes (default 299)
    generate.py search DIR [INCLUDES] [DIRS]    INCLUDES includes, each found in the last of DIRS
                                                include directories (defaults 2000 and 50)
    generate.py repeat DIR [INCLUDES]           INCLUDES includes of one small header beside the
                                                input (default 300000)

Every case leaves three files in DIR beside its sources, which bench/run reads:
    input      the file to give the tool (relative to DIR; the tools run with DIR as the
               current directory)
    files      every source file in the order its text appears in the joined output, for the
               cat and line-copy references
    includes   the include directories, one a line (may be empty)

The text is C as it is really written: block and line comments (with apostrophes in prose),
string and character literals with escapes, divisions, and a few directives whose conditions hold,
so that every line survives `cpp -fdirectives-only` as it survives the tool. Output is the same
for the same arguments.
"""

import os
import random
import sys

WORDS = (
    "buffer count index offset length width height stride pixel value weight scale bias "
    "source target result sample kernel block tile row column channel frame layer state "
    "cursor limit total delta range origin extent mask flags level depth"
).split()
TYPES = ("int", "unsigned", "float", "double", "size_t", "uint32_t", "int64_t", "char",
         "const char *", "struct tile_desc *", "float4")
PROSE = (
    "Computes the {a} for each {b} of the {c}.",
    "The caller's {a} must not alias the {b}; it's checked only in debug builds.",
    "Returns the {a} clamped to the {b} range, or zero when the {c} is empty.",
    "Don't call this before the {a} is set up: the {b} isn't valid until then.",
    "See the notes on {a} and {b} above; both are in units of the {c}.",
    "Walks the {a} once, keeping the running {b} in a register.",
)
STRINGS = (
    '"{a} out of range: %d\\n"',
    '"\\"{a}\\" is not a valid {b}"',
    '"{a}/{b}: %s\\t(%u)"',
    '"path\\\\to\\\\{a}.bin"',
    '"{a} // not a comment"',
    '"{a} /* nor this */ {b}"',
    '""',
)
CHARS = ("'a'", "'\\n'", "'\\''", "'\"'", "'\\\\'", "'#'", "'/'", "'0'", "' '", "'\\t'")


class Writer:
    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.serial = 0

    def word(self):
        return self.rng.choice(WORDS)

    def name(self):
        self.serial += 1
        return "%s_%s_%d" % (self.word(), self.word(), self.serial)

    def prose(self):
        return self.rng.choice(PROSE).format(a=self.word(), b=self.word(), c=self.word())

    def string(self):
        return self.rng.choice(STRINGS).format(a=self.word(), b=self.word())

    def doc_comment(self, out):
        out.append("/**")
        for _ in range(self.rng.randint(1, 4)):
            out.append(" * " + self.prose())
        out.append(" */")

    def struct(self, out):
        name = self.name()
        self.doc_comment(out)
        out.append("struct %s {" % name)
        for _ in range(self.rng.randint(3, 8)):
            field = "    %s %s;" % (self.rng.choice(TYPES), self.word())
            if self.rng.random() < 0.3:
                field += "  // " + self.prose()
            out.append(field)
        out.append("};")
        out.append("")

    def prototype(self, out):
        args = ", ".join("%s %s" % (self.rng.choice(TYPES), self.word())
                         for _ in range(self.rng.randint(1, 4)))
        out.append("%s %s(%s);" % (self.rng.choice(TYPES), self.name(), args))

    def constants(self, out):
        out.append("enum {")
        for i in range(self.rng.randint(3, 7)):
            out.append("    %s_%s = %d," % (self.word().upper(), self.word().upper(), i * 4))
        out.append("};")
        out.append("static const float %s[] = { %s };" % (
            self.name(), ", ".join("%.3ff" % self.rng.uniform(-2, 2) for _ in range(8))))
        out.append("")

    def statement(self, out, indent):
        pad = " " * indent
        kind = self.rng.random()
        a, b, c = self.word(), self.word(), self.word()
        if kind < 0.30:
            out.append("%s%s += %s[%s] * %s;" % (pad, a, b, c, self.rng.randint(1, 9)))
        elif kind < 0.42:
            out.append("%s%s = (%s + %s) / %d;" % (pad, a, b, c, self.rng.randint(2, 16)))
        elif kind < 0.52:
            out.append("%sreport(%s, %s);" % (pad, self.string(), a))
        elif kind < 0.60:
            out.append("%sif (%s == %s) %s = %d;" % (pad, c, self.rng.choice(CHARS), a,
                                                     self.rng.randint(0, 99)))
        elif kind < 0.70:
            out.append("%s%s = %s < %s ? %s : %s;  // %s" % (pad, a, b, c, b, c, self.prose()))
        elif kind < 0.76:
            out.append("%s%s = %s(%s, %s /* %s */);" % (pad, a, self.name(), b, c, self.word()))
        elif kind < 0.82:
            out.append("%sif (%s > %s) {" % (pad, a, b))
            out.append("%s    %s -= %s;" % (pad, a, b))
            out.append("%s}" % pad)
        else:
            out.append("%s%s = %s & 0x%02xu;" % (pad, a, b, self.rng.randint(0, 255)))

    def function(self, out):
        name = self.name()
        self.doc_comment(out)
        out.append("static inline int %s(int %s, const float *%s)" % (name, self.word(),
                                                                        self.word()))
        out.append("{")
        out.append("    int %s = 0;" % self.word())
        out.append("    for (int i = 0; i < %d; ++i) {" % self.rng.randint(4, 64))
        for _ in range(self.rng.randint(2, 8)):
            self.statement(out, 8)
        out.append("    }")
        for _ in range(self.rng.randint(1, 6)):
            self.statement(out, 4)
        out.append("    return %s;" % self.word())
        out.append("}")
        out.append("")

    def directives(self, out):
        flag = "QF_NO_%s_%d" % (self.word().upper(), self.serial)
        out.append("#ifndef %s" % flag)
        out.append("#define %s_LIMIT %d" % (self.word().upper() + str(self.serial),
                                            self.rng.randint(1, 4096)))
        self.prototype(out)
        out.append("#endif /* %s */" % flag)
        out.append("")

    def unit(self, out):
        kind = self.rng.random()
        if kind < 0.45:
            self.function(out)
        elif kind < 0.70:
            self.struct(out)
        elif kind < 0.85:
            self.constants(out)
        elif kind < 0.95:
            for _ in range(self.rng.randint(2, 5)):
                self.prototype(out)
            out.append("")
        else:
            self.directives(out)

    def body(self, lines):
        out = []
        while len(out) < lines:
            self.unit(out)
        return out


def write_lines(path, lines):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines))
        f.write("\n")


def write_manifest(root, input_name, files, includes):
    write_lines(os.path.join(root, "input"), [input_name])
    write_lines(os.path.join(root, "files"), files)
    with open(os.path.join(root, "includes"), "w") as f:
        for d in includes:
            f.write(d + "\n")


def guarded(macro, lines):
    return ["#ifndef " + macro, "#define " + macro, ""] + lines + ["", "#endif /* %s */" % macro]


def large(root, megabytes=40):
    w = Writer(1)
    target = int(megabytes * 1000 * 1000)
    path = os.path.join(root, "large.c")
    os.makedirs(root, exist_ok=True)
    size = 0
    with open(path, "w", newline="\n") as f:
        f.write("/* Generated benchmark input: one large translation unit. */\n")
        while size < target:
            text = "\n".join(w.body(2000)) + "\n"
            f.write(text)
            size += len(text)
    write_manifest(root, "large.c", ["large.c"], [])


def tree(root, headers=2000):
    """One input including MODULES module headers, each including its share of leaf headers
    beside it: HEADERS headers in all, every one guarded and included exactly once."""
    w = Writer(2)
    modules = max(1, headers // 50)
    leaves = headers - modules
    files = ["main.c"]
    main = ["/* Generated benchmark input: a tree of guarded headers. */", ""]
    leaf = 0
    for m in range(modules):
        share = leaves // modules + (1 if m < leaves % modules else 0)
        module = "mod%02d/module.h" % m
        main.append('#include "%s"' % module)
        files.append(module)
        # The leaves come between two runs of declarations, never inside a comment.
        before, after = w.body(100), w.body(100)
        includes = []
        for _ in range(share):
            name = "leaf%04d.h" % leaf
            includes.append('#include "%s"' % name)
            files.append("mod%02d/%s" % (m, name))
            write_lines(os.path.join(root, "mod%02d" % m, name),
                        guarded("MOD%02d_LEAF%04d_H" % (m, leaf), w.body(396)))
            leaf += 1
        write_lines(os.path.join(root, module),
                    guarded("MOD%02d_MODULE_H" % m, before + includes + after))
    main += ["", "int main(void) { return 0; }"]
    write_lines(os.path.join(root, "main.c"), main)
    # cat and the line copy read each module header whole, then its leaves: the same bytes.
    write_manifest(root, "main.c", files, [])


def chain(root, depth=299):
    """chain000.c includes link001.h, which includes link002.h, ... down to link<DEPTH>.h."""
    w = Writer(3)
    files = ["chain000.c"]
    for k in range(depth, 0, -1):
        # The next link comes between two runs of declarations, never inside a comment.
        body = w.body(10)
        if k < depth:
            body.append('#include "link%03d.h"' % (k + 1))
        body += w.body(10)
        write_lines(os.path.join(root, "link%03d.h" % k), guarded("LINK%03d_H" % k, body))
    write_lines(os.path.join(root, "chain000.c"),
                ["/* Generated benchmark input: a chain of nested includes. */",
                 '#include "link001.h"', "int main(void) { return 0; }"])
    files += ["link%03d.h" % k for k in range(1, depth + 1)]
    write_manifest(root, "chain000.c", files, [])


def search(root, includes=2000, dirs=50):
    """main.c includes INCLUDES distinct headers by angle-bracket name; every one lies in the
    last of DIRS include directories, so each is found only after DIRS - 1 misses."""
    w = Writer(4)
    directories = ["inc%02d" % d for d in range(dirs)]
    for d in directories:
        os.makedirs(os.path.join(root, d), exist_ok=True)
    last = directories[-1]
    main = ["/* Generated benchmark input: includes found in the last include directory. */"]
    files = ["main.c"]
    for i in range(includes):
        name = "h%04d.h" % i
        main.append("#include <%s>" % name)
        files.append(os.path.join(last, name))
        write_lines(os.path.join(root, last, name), guarded("H%04d_H" % i, w.body(6)))
    main.append("int main(void) { return 0; }")
    write_lines(os.path.join(root, "main.c"), main)
    write_manifest(root, "main.c", files, directories)


def repeat(root, includes=300000):
    """main.c includes one.h, a two-line header beside it, INCLUDES times. The files manifest
    names main.c and one.h once each: cat of the whole text would take too many arguments."""
    os.makedirs(root, exist_ok=True)
    write_lines(os.path.join(root, "one.h"), ["/* A small header, included again and again. */",
                                              "extern int one_counter;"])
    with open(os.path.join(root, "main.c"), "w", newline="\n") as f:
        f.write('#include "one.h"\n' * includes)
    write_manifest(root, "main.c", ["main.c", "one.h"], [])


def main(argv):
    if len(argv) < 3:
        sys.stderr.write(__doc__)
        return 2
    case, root, rest = argv[1], argv[2], [int(a) for a in argv[3:]]
    cases = {"large": large, "tree": tree, "chain": chain, "search": search, "repeat": repeat}
    if case not in cases:
        sys.stderr.write(__doc__)
        return 2
    cases[case](root, *rest)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
