#!/usr/bin/env python3
"""Makes the Qt Linguist files of the English interface from the text catalogue: the build runs
it (nobody edits a .ts file).

  uitext_en.ts   context "UiText": every text of the UI text table (src/core/text/UiTextTable.cpp)
                 and our messages (kMsg* of src/core/text/ExtraText.*), the Chinese text as
                 source and the id as disambiguation.
  kvt640_en.ts   the windows' tr() texts as lupdate finds them (--windows, a .ts that lupdate
                 wrote), each given the English of the catalogue's window text (kWindowTexts).

A tr() text without a catalogue entry stops the build: add it to kWindowTexts. --check also
refuses catalogue window texts that no window uses any more.

    python3 tools/gen_ui_text_ts.py --windows LUPDATE.ts --out DIR [--check]
"""
import argparse
import os
import re
import sys
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TABLE = os.path.join(ROOT, "src/core/text/UiTextTable.cpp")
EXTRA_H = os.path.join(ROOT, "src/core/text/ExtraText.h")
EXTRA_CPP = os.path.join(ROOT, "src/core/text/ExtraText.cpp")

STRING = r'"(?:[^"\\]|\\.)*"'
STRINGS = rf"{STRING}(?:\s*{STRING})*"  # adjacent literals, as clang-format splits them


def c_text(literals):
    escapes = {"n": "\n", "t": "\t", "\\": "\\", '"': '"'}
    parts = re.findall(STRING, literals)
    return "".join(re.sub(r"\\(.)", lambda m: escapes[m.group(1)], p[1:-1]) for p in parts)


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def table_texts():
    """id -> (Chinese, English) of the UI text table and of our messages."""
    rows = re.findall(rf"\{{\s*(\d+)u,\s*({STRINGS}),\s*({STRINGS})\s*\}}", read(TABLE))
    texts = {int(i): (c_text(zh), c_text(en)) for i, zh, en in rows}
    if len(texts) != 615:
        raise SystemExit(f"{TABLE}: expected 615 entries, found {len(texts)}")
    ids = {name: int(value) for name, value in re.findall(r"(kMsg\w+) = (\d+);", read(EXTRA_H))}
    own = re.findall(rf"\{{\s*(kMsg\w+),\s*({STRINGS}),\s*({STRINGS})\s*\}}", read(EXTRA_CPP))
    if not ids or {name for name, _, _ in own} != set(ids):
        raise SystemExit(f"{EXTRA_CPP}: the message ids and their texts do not match")
    for name, zh, en in own:
        texts[ids[name]] = (c_text(zh), c_text(en))
    return {i: t for i, t in texts.items() if t[0]}


def window_texts():
    """(context or None, Chinese) -> English forms."""
    block = read(EXTRA_CPP).split("kWindowTexts", 1)[1]
    rows = re.findall(
        rf"\{{\s*(nullptr|{STRING}),\s*({STRINGS}),\s*({STRINGS})(?:,\s*({STRINGS}))?\s*\}}", block)
    texts = {}
    for context, zh, en, plural in rows:
        key = (None if context == "nullptr" else c_text(context), c_text(zh))
        texts[key] = [c_text(en)] + ([c_text(plural)] if plural else [])
    return texts


def protect(text):
    # As Qt's own .ts writer escapes; tabs and line ends stay as they are.
    out = []
    for ch in text:
        if ch in "&<>\"'":
            out.append({"&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;", "'": "&apos;"}[ch])
        elif ord(ch) < 0x20 and ch not in "\n\t":
            out.append(f"&#x{ord(ch):x};")
        else:
            out.append(ch)
    return "".join(out)


HEAD = ['<?xml version="1.0" encoding="utf-8"?>', "<!DOCTYPE TS>",
        '<TS version="2.1" language="en" sourcelanguage="zh_CN">']


def message(source, forms, comment=None, numerus=False):
    lines = ['    <message numerus="yes">' if numerus else "    <message>",
             f"        <source>{protect(source)}</source>"]
    if comment is not None:
        lines.append(f"        <comment>{protect(comment)}</comment>")
    if numerus:
        lines += ["        <translation>"]
        lines += [f"            <numerusform>{protect(f)}</numerusform>" for f in forms]
        lines += ["        </translation>"]
    else:
        lines.append(f"        <translation>{protect(forms[0])}</translation>")
    return lines + ["    </message>"]


def uitext_ts(texts):
    lines = HEAD + ["<context>", "    <name>UiText</name>"]
    for i in sorted(texts):
        lines += message(texts[i][0], [texts[i][1]], str(i))
    return "\n".join(lines + ["</context>", "</TS>", ""])


def windows_ts(found, catalogue):
    """The windows' .ts and what it lacks and leaves unused."""
    lines = list(HEAD)
    missing, used = [], set()
    for context in ET.parse(found).getroot().iter("context"):
        name = context.findtext("name")
        lines += ["<context>", f"    <name>{protect(name)}</name>"]
        for msg in context.iter("message"):
            source = msg.findtext("source") or ""
            key = (name, source) if (name, source) in catalogue else (None, source)
            numerus = msg.get("numerus") == "yes"
            forms = catalogue.get(key)
            if not forms or len(forms) != (2 if numerus else 1):
                missing.append(f"{name}: {source!r}")
                continue
            used.add(key)
            lines += message(source, forms, msg.findtext("comment"), numerus)
        lines.append("</context>")
    return "\n".join(lines + ["</TS>", ""]), missing, set(catalogue) - used


def write(path, text):
    with open(path, "w", encoding="utf-8") as f:  # always: the build goes by its time
        f.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--windows", required=True, help="the windows' texts as lupdate wrote them")
    parser.add_argument("--out", required=True, help="directory for the two .ts files")
    parser.add_argument("--check", action="store_true", help="also refuse unused window texts")
    args = parser.parse_args()
    windows, missing, unused = windows_ts(args.windows, window_texts())
    status = 0
    if missing:
        print("window texts without English in the catalogue (src/core/text/ExtraText.cpp, "
              "kWindowTexts):\n  " + "\n  ".join(missing), file=sys.stderr)
        status = 1
    if args.check and unused:
        print("catalogue window texts no window uses:\n  " +
              "\n  ".join(f"{c or ''}: {s!r}" for c, s in sorted(unused, key=str)), file=sys.stderr)
        status = 1
    if status:
        return status
    os.makedirs(args.out, exist_ok=True)
    write(os.path.join(args.out, "uitext_en.ts"), uitext_ts(table_texts()))
    write(os.path.join(args.out, "kvt640_en.ts"), windows)
    return 0


if __name__ == "__main__":
    sys.exit(main())
