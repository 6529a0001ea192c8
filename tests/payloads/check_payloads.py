#!/usr/bin/env python3
"""Checks the eighteen report-template fragments (Plik1T.rtf .. Plik18T.rtf).

    python3 tests/payloads/check_payloads.py [DIR]

DIR defaults to resources/payloads next to this script's project root.  The
run first proves on small broken fragments that the checks reject what they
must (self-test), then checks every fragment and the relations between them.
The last line is "N passed, M failed"; the exit code is 0 only when nothing
failed.  Standard library only.
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_DIR = os.path.join(HERE, "..", "..", "resources", "payloads")

MAX_LINE = 261

# --------------------------------------------------------------------------
# What each entry must be
# --------------------------------------------------------------------------

SIZES = {
    1: 4809, 2: 4809, 3: 3949, 4: 4531, 5: 3868, 6: 4077, 7: 3452, 8: 4546,
    9: 8774, 10: 4298, 11: 5148, 12: 5142, 13: 8656, 14: 9746, 15: 7762,
    16: 7922, 17: 7234, 18: 5155,
}
TRAILING_CRLF = {3, 17, 18}
WIDE = {1, 2, 8, 9, 10, 11, 12, 13, 14, 18}     # 10 pt heading, 360 twips, 30/15 row borders
EMPTY_AFTER_EXPLANATION = set(range(1, 15))
OUTDOOR = {8, 9, 10}
BOTTOM_TO_TOP = {9, 14}


def table_edge(n):
    if n == 8:
        return 14034
    return 9144 if n in WIDE else 9115


def heading_text(n):
    if n in (1, 2):
        return "OCENA CIĘŻKOŚCI PRACY FIZYCZNEJ"
    if n == 9:
        return "OCENA KOMFORTU TERMICZNEGO Z ZASTOSOWANIEM WSKAŹNIKÓW PMV I PPD"
    return "OCENA NARAŻENIA ZAWODOWEGO"


def style_indices(n):
    if n in WIDE:
        return {2, 5}
    return {20} if n == 4 else {15}


def _t(names):
    return names.split()


_WORKLOAD = _t("METN UMETN METB UMETB WEJN UWEJN WECN UWECN WEJB UWEJB WECB UWECB KLASA")
_NOISE = _t("LEX8 ULEX8 KLX8 LMAX ULMAX KLMAX LPIK ULPIK KLPIK")
_DUST_CW2 = _t("CWC UCWC CWR UCWR NDSC NDSR KNDSC KNDSR")
_CHEM_GG = _t("CW UCW GGWC DGWC CH1 UCH1 CH2 UCH2 NDS NDSCH KNDS KNDSCH1 KNDSCH2")
TOKENS = {
    1: _WORKLOAD, 2: _WORKLOAD,
    3: _DUST_CW2,
    4: _t("CWC UCWC CWR UCWR GGWC GGWR DGWC DGWR NDSC NDSR KNDSC KNDSR"),
    5: _DUST_CW2,
    6: _t("CWC UCWC GGWC DGWC NDSC KNDSC"),
    7: _t("CWC UCWC NDSC KNDSC"),
    8: _t("PMV CLO SRODOWISKOJEDNORODNE"),
    9: _t("PMV UPMV PPD UPPD CZASODNIESIENIA METABOLIZM CLO SRODOWISKOJEDNORODNE"),
    10: _t("WBGTODNIESIENIA WBGT UWBGT CZASODNIESIENIA PMV METABOLIZM CLO "
           "OSOBAZAAKLIMATYZOWANA RUCHPOWIETRZA NASLONECZNIENIE SRODOWISKOJEDNORODNE"),
    11: _NOISE, 12: _NOISE, 18: _NOISE,
    13: _t("A8HX UA8HX KA8HX A8HY UA8HY KA8HY A8HZ UA8HZ KA8HZ A8H UA8H KA8H A30H UA30H KA30H"),
    14: _t("A8VP UA8VP KA8VP A8VL UA8VL KA8VL A30VP UA30VP KA30VP A30VL UA30VL KA30VL"),
    15: _CHEM_GG, 16: _CHEM_GG,
    17: _t("CW UCW CH1 UCH1 CH2 UCH2 NDS NDSCH KNDS KNDSCH1 KNDSCH2"),
}
TAIL_TOKENS = ["WSPROZH", "WARUNKIMETEOH"]

LIMITS_ACT = "Dz.U.2014, poz. 817"
NOISE_ACT = "Dz.U. nr 157 z 2005 r., poz. 1318"


def citations(n):
    out = []
    if 3 <= n <= 8 or n >= 10:
        out.append(LIMITS_ACT)
    if 11 <= n <= 14 or n == 18:
        out.append(NOISE_ACT)
    if n in (1, 2):
        out.append("1994")
    if n == 8:
        out += ["PN-EN ISO 11079:2008", "PN-EN ISO 9920:2008"]
    if n == 9:
        out.append("PN-EN ISO 7730:2006")
    return out


def conditions_definition(n):
    return (b"\\trowd \\trgaph70\\trleft-70 \\clvertalc\\cltxlrtb \\cellx2268"
            b"\\clvertalc\\cltxlrtb \\cellx" + (b"14034" if n == 8 else b"9140"))


# --------------------------------------------------------------------------
# Format vocabulary
# --------------------------------------------------------------------------

NO_PARAM = set("""adjustright brdrs cell cgrid clbrdrb clbrdrl clbrdrr clbrdrt cltxbtlr
cltxlrtb clvertalc clvertalt clvmgf clvmrg endash intbl keepn ldblquote nowidctlpar par
pard plain qc rdblquote row sub super trbrdrb trbrdrh trbrdrl trbrdrr trbrdrt trbrdrv
trkeep trowd widctlpar""".split())
# Allowed parameters; None: any positive number.
PARAMS = {
    "b": {None, 0}, "i": {None, 0}, "f": {16}, "cf": {15}, "lang": {1045},
    "fs": {16, 18, 20, 22}, "brdrw": {10, 15, 30}, "trgaph": {70}, "trleft": {-70},
    "outlinelevel": {1, 4}, "s": {2, 5, 15, 20},
}
POSITIVE = {"cellx", "trrh", "li", "ri"}
CONTROL_WORDS = NO_PARAM | set(PARAMS) | POSITIVE
assert len(CONTROL_WORDS) == 51

LETTERS = {
    "8c": "Ś", "8f": "Ź", "9c": "ś", "9f": "ź", "a3": "Ł", "af": "Ż", "b3": "ł", "b9": "ą",
    "bf": "ż", "ca": "Ę", "d1": "Ń", "d3": "Ó", "e6": "ć", "ea": "ę", "f1": "ń", "f3": "ó",
}
ROW_BORDERS = ("trbrdrt", "trbrdrl", "trbrdrb", "trbrdrr", "trbrdrh", "trbrdrv")
CELL_BORDERS = ("clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr")
ROW_DEF_WORDS = set(ROW_BORDERS + CELL_BORDERS) | {
    "trgaph", "trleft", "trkeep", "trrh", "brdrs", "brdrw", "clvmgf", "clvmrg",
    "clvertalc", "clvertalt", "cltxlrtb", "cltxbtlr", "cellx"}


# --------------------------------------------------------------------------
# Lexing
# --------------------------------------------------------------------------

class Tok:
    __slots__ = ("kind", "name", "param", "delim", "text", "pos")

    def __init__(self, kind, pos, name=None, param=None, delim=False, text=b""):
        self.kind, self.pos, self.name, self.param = kind, pos, name, param
        self.delim, self.text = delim, text

    def key(self):
        return (self.kind, self.name, self.param, self.delim, self.text)

    def __repr__(self):
        if self.kind == "cw":
            return "\\%s%s" % (self.name, "" if self.param is None else self.param)
        return "%s(%r)" % (self.kind, self.text)


_LETTERS_RE = re.compile(rb"[a-zA-Z]+")
_NUMBER_RE = re.compile(rb"-?[0-9]+")


def lex(data):
    """RTF tokens: cw (control word), hex (\\'xx), sym (other control
    symbol), open, close, text, brk (a CR or LF byte)."""
    toks, i, n = [], 0, len(data)
    while i < n:
        c = data[i:i + 1]
        if c == b"\\":
            m = _LETTERS_RE.match(data, i + 1)
            if m:
                j = m.end()
                p = _NUMBER_RE.match(data, j)
                param = None
                if p:
                    param, j = int(p.group(0)), p.end()
                delim = data[j:j + 1] == b" "
                toks.append(Tok("cw", i, name=m.group(0).decode("ascii"), param=param, delim=delim))
                i = j + (1 if delim else 0)
            elif data[i + 1:i + 2] == b"'":
                toks.append(Tok("hex", i, text=data[i + 2:i + 4]))
                i += 4
            else:
                toks.append(Tok("sym", i, text=data[i + 1:i + 2]))
                i += 2
        elif c in (b"{", b"}"):
            toks.append(Tok("open" if c == b"{" else "close", i, text=c))
            i += 1
        elif c in (b"\r", b"\n"):
            toks.append(Tok("brk", i, text=c))
            i += 1
        else:
            j = i
            while j < n and data[j:j + 1] not in (b"\\", b"{", b"}", b"\r", b"\n"):
                j += 1
            toks.append(Tok("text", i, text=data[i:j]))
            i = j
    return toks


def without_breaks(toks):
    """Tokens as a reader sees them: breaks dropped, neighbouring text joined."""
    out = []
    for t in toks:
        if t.kind == "brk":
            continue
        if t.kind == "text" and out and out[-1].kind == "text":
            out[-1] = Tok("text", out[-1].pos, text=out[-1].text + t.text)
        else:
            out.append(t)
    return out


def strip_breaks(data):
    return data.replace(b"\r\n", b"")


# --------------------------------------------------------------------------
# Interpreting: characters with their formatting, cells, rows
# --------------------------------------------------------------------------

class Para:
    def __init__(self):
        self.chars = []          # (character, char format)
        self.end = None          # "par", "cell"
        self.intbl = False
        self.qc = False
        self.style = None
        self.keepn = False
        self.outline = None

    @property
    def text(self):
        return "".join(c for c, _ in self.chars)


class RowDef:
    def __init__(self, pos):
        self.pos = pos
        self.words = []          # (name, param) in order
        self.cells = []          # dicts: edge, borders, merge, flow

    def signature(self, drop_widths=False):
        return tuple((n, None if drop_widths and n == "brdrw" else p) for n, p in self.words)


class Row:
    def __init__(self, definition, paras):
        self.definition, self.paras = definition, paras

    @property
    def cell_count(self):
        return sum(1 for p in self.paras if p.end == "cell")


class Doc:
    """The interpreted fragment: paragraphs in order, rows, row definitions,
    and the formatted character stream."""

    def __init__(self):
        self.paras = []
        self.rows = []
        self.defs = []
        self.stream = []         # chars with formats and structural events
        self.errors = []


INHERITED = None


def interpret(toks):
    doc = Doc()
    char = {"b": False, "i": False, "pos": None, "fs": INHERITED, "f": INHERITED, "cf": INHERITED}
    stack = []
    para = Para()
    row_paras = []
    current_def = None
    in_def = None
    for t in toks:
        if in_def is not None and not (t.kind == "cw" and t.name in ROW_DEF_WORDS):
            doc.defs.append(in_def)
            current_def, in_def = in_def, None
        if t.kind == "open":
            stack.append(dict(char))
        elif t.kind == "close":
            if stack:
                char = stack.pop()
        elif t.kind in ("text", "hex") or (t.kind == "cw" and t.name in ("endash", "ldblquote", "rdblquote")):
            if t.kind == "text":
                chars = t.text.decode("latin-1")
            elif t.kind == "hex":
                chars = LETTERS.get(t.text.decode("latin-1"), "?")
            else:
                chars = {"endash": "–", "ldblquote": "“", "rdblquote": "”"}[t.name]
            fmt = tuple(sorted(char.items()))
            for ch in chars:
                para.chars.append((ch, dict(char)))
                doc.stream.append(("char", ch, fmt))
        elif t.kind == "cw":
            n, p = t.name, t.param
            if n == "trowd":
                in_def = RowDef(t.pos)
            elif in_def is not None:
                in_def.words.append((n, p))
                if n in CELL_BORDERS or n in ("clvmgf", "clvmrg", "cltxbtlr", "cltxlrtb",
                                              "clvertalc", "clvertalt"):
                    if not in_def.cells or "edge" in in_def.cells[-1]:
                        in_def.cells.append({"borders": {}, "merge": None, "flow": None})
                    cell = in_def.cells[-1]
                    if n in CELL_BORDERS:
                        cell["borders"][n] = None
                        cell["last"] = n
                    elif n in ("clvmgf", "clvmrg"):
                        cell["merge"] = n
                    elif n.startswith("cltx"):
                        cell["flow"] = n
                elif n == "brdrw" and in_def.cells and "last" in in_def.cells[-1] \
                        and "edge" not in in_def.cells[-1]:
                    in_def.cells[-1]["borders"][in_def.cells[-1].pop("last")] = p
                elif n == "cellx":
                    if not in_def.cells or "edge" in in_def.cells[-1]:
                        in_def.cells.append({"borders": {}, "merge": None, "flow": None})
                    in_def.cells[-1]["edge"] = p
            elif n == "pard":
                para.intbl = para.qc = para.keepn = False
                para.style = para.outline = None
            elif n == "plain":
                char = {"b": False, "i": False, "pos": None, "fs": 24, "f": "default", "cf": 0}
            elif n in ("b", "i"):
                char[n] = p != 0
            elif n in ("sub", "super"):
                char["pos"] = n
            elif n in ("fs", "f", "cf"):
                char[n] = p
            elif n == "intbl":
                para.intbl = True
            elif n == "qc":
                para.qc = True
            elif n == "s":
                para.style = p
            elif n == "keepn":
                para.keepn = True
            elif n == "outlinelevel":
                para.outline = p
            elif n in ("par", "cell"):
                para.end = n
                doc.paras.append(para)
                doc.stream.append((n,))
                if para.intbl:
                    row_paras.append(para)
                nxt = Para()
                nxt.intbl, nxt.qc, nxt.style = para.intbl, para.qc, para.style
                nxt.keepn, nxt.outline = para.keepn, para.outline
                para = nxt
            elif n == "row":
                doc.rows.append(Row(current_def, row_paras))
                doc.stream.append(("row",))
                row_paras = []
    return doc


# --------------------------------------------------------------------------
# Checks on one fragment
# --------------------------------------------------------------------------

class Faults:
    """Named checks, each with the faults it found (none: passed)."""

    def __init__(self):
        self.checks = {}

    def __call__(self, name, fault=None):
        self.checks.setdefault(name, [])
        if fault:
            self.checks[name].append(fault)

    def failed(self):
        return {k: v for k, v in self.checks.items() if v}


def check_generic(data, faults, styles=(2, 5, 15, 20)):
    """Rules every fragment obeys, whatever its entry."""
    f = faults
    # Bytes: printable ASCII and CR LF pairs.
    f("bytes")
    for i, byte in enumerate(data):
        if byte == 13:
            if data[i + 1:i + 2] != b"\n":
                f("bytes", "CR without LF at %d" % i)
        elif byte == 10:
            if data[i - 1:i] != b"\r":
                f("bytes", "LF without CR at %d" % i)
        elif not 0x20 <= byte <= 0x7E:
            f("bytes", "byte 0x%02x at %d" % (byte, i))
    f("start", None if data.startswith(b"\\trowd ") else "does not start with \\trowd + space")

    f("line length")
    for k, line in enumerate(data.split(b"\r\n")):
        if len(line) > MAX_LINE:
            f("line length", "line %d has %d bytes" % (k + 1, len(line)))

    raw = lex(data)
    flat = lex(strip_breaks(data))
    # A line break must be invisible to a reader: the tokens with breaks
    # ignored are the tokens of the text without them.
    f("breaks")
    a, b = without_breaks(raw), without_breaks(flat)
    if [t.key() for t in a] != [t.key() for t in b]:
        k = next((k for k, (x, y) in enumerate(zip(a, b)) if x.key() != y.key()), min(len(a), len(b)))
        f("breaks", "a line break changes the reading near byte %d" % (a[k].pos if k < len(a) else -1))
    for m in re.finditer(rb"<[^<>]*>", data):
        if b"\r" in m.group(0) or b"\n" in m.group(0):
            f("breaks", "line break inside token at %d" % m.start())

    # Braces: balanced, never closing a group the fragment did not open.
    f("braces")
    depth = 0
    for t in flat:
        depth += {"open": 1, "close": -1}.get(t.kind, 0)
        if depth < 0:
            f("braces", "closes an unopened group at %d" % t.pos)
            break
    if depth > 0:
        f("braces", "%d group(s) left open" % depth)

    f("control words")
    f("control symbols")
    for t in flat:
        if t.kind == "cw":
            if t.name not in CONTROL_WORDS:
                f("control words", "\\%s not allowed" % t.name)
            elif t.name in NO_PARAM and t.param is not None:
                f("control words", "\\%s%d takes no parameter" % (t.name, t.param))
            elif t.name in POSITIVE and not (t.param and t.param > 0):
                f("control words", "\\%s needs a positive parameter" % t.name)
            elif t.name in PARAMS:
                allowed = set(PARAMS[t.name]) if t.name != "s" else set(styles)
                if t.param not in allowed:
                    f("control words", "\\%s%s not allowed" % (t.name, "" if t.param is None else t.param))
        elif t.kind == "hex":
            if t.text.decode("latin-1") not in LETTERS:
                f("control symbols", "escape \\'%s not allowed" % t.text.decode("latin-1"))
        elif t.kind == "sym":
            f("control symbols", "control symbol \\%s" % t.text.decode("latin-1"))

    # \plain directly after \pard, and \lang1045 after each \plain before any
    # text or group; no other \lang.
    f("plain and lang")
    words = flat
    for k, t in enumerate(words):
        if t.kind == "cw" and t.name == "plain":
            if k == 0 or not (words[k - 1].kind == "cw" and words[k - 1].name == "pard"):
                f("plain and lang", "\\plain not right after \\pard at %d" % t.pos)
            for u in words[k + 1:]:
                if u.kind == "cw" and u.name == "lang":
                    break
                if u.kind != "cw" or u.name in ("pard", "plain"):
                    f("plain and lang", "\\plain at %d without \\lang1045" % t.pos)
                    break
        if t.kind == "cw" and t.name == "lang":
            back = [u for u in words[:k] if u.kind == "cw" and u.name in ("plain", "lang")]
            if not back or back[-1].name != "plain":
                f("plain and lang", "\\lang at %d does not follow a \\plain" % t.pos)
        if t.kind == "cw" and t.name == "s":
            if k == 0 or not (words[k - 1].kind == "cw" and words[k - 1].name == "plain"):
                f("plain and lang", "style index at %d without \\pard\\plain" % t.pos)

    # Tokens: unbroken "<NAME>" runs, "<" and ">" nowhere else, each once,
    # U companions right after their token.
    f("tokens")
    names = token_names(data)
    for name in names:
        if not re.fullmatch(r"[A-Z0-9]+", name):
            f("tokens", "bad token <%s>" % name)
    unbroken = re.findall(rb"<[A-Z0-9]+>", data)
    if len(unbroken) != data.count(b"<") or len(unbroken) != data.count(b">"):
        f("tokens", "'<' or '>' outside an unbroken token of letters and digits")
    if len(set(names)) != len(names):
        f("tokens", "token repeated")
    for name in names:
        if name.startswith("U") and name[1:] in names:
            if ("<%s> <%s>" % (name[1:], name)).encode() not in data:
                f("tokens", "<%s> not right after <%s>" % (name, name[1:]))

    doc = interpret(flat)
    f("font")
    for para in doc.paras:
        for ch, fmt in para.chars:
            if fmt["f"] != 16:
                f("font", "text %r not in font 16" % para.text[:30])
                break

    f("splice")
    for fault in splice_faults(data):
        f("splice", fault)
    return doc


def token_names(data):
    return [m.decode("ascii") for m in re.findall(rb"<([^<>]*)>", strip_breaks(data))]


HOST_HEAD = (b"{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}"
             b"{\\f16\\fswiss\\fcharset238 Arial;}}{\\colortbl;\\red0\\green0\\blue128;}"
             b"\\pard\\plain \\f16\\fs20 Przed wstawieniem.\\par\r\n")
HOST_TAIL = b"\\pard\\plain \\f16\\fs20 Po wstawieniu.\\par\r\n}"


def splice_faults(fragment):
    """Put the fragment between two paragraphs of a document: inside it the
    nesting never drops below the document's level and returns to it."""
    doc = HOST_HEAD + fragment + HOST_TAIL
    start, end = len(HOST_HEAD), len(HOST_HEAD) + len(fragment)
    depth, faults = 0, []
    for t in lex(doc):
        if t.kind == "open":
            depth += 1
        elif t.kind == "close":
            depth -= 1
            if start <= t.pos < end and depth < 1:
                faults.append("fragment closes the document's group at %d" % (t.pos - start))
                break
    at_end = sum({"open": 1, "close": -1}.get(t.kind, 0) for t in lex(doc[:end]))
    if at_end != 1:
        faults.append("nesting after the fragment is %d, not the document's 1" % at_end)
    if depth != 0:
        faults.append("document does not close")
    return faults


