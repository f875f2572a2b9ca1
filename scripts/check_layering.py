#!/usr/bin/env python3
"""Checks the source tree's includes against the build's targets (the file CMake writes, layering-targets.txt).

A file belongs to the target that compiles it; a header to the target that compiles the .cpp of the same
name, else to the target that owns the header's folder (the lowest one where several share it). A file may
include a project header only when its target is that header's target or links it (directly, or through
what the targets it links pass on), and a Qt Widgets header only when its target reaches Qt6::Widgets. A
target marked headless never reaches Qt6::Widgets. Inside the data library, a folder includes only itself
and the folders before it in KIWI_LAYERS. Finally, no two class files include each other, directly or
through others (a header and its .cpp count as one). A file that includes a header and names one of its
functions, variables or classes whose code lives in a source of another name (that includes the header)
depends on that source too, so a cycle through such a header shows, also when the header comes in through
another header. A project header included with <...> counts as one included with quotes; template and
inline definition files (.tpp, .inl, .hpp, ...) count as headers.
"""
import glob
import os
import re
import sys

from cxx_scan import SUFFIXES

HEADERS = tuple(s for s in SUFFIXES if s not in (".cpp", ".cc", ".cxx"))
SOURCES = (".cpp", ".cc", ".cxx")

SCANNED = ("src", "tools", "tests", "bench")
# The program, its tools and the libraries the tests share keep to their links (test files and benchmarks
# borrow header-only helpers across executables); the program and its tools have no include cycle.
LINKED = ("src/", "tools/", "tests/support/", "tests/tools/")
ACYCLIC = ("src/", "tools/")
INCLUDE_ROOTS = ("src", "tests", "tools")
QUOTED = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
ANGLED = re.compile(r"^\s*#\s*include\s*<([^>]+)>", re.M)
# What the declaration scan drops: comments, string and character literals, preprocessor lines.
NOISE = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'|^\s*#[^\n]*', re.S | re.M)
NAMESPACE = re.compile(r'(?:^|\s)(?:inline\s+)?namespace(\s+[\w:]+)?\s*$|extern\s*$')
CLASS = re.compile(r'\b(?:class|struct|union)\s+(?:\[\[[^\]]*\]\]\s*)?(\w+)(?:\s+final)?\s*(?::[^{]*)?$')
# The (qualified) name before the first parenthesis: a function declared or defined.
FUNCTION = re.compile(r'((?:\w+\s*::\s*)*~?\w+|operator\s*\S+?)\s*\(')
# The name before "=" or "[": a variable at namespace scope.
VARIABLE = re.compile(r'(\w+)\s*(?:\[[^\]]*\]\s*)*(?:=|$)')
KEYWORDS = {"if", "for", "while", "switch", "return", "sizeof", "decltype", "alignas", "static_assert",
            "noexcept", "requires", "template", "typedef", "using", "friend", "operator"}


def read_targets(path):
    layers, targets, current = [], {}, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            word, _, rest = line.rstrip("\n").partition(" ")
            if word == "layers":
                layers = rest.split()
            elif word == "target":
                name, kind, *flags = rest.split()
                current = targets.setdefault(name, {"sources": [], "links": [], "passes": [],
                                                    "library": kind == "STATIC_LIBRARY",
                                                    "headless": "headless" in flags})
            elif word in ("source", "link", "passes") and current is not None:
                current[{"source": "sources", "link": "links", "passes": "passes"}[word]].append(rest)
    return layers, targets


def reach(targets, name, memo={}):
    """Everything name may use: what it links, and what those targets pass on, transitively."""
    if name in memo:
        return memo[name]
    seen, stack = set(), list(targets[name]["links"])
    while stack:
        item = stack.pop()
        if item in seen:
            continue
        seen.add(item)
        if item in targets:
            stack.extend(targets[item]["passes"])
    memo[name] = seen
    return seen


def widget_headers():
    found = glob.glob("/usr/include/*/qt6/QtWidgets") + glob.glob("/usr/include/qt6/QtWidgets")
    return {n for n in os.listdir(found[0]) if "." not in n} if found else set()


def project_files(root):
    files = []
    for top in SCANNED:
        for folder, dirs, names in os.walk(os.path.join(root, top)):
            dirs[:] = [d for d in dirs if d not in ("golden", "build")]
            files += [os.path.relpath(os.path.join(folder, n), root) for n in names if n.endswith(SUFFIXES)]
    return sorted(files)


