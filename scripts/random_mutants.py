#!/usr/bin/env python3
"""Random one-token mutants of the C++ sources, for scripts/mutation-check --random.

  random_mutants.py pick ROOT SEED COUNT OUTDIR   writes OUTDIR/NNN.patch, prints one row each
  random_mutants.py sites ROOT FILE...            prints every mutant of the files (to inspect)
  random_mutants.py score RESULTS                 prints the score, in total and per folder

A mutant is one token of a .cpp under src/ or platform/ replaced: a comparison flipped or its
bound moved by one (< and <=), an arithmetic, compound assignment, increment or logical
operator swapped, an integer nudged by one, a floating constant doubled or halved, a boolean
literal flipped. Comments, string and character literals and preprocessor lines are never
touched; neither are template arguments, array sizes in declarations, static_assert and pure
virtual "= 0". Initialisers of variables and members are values the code uses: they are kept.

An operator is taken only when it has white space on both sides: the sources are formatted by
clang-format, which spaces binary operators and never a template bracket, a pointer or
reference declarator, a dereference, an address-of or a unary sign.

Each mutant has a key that does not depend on line numbers: path, hash of the line's text
(with its occurrence number when the same text appears earlier in the file), index of the
token in the line, replacement. A seed ranks every mutant by the SHA-256 of seed and key and
the COUNT first are taken, so the choice depends only on the tree and the seed, and an edit
elsewhere leaves the other mutants' ranks alone. tests/mutants/equivalent-random.txt lists
equivalent mutants as "KEY reason", one a line.
"""
import bisect
import decimal
import difflib
import hashlib
import os
import re
import sys
from collections import Counter, defaultdict

FOLDERS = ("src", "platform")
EQUIVALENTS = "tests/mutants/equivalent-random.txt"

TOKEN = re.compile(
    r"""(?P<pp>^[ \t]*\#(?:\\\n|[^\n])*)
  | (?P<ws>[ \t\r\f\v]*\n|\s+)
  | (?P<comment>//[^\n]*|/\*.*?\*/)
  | (?P<raw>(?:u8|[uUL])?R"(?P<delim>[^()\\\s]{0,16})\(.*?\)(?P=delim)"\w*)
  | (?P<string>(?:u8|[uUL])?"(?:\\.|[^"\\\n])*"\w*)
  | (?P<char>(?:u8|[uUL])?'(?:\\.|[^'\\\n])+'\w*)
  | (?P<number>\.?\d(?:[eEpP][+-]|'(?=\w)|[\w.])*)
  | (?P<ident>[A-Za-z_]\w*)
  | (?P<punct>::|->\*?|\.\.\.|<=>|<<=|>>=|\+\+|--|&&|\|\||<<|>>|[-+*/%&|^!=<>]=|.)""",
    re.S | re.M | re.X,
)

# Spaced binary operators and their replacements.
OPERATORS = {
    "<": ("<=", ">="), "<=": ("<", ">"), ">": (">=", "<="), ">=": (">", "<"),
    "==": ("!=",), "!=": ("==",), "&&": ("||",), "||": ("&&",),
    "+": ("-",), "-": ("+",), "*": ("/",), "/": ("*",), "%": ("/",),
    "+=": ("-=",), "-=": ("+=",), "*=": ("/=",), "/=": ("*=",),
}
UNSPACED = {"++": ("--",), "--": ("++",), "true": ("false",), "false": ("true",)}
# Words before "name[" that do not make it a declaration.
NOT_TYPES = {"return", "case", "throw", "delete", "co_return", "co_yield", "else", "do", "new"}


class Token:
    def __init__(self, kind, text, start, end):
        self.kind, self.text, self.start, self.end = kind, text, start, end


def tokenize(text):
    """The code tokens of a C++ source: no white space, comments or preprocessor lines."""
    tokens = []
    for m in TOKEN.finditer(text):
        if m.lastgroup not in ("pp", "ws", "comment"):
            tokens.append(Token(m.lastgroup, m.group(), m.start(), m.end()))
    return tokens