def results_rows(doc):
    """Rows of the results table: all but the last (the conditions row)."""
    return doc.rows[:-1]


def check_entry(n, data, faults):
    """Every rule of one catalogue entry."""
    f = faults
    doc = check_generic(data, faults, styles=style_indices(n))
    flat = strip_breaks(data)
    edge = table_edge(n)

    f("size", None if len(data) == SIZES[n] else "%d bytes, catalogue says %d" % (len(data), SIZES[n]))

    f("ending")
    tail = b"}\r\n" if n in TRAILING_CRLF else b"}"
    if not data.endswith(tail) or (n not in TRAILING_CRLF and data.endswith(b"\r\n")):
        f("ending", "file must end with %r" % tail)
    if not re.search(rb"\\pard ?(\\[a-z]+-?[0-9]* ?)*\{\\f16\\fs16 \\par \}$", flat):
        f("ending", "does not end with \\pard ... {\\f16\\fs16 \\par }")
    closing = doc.paras[-1] if doc.paras else None
    if not closing or closing.end != "par" or closing.text or closing.intbl:
        f("ending", "last paragraph is not an empty paragraph outside the table")

    f("token list")
    expected = TOKENS[n] + TAIL_TOKENS
    if token_names(data) != expected:
        f("token list", "tokens %s, expected %s" % (token_names(data), expected))

    f("styles")
    used = [p.style for p in doc.paras if p.style is not None]
    heading_paras = [p for p in doc.paras if p.style == 5]
    if n in WIDE:
        if len(heading_paras) != 1:
            f("styles", "\\s5 must stand on the heading alone")
        count2 = sum(1 for p in doc.paras if p.style == 2)
        if not 1 <= count2 <= 2:
            f("styles", "\\s2 on %d paragraphs, expected one or two" % count2)
        for p in doc.paras:
            if p.style == 5 and not (p.keepn and p.outline == 4):
                f("styles", "\\s5 without \\keepn\\outlinelevel4")
            if p.style == 2 and not (p.keepn and p.outline == 1):
                f("styles", "\\s2 without \\keepn\\outlinelevel1")
    else:
        if not used:
            f("styles", "no multiple-of-limit title carries its style index")
        for p in doc.paras:
            if p.style is not None and not p.text.startswith("Krotność"):
                f("styles", "style %d on %r" % (p.style, p.text[:30]))
    if set(used) - style_indices(n):
        f("styles", "style indices %s" % sorted(set(used)))

    rows = results_rows(doc)
    f("heading")
    if not rows or not rows[0].definition:
        f("heading", "no heading row")
    else:
        first = rows[0]
        d = first.definition
        height = 360 if n in WIDE else 300
        if [c.get("edge") for c in d.cells] != [edge]:
            f("heading", "heading row is not one cell up to %d" % edge)
        if ("trrh", height) not in d.words:
            f("heading", "heading row not %d twips high" % height)
        texts = [p.text for p in first.paras if p.text]
        if texts != [heading_text(n)]:
            f("heading", "heading reads %r" % texts)
        for p in first.paras:
            if p.text and not p.qc:
                f("heading", "heading not centred")
            for ch, fmt in p.chars:
                if not fmt["b"] or fmt["cf"] != 15:
                    f("heading", "heading not bold in colour 15")
                    break
                if fmt["fs"] != (20 if n in WIDE else INHERITED):
                    f("heading", "heading size %s" % fmt["fs"])
                    break

    f("row definitions")
    defs = [r.definition for r in rows]
    seen = []
    for r in rows:
        if r.definition not in seen:
            seen.append(r.definition)
    for d in seen:
        words = dict(d.words)
        edges = [c.get("edge") for c in d.cells]
        if words.get("trgaph") != 70 or words.get("trleft") != -70 or "trkeep" not in words:
            f("row definitions", "row at %d lacks \\trgaph70\\trleft-70\\trkeep" % d.pos)
        if edges != sorted(set(edges)) or edges[-1] != edge:
            f("row definitions", "cell edges %s, table edge %d" % (edges, edge))
        sequence = d.words
        for k, (name, _) in enumerate(sequence):
            if name in ROW_BORDERS + CELL_BORDERS:
                if [w for w, _ in sequence[k + 1:k + 3]] != ["brdrs", "brdrw"]:
                    f("row definitions", "\\%s not a single line with a width" % name)
                width = sequence[k + 2][1] if k + 2 < len(sequence) else None
                if name in ROW_BORDERS:
                    outer = name in ("trbrdrt", "trbrdrl", "trbrdrb", "trbrdrr")
                    want = (30 if outer else 15) if n in WIDE else 10
                    if width != want:
                        f("row definitions", "\\%s width %s, expected %d" % (name, width, want))
                elif width not in (15, 30):
                    f("row definitions", "cell border width %s" % width)
        if [w for w, _ in d.words].count("trbrdrt") != 1 or \
                not set(ROW_BORDERS) <= set(w for w, _ in d.words):
            f("row definitions", "row borders incomplete at %d" % d.pos)
        for cell in d.cells:
            if set(cell["borders"]) != set(CELL_BORDERS):
                f("row definitions", "cell up to %s lacks a border" % cell.get("edge"))
    for a, b in zip(rows, rows[1:]):
        if a.definition is not b.definition and a.definition.signature() == b.definition.signature():
            f("row definitions", "row at %d repeats the previous row's layout" % b.definition.pos)
    for r in rows:
        if r.definition and r.cell_count != len(r.definition.cells):
            f("row definitions", "row with %d cells under a %d-cell layout"
              % (r.cell_count, len(r.definition.cells)))
    for prev, cur in zip(defs, defs[1:]):
        for cell in cur.cells:
            if cell["merge"] == "clvmrg":
                above = [c for c in prev.cells if c.get("edge") == cell.get("edge")]
                if not above or above[0]["merge"] not in ("clvmgf", "clvmrg"):
                    f("row definitions", "merged cell at %s has nothing above it" % cell.get("edge"))
    flows = {c["flow"] for d in seen for c in d.cells}
    if ("cltxbtlr" in flows) != (n in BOTTOM_TO_TOP):
        f("row definitions", "bottom-to-top titles %s" % ("present" if "cltxbtlr" in flows else "missing"))

    f("cells in table")
    table_tokens = []
    for r in rows:
        for p in r.paras:
            if not p.intbl:
                f("cells in table", "cell paragraph without \\intbl")
            table_tokens += re.findall(r"<([A-Z0-9]+)>", p.text)
    if table_tokens != TOKENS[n]:
        f("cells in table", "tokens in the results table %s" % table_tokens)

    f("explanation")
    after = [p for p in doc.paras if not p.intbl]
    if not after or not re.fullmatch(r"OBJAŚNIENIA: +<WSPROZH>", after[0].text):
        f("explanation", "first paragraph after the table reads %r" % (after[0].text if after else None))
    else:
        label = [fmt for ch, fmt in after[0].chars[:12]]
        token = [fmt for ch, fmt in after[0].chars[-9:]]
        if not all(x["b"] and x["fs"] == 16 for x in label):
            f("explanation", "OBJAŚNIENIA: not bold 8 pt")
        if not all(x["i"] and x["fs"] == 16 for x in token):
            f("explanation", "<WSPROZH> not italic 8 pt")
    empties = 0
    index = doc.paras.index(after[0]) if after else 0
    for p in doc.paras[index + 1:]:
        if p.intbl:
            break
        empties += 1
        if p.text:
            f("explanation", "text %r between explanation and conditions row" % p.text)
    want = 1 if n in EMPTY_AFTER_EXPLANATION else 0
    if empties != want:
        f("explanation", "%d empty paragraph(s) after the explanation, expected %d" % (empties, want))

    f("conditions row")
    at = flat.rfind(b"\\trowd")
    definition = conditions_definition(n)
    if flat[at:at + len(definition)] != definition or \
            not flat[at + len(definition):].startswith(b"\\pard"):
        f("conditions row", "definition differs: %r" % flat[at:at + len(definition) + 5])
    last = doc.rows[-1] if doc.rows else None
    title = "ZEWNĘTRZNE WARUNKI ATMOSFERYCZNE" if n in OUTDOOR else "WARUNKI METEOROLOGICZNE PODCZAS BADAŃ"
    cells = [p for p in last.paras if p.end == "cell"] if last else []
    if [p.text for p in cells] != [title, "<WARUNKIMETEOH>"]:
        f("conditions row", "cells read %r" % [p.text for p in cells])
    else:
        if not all(x["b"] and x["fs"] == 18 and x["cf"] == 15 for _, x in cells[0].chars):
            f("conditions row", "title not bold 9 pt in colour 15")
        if not all(x["fs"] == 18 for _, x in cells[1].chars):
            f("conditions row", "<WARUNKIMETEOH> not 9 pt")

    f("wording")
    text = "".join(p.text + "\n" for p in doc.paras)
    for cite in citations(n):
        if cite not in text:
            f("wording", "citation %r missing" % cite)
    for banned in ("opis pomieszczenia", "ochrony osobiste"):
        if banned in text.lower():
            f("wording", "row %r must not appear" % banned)
    return doc


