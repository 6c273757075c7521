#!/usr/bin/env python3
"""Keeps src/gui/translations/uitext_en.ts, the Qt Linguist file of the UI text table, in step
with the table (src/core/text/UiTextTable.cpp) and our own messages (src/core/text/ExtraText.*).

Context "UiText": one message per id, the Chinese text as source and the id as disambiguation
(identical Chinese texts may need different English). As lupdate does, translations already in
the file are kept: an id whose Chinese text changed keeps its old translation marked unfinished,
a new id gets an empty unfinished one, an id that left the table is kept as vanished. Entries
with an empty text have nothing to translate and are left out.

    python3 tools/gen_ui_text_ts.py            # rewrite the .ts
    python3 tools/gen_ui_text_ts.py --check    # exit 1 if the .ts is not in step
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
TS = os.path.join(ROOT, "src/gui/translations/uitext_en.ts")
CONTEXT = "UiText"

C_STRING = r'"((?:[^"\\]|\\.)*)"'


def c_unescape(text):
    escapes = {"n": "\n", "t": "\t", "\\": "\\", '"': '"'}
    return re.sub(r"\\(.)", lambda m: escapes[m.group(1)], text)


def table_texts():
    with open(TABLE, encoding="utf-8") as f:
        source = f.read()
    entries = {int(i): c_unescape(t) for i, t in re.findall(r"\{(\d+)u, " + C_STRING + r"\}", source)}
    if len(entries) != 615:
        raise SystemExit(f"{TABLE}: expected 615 entries, found {len(entries)}")
    with open(EXTRA_H, encoding="utf-8") as f:
        ids = {name: int(value) for name, value in re.findall(r"(kMsg\w+) = (\d+);", f.read())}
    with open(EXTRA_CPP, encoding="utf-8") as f:
        cases = re.findall(r"case (kMsg\w+):\s*return " + C_STRING + ";", f.read())
    if not ids or {name for name, _ in cases} != set(ids):
        raise SystemExit(f"{EXTRA_CPP}: the message ids and their texts do not match")
    for name, text in cases:
        entries[ids[name]] = c_unescape(text)
    return {i: t for i, t in entries.items() if t}


def old_messages(path):
    """id -> (source, translation, type) of the file as it is."""
    if not os.path.exists(path):
        return {}
    messages = {}
    for context in ET.parse(path).getroot().iter("context"):
        if context.findtext("name") != CONTEXT:
            continue
        for message in context.iter("message"):
            translation = message.find("translation")
            messages[int(message.findtext("comment"))] = (
                message.findtext("source") or "",
                translation.text or "",
                translation.get("type", ""),
            )
    return messages


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


def render(texts, old):
    lines = [
        '<?xml version="1.0" encoding="utf-8"?>',
        "<!DOCTYPE TS>",
        '<TS version="2.1" language="en" sourcelanguage="zh_CN">',
        "<context>",
        f"    <name>{CONTEXT}</name>",
    ]
    for i in sorted(set(texts) | set(old)):
        if i in texts:
            source = texts[i]
            translation, kind = "", "unfinished"
            if i in old:
                old_source, translation, old_kind = old[i]
                if old_source != source:
                    kind = "unfinished"  # a changed Chinese text needs a look at its translation
                elif old_kind == "vanished":
                    kind = "" if translation else "unfinished"  # back in the table
                else:
                    kind = old_kind
        else:
            source, translation, _ = old[i]
            kind = "vanished"
        attribute = f' type="{kind}"' if kind else ""
        lines += [
            "    <message>",
            f"        <source>{protect(source)}</source>",
            f"        <comment>{i}</comment>",
            f"        <translation{attribute}>{protect(translation)}</translation>",
            "    </message>",
        ]
    lines += ["</context>", "</TS>", ""]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="only check that the file is in step")
    parser.add_argument("--ts", default=TS, help="the .ts file (default: %(default)s)")
    args = parser.parse_args()
    text = render(table_texts(), old_messages(args.ts))
    current = open(args.ts, encoding="utf-8").read() if os.path.exists(args.ts) else None
    if args.check:
        if current != text:
            print(f"{args.ts} is not in step with the UI text table: "
                  "run python3 tools/gen_ui_text_ts.py", file=sys.stderr)
            return 1
        return 0
    if current != text:
        with open(args.ts, "w", encoding="utf-8") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