def resolve(root, including, name, angled=False):
    """The project file an include names, or None; <...> is not looked up beside the including file."""
    for base in ([] if angled else [os.path.dirname(including)]) + list(INCLUDE_ROOTS):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def owners(targets, files):
    by_file, by_folder, programs_by_folder = {}, {}, {}
    for name, target in targets.items():
        for source in target["sources"]:
            by_file.setdefault(source, name)
            if source.endswith(SOURCES):
                folders = by_folder if target["library"] else programs_by_folder
                folders.setdefault(os.path.dirname(source), set()).add(name)
    owner = {}
    for path in files:
        if path in by_file:
            owner[path] = by_file[path]
            continue
        same = os.path.splitext(path)[0] + ".cpp"
        if same in by_file:
            owner[path] = by_file[same]
            continue
        candidates = by_folder.get(os.path.dirname(path), set())
        programs = programs_by_folder.get(os.path.dirname(path), set())
        if not candidates and len(programs) == 1:
            candidates = programs
        lowest = [c for c in candidates if all(c == o or c in reach(targets, o) for o in candidates)]
        if lowest:
            owner[path] = lowest[0]
    return owner


def namespace_statements(text):
    """The statements and definitions at namespace scope: (text before the ";" or "{", opens a body,
    inside an anonymous namespace), skipping the bodies of classes, functions and initialisers."""
    text = NOISE.sub(" ", text)
    found, stack, start, depth_skip = [], [], 0, 0
    for i, c in enumerate(text):
        if depth_skip:
            depth_skip += {"{": 1, "}": -1}.get(c, 0)
            if not depth_skip:
                start = i + 1
            continue
        if c == ";":
            found.append((" ".join(text[start:i].split()), False, "anon" in stack))
            start = i + 1
        elif c == "{":
            head = " ".join(text[start:i].split())
            space = NAMESPACE.search(head)
            if space:
                stack.append("anon" if space.group(1) is None and "namespace" in head else "named")
                start = i + 1
            else:
                found.append((head, True, "anon" in stack))
                depth_skip = 1
        elif c == "}":
            if stack:
                stack.pop()
            start = i + 1
    return found


def plain_name(head):
    """The function or variable a namespace-scope statement declares or defines, else None."""
    if re.match(r"(?:template\s*<.*>\s*)?(?:typedef|using|friend|static_assert|enum|class|struct|union)\b",
                head) or re.search(r"\bstatic\b", head.split("(")[0]):
        return None
    match = FUNCTION.search(head)
    if match is None:
        match = VARIABLE.search(head.split("=")[0].strip() + " =") if "=" in head or "extern" in head else None
    if match is None:
        return None
    name = re.sub(r"\s+", "", match.group(1))
    return None if name.split("::")[-1] in KEYWORDS else name


def declarations(text):
    """A header's free functions and variables, and its classes (to tie members defined elsewhere)."""
    names, classes = set(), set()
    for head, body, _ in namespace_statements(text):
        declared = CLASS.search(head) if body else None
        if declared:
            classes.add(declared.group(1))
        elif "(" in head or "extern" in head:
            name = plain_name(head)
            if name and "::" not in name:
                names.add(name)
    return names, classes


def definitions(text):
    """What a source defines outside an anonymous namespace: names, and Class::member as ("Class", member)."""
    defined = set()
    for head, body, anonymous in namespace_statements(text):
        if anonymous or CLASS.search(head):
            continue
        if body or "=" in head:
            name = plain_name(head)
            if name:
                parts = name.split("::")
                defined.add(parts[0] if len(parts) == 1 else ("::".join(parts[:-1]).split("::")[-1], parts[-1]))
    return defined


def through_headers(includes):
    """Every header each file includes, directly or through the headers it includes."""
    reached = {}
    for path in includes:
        seen, stack = set(), list(includes[path])
        while stack:
            header = stack.pop()
            if header not in seen:
                seen.add(header)
                stack.extend(includes.get(header, ()))
        reached[path] = sorted(seen)
    return reached


def implementation_uses(root, files, includes):
    """(user, source) pairs: user includes a header of another name than source (directly or through other
    headers), source defines one of the header's free functions or variables or a member of one of its
    classes, and user names it."""
    includes = through_headers(includes)
    texts = {}
    for path in files:
        if path.startswith(ACYCLIC):
            with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
                texts[path] = f.read()
    declared = {p: declarations(t) for p, t in texts.items() if p.endswith(HEADERS)}
    # What each header's declarations have for code in sources of other names.
    defined_elsewhere = {}
    for path, text in texts.items():
        if not path.endswith(SOURCES):
            continue
        defined = definitions(text)
        for header in includes.get(path, ()):
            if header not in declared or os.path.splitext(header)[0] == os.path.splitext(path)[0]:
                continue
            names, classes = declared[header]
            found = {d for d in defined if isinstance(d, str) and d in names}
            # A member counts by its name (a constructor's is its class's, which naming the type uses too).
            found |= {d for d in defined if not isinstance(d, str) and d[0] in classes and d[1] != d[0]
                      and not d[1].startswith("~")}
            if found:
                defined_elsewhere.setdefault(header, []).append((path, found))
    # The sources that hold part of a class's code (the .cpp of its header's name among them) are one class.
    members_of = {}
    for path, text in texts.items():
        if path.endswith(SOURCES):
            for d in definitions(text):
                if not isinstance(d, str):
                    members_of.setdefault(d[0], set()).add(os.path.splitext(path)[0])
    pairs = set()
    for path, headers in includes.items():
        used = None
        stem = os.path.splitext(path)[0]
        for header in headers:
            for source, names in defined_elsewhere.get(header, ()):
                if os.path.splitext(source)[0] == stem:
                    continue
                names = {n for n in names if isinstance(n, str) or stem not in members_of.get(n[0], ())}
                if used is None:
                    used = set(re.findall(r"\w+", NOISE.sub(" ", texts[path])))
                if any(n in used if isinstance(n, str) else n[0] in used and n[1] in used for n in names):
                    pairs.add((path, source))
    return sorted(pairs)