# --------------------------------------------------------------------------
# Relations between entries
# --------------------------------------------------------------------------

def common_ends(a, b):
    p = 0
    while p < min(len(a), len(b)) and a[p] == b[p]:
        p += 1
    q = 0
    while q < min(len(a), len(b)) - p and a[-1 - q] == b[-1 - q]:
        q += 1
    return p, q


def check_relations(files, docs, faults):
    f = faults
    f("relation 1-2")
    one, two = files.get(1), files.get(2)
    if one is None or two is None:
        f("relation 1-2", "missing")
    else:
        if strip_breaks(one) != strip_breaks(two):
            f("relation 1-2", "entries 1 and 2 differ beyond their line breaks")
        if one == two:
            f("relation 1-2", "entries 1 and 2 are byte-identical")
        if len(one) != 4809 or len(two) != 4809:
            f("relation 1-2", "entries 1 and 2 must both be 4809 bytes")

    f("relation 12-18")
    if 12 in files and 18 in files:
        a, b = strip_breaks(files[12]), strip_breaks(files[18])
        p, q = common_ends(a, b)
        k = len(a) - len(b)
        # 18 must be 12 with one stretch cut out between the explanation's
        # paragraph mark and the conditions row, and that stretch must be
        # one empty paragraph.  Repeated text lets the cut slide: any
        # position that fits will do.
        explanation_end = a.find(b"\\par", a.find(b"<WSPROZH>"))
        conditions = a.rfind(b"\\trowd")
        cuts = [a[start:start + k] for start in range(max(0, len(a) - q - k), p + 1)
                if k > 0 and a[:start] + a[start + k:] == b
                and explanation_end < start and start + k <= conditions]
        if not any(is_empty_paragraph(cut) for cut in cuts):
            f("relation 12-18", "18 is not 12 without the empty paragraph after the explanation")

    f("relation 11-12")
    if 11 in files and 12 in files:
        a, b = strip_breaks(files[11]), strip_breaks(files[12])
        if token_names(a) != token_names(b):
            f("relation 11-12", "token lists differ")
        p, q = common_ends(a, b)
        for data in (a, b):
            header_end = nth(data, b"\\row", 2)
            token = data.find(b"<LEX8>")
            if not header_end < p or not len(data) - q <= token:
                f("relation 11-12", "11 and 12 differ outside the first result row's title")
                break
        d11, d12 = docs.get(11), docs.get(12)
        if d11 and d12:
            t11 = first_result_title(d11)
            t12 = first_result_title(d12)
            if "EX,w" not in t11 or "EX,8h" in t11:
                f("relation 11-12", "entry 11 does not give the weekly level: %r" % t11)
            if "EX,8h" not in t12:
                f("relation 11-12", "entry 12 does not give the daily level: %r" % t12)

    f("relation 15-16")
    if 15 in docs and 16 in docs:
        d15, d16 = docs[15], docs[16]
        if d15.stream != d16.stream:
            f("relation 15-16", "text, formatting or cell structure differ")
        s15 = [d.signature(drop_widths=True) for d in d15.defs]
        s16 = [d.signature(drop_widths=True) for d in d16.defs]
        if s15 != s16:
            f("relation 15-16", "row layouts differ beyond border widths")
        if [d.signature() for d in d15.defs] == [d.signature() for d in d16.defs]:
            f("relation 15-16", "cell borders are the same")
        if trbrdr_widths(d15) != trbrdr_widths(d16):
            f("relation 15-16", "row borders differ")
        if groups_outside_defs(files[15]) == groups_outside_defs(files[16]):
            f("relation 15-16", "runs are grouped the same way")

    f("all distinct")
    seen = {}
    for n, data in sorted(files.items()):
        if data in seen:
            f("all distinct", "entries %d and %d are byte-identical" % (seen[data], n))
        seen[data] = n