def nudged_numbers(text):
    """Replacements of a numeric literal: an integer +1 and -1, a floating one doubled and
    halved (0 becomes 1); none for a literal this does not read."""
    number = text.replace("'", "")
    m = re.fullmatch(r"(0[xX])([0-9a-fA-F]+)([uUlLzZ]*)", number)
    if m:
        value, digits = int(m[2], 16), m[2]
        shape = "%0*X" if digits.upper() == digits else "%0*x"
        return [m[1] + shape % (len(digits), v) + m[3] for v in (value + 1, value - 1) if v >= 0]
    m = re.fullmatch(r"(0[bB])([01]+)([uUlLzZ]*)", number)
    if m:
        value = int(m[2], 2)
        return [m[1] + format(v, "b") + m[3] for v in (value + 1, value - 1) if v >= 0]
    exponent = r"[eE][+-]?\d+"
    m = re.fullmatch(r"(\d+\.\d*(?:%s)?|\.\d+(?:%s)?|\d+%s)([fFlL]|_\w+)?" % ((exponent,) * 3),
                     number)
    if m:
        value = decimal.Decimal(m[1])
        results = [str(v) for v in ([1] if value == 0 else [value * 2, value / 2])]
        return [s + ("" if re.search(r"[.eE]", s) else ".0") + (m[2] or "") for s in results]
    m = re.fullmatch(r"(\d+)([uUlLzZ]*|_?[a-zA-Z]\w*)", number)
    if not m:
        return []
    octal = len(m[1]) > 1 and m[1][0] == "0"
    value = int(m[1], 8 if octal else 10)
    return [("0%o" if octal else "%d") % v + m[2] for v in (value + 1, value - 1) if v >= 0]


def spaced(text, token):
    return (token.start > 0 and text[token.start - 1].isspace()
            and token.end < len(text) and text[token.end].isspace())


def mutants_of(path, text):
    """(line, key, start, end, original, replacement) of each mutant of a file."""
    tokens = tokenize(text)
    line_starts = [0] + [i + 1 for i, c in enumerate(text) if c == "\n"]
    lines = text.split("\n")
    seen = Counter()
    line_key = {}
    for number, line in enumerate(lines, 1):
        stripped = line.strip()
        seen[stripped] += 1
        occurrence = "" if seen[stripped] == 1 else "#%d" % seen[stripped]
        line_key[number] = hashlib.sha256((stripped + occurrence).encode()).hexdigest()[:10]

    result = []
    template_depth = 0  # inside template arguments
    declaration_brackets = 0  # inside the size of an array being declared
    assert_depth = None  # parentheses open inside static_assert(...)
    index_in_line, last_line = 0, 0
    for i, tok in enumerate(tokens):
        line = bisect.bisect_right(line_starts, tok.start)
        index_in_line = index_in_line + 1 if line == last_line else 0
        last_line = line
        prev = tokens[i - 1] if i > 0 else None
        prev2 = tokens[i - 2] if i > 1 else None
        nxt = tokens[i + 1] if i + 1 < len(tokens) else None
        binary = spaced(text, tok)
        t = tok.text

        if t in (";", "{", "}"):
            template_depth = declaration_brackets = 0
        elif t == "<" and not binary and prev is not None and prev.kind == "ident":
            template_depth += 1
        elif t in (">", ">>") and not binary and template_depth:
            template_depth = max(0, template_depth - len(t))
        elif t == "[" and prev is not None and (declaration_brackets or (
                prev.kind == "ident" and prev2 is not None and (
                    (prev2.kind == "ident" and prev2.text not in NOT_TYPES)
                    or prev2.text in ("*", "&", ">")))):
            declaration_brackets += 1
        elif t == "]" and declaration_brackets:
            declaration_brackets -= 1
            if nxt is None or nxt.text != "[":
                declaration_brackets = 0
        if t == "static_assert":
            assert_depth = 0
        if assert_depth is not None:
            assert_depth += {"(": 1, ")": -1}.get(t, 0)
            if assert_depth == 0 and t in (")", ";"):
                assert_depth = None
            continue
        if template_depth or (prev is not None and prev.text == "operator"):
            continue

        if tok.kind == "number":
            pure_virtual = (t == "0" and prev.text == "=" and nxt.text == ";"
                            and prev2.text in (")", "const", "override", "noexcept"))
            if declaration_brackets or pure_virtual:
                continue
            replacements = nudged_numbers(t)
        elif tok.kind in ("punct", "ident") and t in UNSPACED:
            replacements = UNSPACED[t]
        elif tok.kind == "punct" and t in OPERATORS and binary:
            if t in ("+", "+=") and {prev.kind, nxt.kind} & {"string", "raw"}:
                continue  # joins text
            replacements = OPERATORS[t]
        else:
            continue
        for r in replacements:
            key = "%s:%s:%d:%s" % (path, line_key[line], index_in_line, r)
            result.append((line, key, tok.start, tok.end, t, r))
    return result


