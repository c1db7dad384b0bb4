"""Single-point faults in C++ source: where they can go, and which to pick.

A fault is known by its file, the text of its line (trimmed), which of the
file's lines with that same text it sits on, and the line it turns that into.
Its identity and its rank in a sample are hashes of those, never of a line
number: a sample stays the same while the lines the faults sit on do, however
the code around them moves.
"""
import hashlib
import re

# The classes, in the order a sample takes them turn about.
KINDS = ("comparison", "constant", "call", "return", "condition")

COMPARISON = re.compile(r"(?<=\s)(==|!=|<=|>=|<|>)(?=\s)")
FLIPPED = {"==": "!=", "!=": "==", "<": ">", ">": "<", "<=": ">=", ">=": "<="}
BOUNDARY = {"<": "<=", "<=": "<", ">": ">=", ">=": ">"}
INTEGER = re.compile(r"(?<![\w.'])(0[xX][0-9A-Fa-f]+|\d+)([uUlL]*)(?![\w.'])")
CALL = re.compile(r"^[A-Za-z_]\w*(::~?\w+)*((\.|->)~?\w+)*(<[^;]*>)?\(.*\);$")
NOT_CALLS = {"return", "throw", "delete", "case", "goto", "sizeof", "static_assert", "using",
             "typedef", "co_return", "co_await", "co_yield", "if", "while", "for", "switch"}
RETURN = re.compile(r"^return (.+);$")
NO_ALTERNATIVE = {"nullptr", "NULL", "{}", '""'}
CONDITION = re.compile(r"\b(if|while)\s*\(")
# Where a statement may start: after one ends, a block opens or closes, a label,
# or the head of a loop or branch without braces.
STATEMENT_START = re.compile(r"([;{}:)]|\belse)$")


def digest(*parts):
    return hashlib.sha1("\0".join(map(str, parts)).encode()).hexdigest()


def code_only(text):
    """text with comments, string and character literals and preprocessor
    lines blanked out, of the same length and lines."""
    out = list(text)
    i, n = 0, len(text)
    line_start = True

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    while i < n:
        c = text[i]
        if line_start and c == "#":
            j = i
            while j < n and text[j] != "\n" or (j < n and j > 0 and text[j - 1] == "\\"):
                j += 1
            blank(i, j)
            i = j
            continue
        if c == "\n":
            line_start = True
            i += 1
            continue
        if not c.isspace():
            line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not text[i - 1].isalnum()):
            open_paren = text.find("(", i)
            end = ")" + text[i + 2:open_paren] + '"'
            j = text.find(end, open_paren)
            j = n if j < 0 else j + len(end)
        elif c in "\"'" and not (c == "'" and i > 0 and text[i - 1].isalnum()):
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j += 1
        else:
            i += 1
            continue
        blank(i, j)
        i = j
    return "".join(out)


def _value(body):
    return int(body[2:], 16) if body[:2] in ("0x", "0X") else int(body)


def _bump(token, step):
    body, suffix = INTEGER.fullmatch(token).groups()
    value = _value(body) + step
    if body[:2] in ("0x", "0X"):
        digits = body[2:]
        return body[:2] + format(value, "0{}{}".format(len(digits), "X" if digits.isupper() else "x")) + suffix
    return str(value) + suffix


def _matching_paren(code, open_at):
    depth = 0
    for k in range(open_at, len(code)):
        if code[k] == "(":
            depth += 1
        elif code[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return None


def _balanced(code):
    depth = 0
    for c in code:
        depth += (c == "(") - (c == ")")
        if depth < 0:
            return False
    return depth == 0


def line_faults(line, code, previous_code):
    """(kind, mutated line) for each fault the line can take; code is the
    line with only code left, previous_code the last code line before it."""
    found = []

    def edit(start, end, text):
        return line[:start] + text + line[end:]

    for m in COMPARISON.finditer(code):
        op = m.group(1)
        for table in (FLIPPED, BOUNDARY):
            if op in table:
                found.append(("comparison", edit(m.start(1), m.end(1), table[op])))
    for m in INTEGER.finditer(code):
        steps = (1,) if _value(m.group(1)) == 0 else (1, -1)
        for step in steps:
            found.append(("constant", edit(m.start(), m.end(), _bump(m.group(0), step))))
    stripped = code.strip()
    indent = len(code) - len(code.lstrip())
    first_word = re.match(r"\w*", stripped).group(0)
    if (CALL.match(stripped) and first_word not in NOT_CALLS and _balanced(stripped)
            and STATEMENT_START.search(previous_code.strip())):
        found.append(("call", line[:indent] + ";"))
    m = RETURN.match(stripped)
    if m and _balanced(m.group(1)):
        start = indent + len("return ")
        end = start + len(m.group(1))
        value = line[start:end].strip()
        if value in ("true", "false"):
            found.append(("return", edit(start, end, "false" if value == "true" else "true")))
        elif re.fullmatch(r"-?\d+", value):
            found.append(("return", edit(start, end, "0" if int(value) else "1")))
        elif value not in NO_ALTERNATIVE:
            found.append(("return", edit(start, end, "{}")))
    for m in CONDITION.finditer(code):
        if code[m.end():].lstrip().startswith("constexpr"):
            continue
        close = _matching_paren(code, m.end() - 1)
        if close is not None:
            found.append(("condition", line[:m.end()] + "!(" + line[m.end():close] + ")" +
                          line[close:]))
    return found


class Fault:
    FIELDS = ("id", "library", "file", "kind", "text", "occurrence", "after", "line")

    def __init__(self, **fields):
        for name in self.FIELDS:
            setattr(self, name, fields.get(name))

    def record(self):
        return {name: getattr(self, name) for name in self.FIELDS}

    def rank(self, seed):
        return digest(seed, self.id)


def file_faults(library, path, text):
    lines = text.split("\n")
    code_lines = code_only(text).split("\n")
    seen = {}
    previous = ""
    faults = []
    for number, (line, code) in enumerate(zip(lines, code_lines), 1):
        stripped = line.strip()
        occurrence = seen.get(stripped, 0)
        seen[stripped] = occurrence + 1
        for kind, after in line_faults(line, code, previous):
            after = after.strip()
            faults.append(Fault(id=digest(path, stripped, occurrence, kind, after)[:12],
                                library=library, file=path, kind=kind, text=stripped,
                                occurrence=occurrence, after=after, line=number))
        if code.strip():
            previous = code
    return faults


def sample(faults, count, seed):
    """count faults, the classes taken turn about, each class in rank order."""
    by_kind = {kind: sorted((f for f in faults if f.kind == kind), key=lambda f: f.rank(seed))
               for kind in KINDS}
    chosen = []
    while len(chosen) < count and any(by_kind.values()):
        for kind in KINDS:
            if by_kind[kind] and len(chosen) < count:
                chosen.append(by_kind[kind].pop(0))
    return chosen


def locate(fault, text):
    """The line number the fault sits on in text, or None if its line is gone."""
    matches = [n for n, line in enumerate(text.split("\n"), 1) if line.strip() == fault.text]
    return matches[fault.occurrence] if fault.occurrence < len(matches) else None


def apply(fault, text, number):
    lines = text.split("\n")
    line = lines[number - 1]
    lines[number - 1] = line[:len(line) - len(line.lstrip())] + fault.after
    return "\n".join(lines)