def is_empty_paragraph(stretch):
    body = lex(stretch)
    depth, lowest = 0, 0
    for t in body:
        depth += {"open": 1, "close": -1}.get(t.kind, 0)
        lowest = min(lowest, depth)
    pars = [t for t in body if t.kind == "cw" and t.name == "par"]
    texts = [t for t in body if t.kind in ("text", "hex", "sym") and t.text.strip()]
    return len(pars) == 1 and not texts and depth == 0 and lowest == 0


def nth(data, needle, k):
    at = -1
    for _ in range(k):
        at = data.find(needle, at + 1)
    return at


def first_result_title(doc):
    for r in doc.rows:
        if any("<LEX8>" in p.text for p in r.paras):
            return r.paras[0].text
    return ""


def trbrdr_widths(doc):
    out = []
    for d in doc.defs:
        w = d.words
        out.append([w[k + 2][1] for k, (n, _) in enumerate(w) if n in ROW_BORDERS and k + 2 < len(w)])
    return out


def groups_outside_defs(data):
    """The fragment with its row definitions cut out: what is left is text,
    paragraph settings and the grouping of the runs."""
    flat = strip_breaks(data)
    return re.sub(rb"\\trowd.*?(?=\\pard)", b"", flat, flags=re.S)


# --------------------------------------------------------------------------
# Self-test: broken fragments must be rejected
# --------------------------------------------------------------------------