def sources(root):
    for folder in FOLDERS:
        for directory, dirs, files in os.walk(os.path.join(root, folder)):
            dirs.sort()
            for name in sorted(files):
                if name.endswith(".cpp"):
                    full = os.path.join(directory, name)
                    yield os.path.relpath(full, root).replace(os.sep, "/"), full


def read(full):
    with open(full, encoding="utf-8", newline="") as f:
        return f.read()


def patch(path, text, start, end, replacement):
    """A unified diff of one replacement, as git apply takes it."""
    before = text.splitlines(keepends=True)
    after = (text[:start] + replacement + text[end:]).splitlines(keepends=True)
    lines = []
    for row in difflib.unified_diff(before, after, "a/" + path, "b/" + path, n=3):
        lines.append(row if row.endswith("\n") else row + "\n\\ No newline at end of file\n")
    return "diff --git a/%s b/%s\n%s" % (path, path, "".join(lines))


def equivalents(root):
    listed = {}
    full = os.path.join(root, EQUIVALENTS)
    if os.path.exists(full):
        for row in read(full).splitlines():
            if row.strip() and not row.startswith("#"):
                key, _, reason = row.partition(" ")
                listed[key] = reason.strip()
    return listed


def folder_of(path):
    return "/".join(path.split("/")[:2])


def pick(root, seed, count, outdir):
    ranked = []
    texts = {}
    for path, full in sources(root):
        texts[path] = read(full)
        for line, key, start, end, original, replacement in mutants_of(path, texts[path]):
            rank = hashlib.sha256(("%s\0%s" % (seed, key)).encode()).hexdigest()
            ranked.append((rank, path, line, key, start, end, original, replacement))
    ranked.sort()
    listed = equivalents(root)
    os.makedirs(outdir, exist_ok=True)
    for n, (_, path, line, key, start, end, original, replacement) in enumerate(ranked[:count]):
        name = os.path.join(outdir, "%03d.patch" % (n + 1))
        with open(name, "w", encoding="utf-8", newline="") as f:
            f.write(patch(path, texts[path], start, end, replacement))
        # Tab-separated for the shell: patch, place, folder, tokens, key, why equivalent.
        print("\t".join((name, "%s:%d" % (path, line), folder_of(path), original, replacement,
                         key, listed.get(key, ""))))


def score(results):
    """RESULTS holds "folder verdict" rows; build failures and equivalents are left out."""
    tally = defaultdict(Counter)
    for row in read(results).splitlines():
        folder, verdict = row.split()
        tally[folder][verdict] += 1
        tally["total"][verdict] += 1

    def line(name, c):
        judged = c["killed"] + c["survived"]
        share = "%3.0f %%" % (100.0 * c["killed"] / judged) if judged else "    -"
        return "%-22s %s  %3d killed of %3d  (%d build fails, %d equivalent)" % (
            name, share, c["killed"], judged, c["build-fails"], c["equivalent"])

    for folder in sorted(k for k in tally if k != "total"):
        print(line(folder, tally[folder]))
    print(line("total", tally["total"]))


def main(argv):
    if len(argv) == 5 and argv[0] == "pick":
        pick(argv[1], int(argv[2]), int(argv[3]), argv[4])
    elif len(argv) >= 3 and argv[0] == "sites":
        for full in argv[2:]:
            path = os.path.relpath(full, argv[1]).replace(os.sep, "/")
            for line, key, _, _, original, replacement in mutants_of(path, read(full)):
                print("%s:%d\t%s -> %s\t%s" % (path, line, original, replacement, key))
    elif len(argv) == 2 and argv[0] == "score":
        score(argv[1])
    else:
        sys.exit(__doc__.split("\n\n")[0])


if __name__ == "__main__":
    main(sys.argv[1:])