def include_cycles(graph):
    """Strongly connected components of more than one node (Tarjan, iterative)."""
    index, low, on_stack, stack, result, counter = {}, {}, set(), [], [], [0]
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, edges = work[-1]
            advanced = False
            for nxt in edges:
                if nxt not in index:
                    index[nxt] = low[nxt] = counter[0]
                    counter[0] += 1
                    stack.append(nxt)
                    on_stack.add(nxt)
                    work.append((nxt, iter(sorted(graph.get(nxt, ())))))
                    advanced = True
                    break
                if nxt in on_stack:
                    low[node] = min(low[node], index[nxt])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1:
                    result.append(sorted(component))
    return result


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: check_layering.py SOURCE_ROOT LAYERING_TARGETS_FILE")
    root, targets_file = sys.argv[1], sys.argv[2]
    layers, targets = read_targets(targets_file)
    if not layers:
        sys.exit("check-layering: no KIWI_LAYERS in " + targets_file)
    rank = {layer: i for i, layer in enumerate(layers)}
    widgets = widget_headers()
    files = project_files(root)
    owner = owners(targets, files)
    problems = []

    for name, target in sorted(targets.items()):
        if target["headless"] and "Qt6::Widgets" in reach(targets, name):
            problems.append(f"{name} must stay headless but reaches Qt6::Widgets")

    graph, includes = {}, {}
    for path in files:
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        mine = owner.get(path) if path.startswith(LINKED) else None
        allowed = reach(targets, mine) if mine else set()
        stem = os.path.splitext(path)[0]
        graph.setdefault(stem, set())
        angled = ANGLED.findall(text)
        for included, is_angled in [(q, False) for q in QUOTED.findall(text)] + [(a, True) for a in angled]:
            target_file = resolve(root, path, included, is_angled)
            if target_file is None:
                continue
            other = os.path.splitext(target_file)[0]
            if other != stem and path.startswith(ACYCLIC) and target_file.startswith(ACYCLIC):
                graph[stem].add(other)
                includes.setdefault(path, []).append(target_file)
            theirs = owner.get(target_file)
            if mine and theirs and theirs != mine and theirs not in allowed:
                problems.append(f"{path} ({mine}) includes {included} ({theirs}), which {mine} does not link")
            parts, inc_parts = path.split("/"), target_file.split("/")
            if parts[:2] == ["src", "kiwi"] and inc_parts[:2] == ["src", "kiwi"] and len(parts) > 3 \
                    and len(inc_parts) > 3 and parts[2] in rank and inc_parts[2] in rank \
                    and rank[inc_parts[2]] > rank[parts[2]]:
                problems.append(f"{path} ({parts[2]}) includes {included} ({inc_parts[2]} comes after "
                                f"{parts[2]} in KIWI_LAYERS)")
        if mine and "Qt6::Widgets" not in allowed:
            for included in angled:
                if included.startswith("QtWidgets/") or included in widgets:
                    problems.append(f"{path} ({mine}) includes Qt Widgets (<{included}>), "
                                    f"which {mine} does not link")

    # Naming a function or class whose code lives in a source of another name than its header depends on
    # that source too.
    for user, source in implementation_uses(root, files, includes):
        graph[os.path.splitext(user)[0]].add(os.path.splitext(source)[0])
    for cycle in include_cycles(graph):
        problems.append("include cycle between class files: " + " <-> ".join(cycle))

    for problem in problems:
        print("check-layering: " + problem, file=sys.stderr)
    if problems:
        print(f"check-layering: {len(problems)} problem(s)", file=sys.stderr)
        return 1
    checked = sum(1 for p in files if p in owner and p.startswith(LINKED))
    print(f"check-layering: {checked} files of {len(targets)} targets include only what their targets link, "
          f"{len(layers)} data layers in order, no include cycle between class files")
    return 0


if __name__ == "__main__":
    sys.exit(main())
