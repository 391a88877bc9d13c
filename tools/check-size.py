#!/usr/bin/env python3
"""Refuses a source file over 600 lines or a function body over 60 lines.

Usage: tools/check-size.py [PATH ...]   (default: src)

Tables (a brace that follows '=' or opens an initializer) are not functions and
are not counted; a function that only builds a table says so in a comment that
contains the word "table" on one of the three lines before its body opens. The scan is a brace counter over code with comments, strings
and character literals removed; it is meant to catch closets, not to parse C++.
"""
import pathlib
import re
import sys

MAX_FILE_LINES = 600
MAX_FUNCTION_LINES = 60
SOURCES = (".cpp", ".h")
SCOPE_WORDS = re.compile(r"\b(namespace|class|struct|union|enum)\b[^;()]*$")


def strip_code(text):
    """Blanks comments and literals, keeping newlines so line numbers hold."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not text[i - 1].isalnum()):
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            if not m:
                out.append(c)
                i += 1
                continue
            end = ")" + m.group(1) + '"'
            j = text.find(end, i + m.end())
            j = n if j < 0 else j + len(end)
            out.append('""' + "\n" * text.count("\n", i, j))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def function_spans(code):
    """Yields (first line, line count) of every function body at namespace or class scope."""
    stack = []  # per open brace: True when it opened a function body
    head = []  # text since the last ; { or } at the current level
    line = 1
    starts = []
    for c in code:
        if c == "\n":
            line += 1
        if c == "{":
            inside_function = any(stack)
            text = "".join(head).strip()
            is_function = (
                not inside_function
                and not SCOPE_WORDS.search(text)
                and not text.endswith("=")
                and re.search(r"\)\s*(const|noexcept|override|final|mutable|->[^{]*|\s)*$|\)\s*:[^;]*$", text)
                is not None
            )
            stack.append(is_function)
            starts.append(line)
            head = []
        elif c == "}":
            if stack:
                was_function = stack.pop()
                begin = starts.pop()
                if was_function:
                    yield begin, line - begin + 1
            head = []
        elif c == ";":
            head = []
        else:
            head.append(c)


def main(args):
    roots = [pathlib.Path(a) for a in (args or ["src"])]
    files = []
    for root in roots:
        files += [root] if root.is_file() else sorted(p for p in root.rglob("*") if p.suffix in SOURCES)
    faults = []
    for path in files:
        text = path.read_text(encoding="utf-8", errors="replace")
        lines = text.count("\n")
        if lines > MAX_FILE_LINES:
            faults.append(f"{path}: {lines} lines (at most {MAX_FILE_LINES})")
        source_lines = text.split("\n")
        for begin, length in function_spans(strip_code(text)):
            before = " ".join(source_lines[max(0, begin - 4) : begin])
            if re.search(r"//.*\btable\b", before, re.IGNORECASE):
                continue
            if length > MAX_FUNCTION_LINES:
                faults.append(f"{path}:{begin}: function of {length} lines (at most {MAX_FUNCTION_LINES})")
    for fault in faults:
        print(fault)
    print(f"check-size: {len(files)} files, {len(faults)} over the limits")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
