"""What the house's source checks (check-catches, check-jobs, check_layering.py) share: which files are C++
source, the code without comments and literals, and the code as the compiler sees it after the project's
own macros are expanded, so that a construct written through a macro is checked like one written out."""
import pathlib
import re

# Every file the compiler may read, templates' and inline definitions' files among them.
SUFFIXES = (".cpp", ".cc", ".cxx", ".h", ".hpp", ".hh", ".hxx", ".tpp", ".ipp", ".inl")
DEFINE = re.compile(r"^[ \t]*#[ \t]*define[ \t]+(\w+)(\([^)]*\))?[ \t]*(.*)$")


def source_files(root, folders):
    """The C++ files under root's folders, sorted, outside build folders and golden outputs."""
    root = pathlib.Path(root)
    found = []
    for folder in folders:
        for path in (root / folder).rglob("*"):
            parts = path.relative_to(root).parts
            if path.suffix in SUFFIXES and path.is_file() and "golden" not in parts and \
                    not any(p.startswith("build") for p in parts):
                found.append(path)
    return sorted(found)


def join_lines(text):
    """Continued lines joined into their first, with as many empty lines after it, so that lines still count."""
    out, current, carried = [], "", 0
    for line in text.split("\n"):
        if line.endswith("\\"):
            current, carried = current + line[:-1] + " ", carried + 1
            continue
        out += [current + line] + [""] * carried
        current, carried = "", 0
    if carried:
        out += [current] + [""] * (carried - 1)
    return "\n".join(out)


def strip(text):
    """Comments and string and character literals blanked ("" and ''), line breaks kept."""
    def blank(match):
        found = match.group(0)
        if found.startswith("/"):
            return " " + "\n" * found.count("\n")
        return found[0] * 2
    return re.sub(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', blank, text, flags=re.S)


def macros(texts):
    """The project's macros from stripped texts: name -> (parameter names or None, replacement)."""
    found = {}
    for text in texts:
        for line in join_lines(text).split("\n"):
            match = DEFINE.match(line)
            if match:
                params = None
                if match.group(2) is not None:
                    params = [p.strip() for p in match.group(2)[1:-1].split(",") if p.strip()]
                found[match.group(1)] = (params, match.group(3).strip())
    return found


def _arguments(text, start):
    """The arguments of a call whose "(" is at start, and the position after its ")", or None."""
    depth, args, begin = 0, [], start + 1
    for i in range(start, len(text)):
        c = text[i]
        if c in "([{":
            depth += 1
        elif c in ")]}":
            depth -= 1
            if depth == 0:
                args.append(text[begin:i].strip())
                return args, i + 1
        elif c == "," and depth == 1:
            args.append(text[begin:i].strip())
            begin = i + 1
    return None


def _substitute(params, body, args):
    if params and params[-1] == "...":
        named = params[:-1]
        values = dict(zip(named, args)) | {"__VA_ARGS__": ", ".join(args[len(named):])}
    else:
        values = dict(zip(params, args))
    body = re.sub(r"#\s*(\w+)", lambda m: '""' if m.group(1) in values else m.group(0), body)
    body = re.sub(r"\b\w+\b", lambda m: values.get(m.group(0), m.group(0)), body)
    return re.sub(r"\s*##\s*", "", body)


def expand(text, defined, rounds=8):
    """A stripped text with its #define lines blanked and the project's macros expanded in place (the
    expansion kept on the invocation's line, so lines still count)."""
    lines = join_lines(text).split("\n")
    text = "\n".join("" if DEFINE.match(line) else line for line in lines)
    if not defined:
        return text
    name = re.compile(r"\b(%s)\b" % "|".join(sorted(map(re.escape, defined), key=len, reverse=True)))
    for _ in range(rounds):
        out, position, changed = [], 0, False
        for match in name.finditer(text):
            if match.start() < position:
                continue
            params, body = defined[match.group(1)]
            end = match.end()
            if params is not None:
                call = re.compile(r"\s*\(").match(text, end)
                parsed = _arguments(text, call.end() - 1) if call else None
                if parsed is None:
                    continue
                args, end = parsed
                body = _substitute(params, body, args)
            lost = text.count("\n", match.start(), end)
            out.append(text[position:match.start()] + body + "\n" * lost)
            position, changed = end, True
        if not changed:
            break
        text = "".join(out) + text[position:]
    return text


def body(text, start):
    """The text between the "{" at start and its matching "}"."""
    depth = 0
    for i in range(start, len(text)):
        depth += {"{": 1, "}": -1}.get(text[i], 0)
        if depth == 0:
            return text[start + 1:i]
    return text[start + 1:]


def project_code(root, folders):
    """{relative path: stripped text with the project's macros expanded} for the folders' files, and
    the files' macros are the project's: every file's are expanded in every file."""
    root = pathlib.Path(root)
    stripped = {p.relative_to(root).as_posix(): strip(p.read_text(encoding="utf-8", errors="replace"))
                for p in source_files(root, folders)}
    defined = macros(stripped.values())
    return {path: expand(text, defined) for path, text in stripped.items()}