MINI = (b"\\trowd \\trgaph70\\trleft-70\\trkeep\\clvertalc\\clbrdrt\\brdrs\\brdrw15 \\cltxlrtb "
        b"\\cellx9144\\pard \\qc\\intbl {\\f16 Krotno\\'9c\\'e6 <CWC> <UCWC>\\cell }\r\n"
        b"\\pard \\intbl {\\row }\\pard\\plain \\lang1045 {\\f16\\fs16 \\par }")

BROKEN = [
    # (what, fragment, check that must reject it)
    ("a lone LF", MINI.replace(b"{\\row }", b"{\\row }\n"), "bytes"),
    ("a token split by a line break", MINI.replace(b"<CWC> ", b"<CW\r\nC> "), "tokens"),
    ("a token split by a line break", MINI.replace(b"<CWC> ", b"<CW\r\nC> "), "breaks"),
    ("font index 2", MINI.replace(b"{\\f16 Krotno", b"{\\f2 Krotno"), "control words"),
    ("an unbalanced closing brace", MINI.replace(b"{\\row }", b"{\\row }}"), "braces"),
    ("a brace closing an unopened group", MINI.replace(b"{\\row }", b"\\row }{"), "braces"),
    ("an unbalanced closing brace", MINI.replace(b"{\\row }", b"{\\row }}"), "splice"),
    ("a control word split by a line break", MINI.replace(b"\\cell }", b"\\ce\r\nll }"), "breaks"),
    ("a line break turning a delimiter into text",
     MINI.replace(b"{\\f16 Krotno", b"{\\f16\r\n Krotno"), "breaks"),
    ("upper-case hex", MINI.replace(b"\\'9c", b"\\'9C"), "control symbols"),
    ("an escape outside the letter list", MINI.replace(b"\\'9c", b"\\'e9"), "control symbols"),
    ("a control symbol", MINI.replace(b"Krotno", b"Krot\\~no"), "control symbols"),
    ("another language", MINI.replace(b"\\lang1045", b"\\lang1033"), "control words"),
    ("\\plain without \\lang1045", MINI.replace(b"\\lang1045 ", b""), "plain and lang"),
    ("an RTF header", b"{\\rtf1" + MINI + b"}", "control words"),
    ("a companion away from its token", MINI.replace(b"<CWC> <UCWC>", b"<CWC>  <UCWC>"), "tokens"),
    ("a stray angle bracket", MINI.replace(b"Krotno", b"Krotno >"), "tokens"),
    ("text outside font 16", MINI.replace(b"{\\f16 Krotno", b"{Krotno"), "font"),
    ("a line over 261 bytes", MINI.replace(b"Krotno", b"Krotno" + b"x" * 300), "line length"),
    ("a tab", MINI.replace(b"Krotno", b"Krotno\t"), "bytes"),
]


def self_test(report):
    good = Faults()
    check_generic(MINI, good)
    report("self-test: sound fragment accepted", not good.failed(), good.failed())
    for what, data, check in BROKEN:
        faults = Faults()
        try:
            check_generic(data, faults)
            rejected = bool(faults.checks.get(check))
        except Exception as exc:     # a crash is not a rejection
            rejected = False
            faults("crash", repr(exc))
        report("self-test: %s rejected by '%s'" % (what, check), rejected, faults.failed())

    # Entry-level checks see faults the generic ones cannot; they run on
    # the real fragments once those are read.
    for label, n, mutate, check in (
            ("a fragment one byte long", 7, lambda d: d + b" ", "size"),
            ("tokens out of order", 3, lambda d: d.replace(b"<NDSC>", b"<TMP>").replace(
                b"<NDSR>", b"<NDSC>").replace(b"<TMP>", b"<NDSR>"), "token list"),
            ("a conditions row with \\trkeep", 5, lambda d: d.replace(
                b"\\trleft-70 \\clvertalc", b"\\trleft-70\\trkeep \\clvertalc"), "conditions row")):
        report.pending.append((label, n, mutate, check))


class Report:
    def __init__(self):
        self.passed = self.failed = 0
        self.pending = []

    def __call__(self, label, ok, detail=None):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL %s" % label)
            if detail:
                for name, faults in (detail.items() if isinstance(detail, dict) else [("", detail)]):
                    for fault in (faults if isinstance(faults, list) else [faults])[:5]:
                        print("     %s%s" % (name + ": " if name else "", fault))


def main(argv):
    directory = argv[1] if len(argv) > 1 else DEFAULT_DIR
    report = Report()
    self_test(report)

    files, docs = {}, {}
    for n in range(1, 19):
        path = os.path.join(directory, "Plik%dT.rtf" % n)
        try:
            with open(path, "rb") as fh:
                files[n] = fh.read()
        except OSError as exc:
            report("entry %d: readable" % n, False, str(exc))
    for n, data in sorted(files.items()):
        faults = Faults()
        try:
            docs[n] = check_entry(n, data, faults)
        except Exception as exc:
            faults("crash", repr(exc))
        for name, found in sorted(faults.checks.items()):
            report("entry %d: %s" % (n, name), not found, found)

    # Mutated real fragments: the entry checks must catch each change.
    for label, n, mutate, check in report.pending:
        if n not in files:
            continue
        broken = mutate(files[n])
        faults = Faults()
        try:
            check_entry(n, broken, faults)
        except Exception as exc:
            faults("crash", repr(exc))
        report("self-test: %s rejected in entry %d by '%s'" % (label, n, check),
               broken != files[n] and bool(faults.checks.get(check)))

    faults = Faults()
    try:
        check_relations(files, docs, faults)
    except Exception as exc:
        faults("crash", repr(exc))
    for name, found in sorted(faults.checks.items()):
        report("relations: %s" % name, not found, found)

    print("%d passed, %d failed" % (report.passed, report.failed))
    return 0 if report.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
