#!/usr/bin/env python3
"""Checks that the source tree keeps its layers.

  check-layers.py [--src DIR] [--graph FILE.dot ...]
  check-layers.py --self-test

Dependencies run one way: app -> ui -> the portable folders -> platform -> base (the
command-line tool stands on the portable folders, beside ui). An #include "folder/..." may
only reach the floors a file stands on, and only Win32 code (platform/win32/, ui/, app/ and
adapters named *_win32.*) includes the system's headers. A --graph file is the main file
`cmake --graphviz` writes: its target graph must have no cycle. Prints what it checked;
exits 1 on a violation.
"""

import argparse
import os
import re
import sys
import tempfile

PORTABLE = {"search", "output", "settings", "zip"}
BELOW_PORTABLE = {"platform", "base"}
# What each top folder of src/ may include.
ALLOWED = {
    "base": {"base"},
    "platform": BELOW_PORTABLE,
    **{folder: PORTABLE | BELOW_PORTABLE for folder in PORTABLE},
    "cli": {"cli"} | PORTABLE | BELOW_PORTABLE,
    "ui": {"ui"} | PORTABLE | BELOW_PORTABLE,
    "app": {"app", "ui"} | PORTABLE | BELOW_PORTABLE,
}
WIN32_HEADERS = {"windows.h", "commctrl.h", "commdlg.h", "shellapi.h", "shlobj.h", "objbase.h",
                 "winspool.h"}
SOURCE = re.compile(r"\.(c|cc|cpp|h|hpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def may_include_win32(relative):
    parts = relative.split("/")
    return (parts[0] in ("ui", "app") or parts[:2] == ["platform", "win32"] or
            "_win32." in parts[-1])


def check_includes(src):
    """Returns (files checked, list of violations) for the tree under `src`."""
    violations, checked = [], 0
    for folder, _, names in sorted(os.walk(src)):
        for name in sorted(names):
            if not SOURCE.search(name):
                continue
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, src).replace(os.sep, "/")
            top = relative.split("/")[0]
            if top not in ALLOWED:
                continue
            checked += 1
            with open(path, encoding="utf-8", errors="replace") as text:
                for number, line in enumerate(text, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    kind, target = match.groups()
                    where = f"{relative}:{number}"
                    if kind == "<" and target.lower() in WIN32_HEADERS:
                        if not may_include_win32(relative):
                            violations.append(f"{where}: portable code includes <{target}>")
                    elif kind == '"' and "/" in target:
                        reached = target.split("/")[0]
                        if reached in ALLOWED and reached not in ALLOWED[top]:
                            violations.append(f"{where}: {top}/ includes {target} (upwards)")
    return checked, violations


def read_graph(dot):
    labels, edges = {}, []
    node = re.compile(r'^\s*"([^"]+)"\s*\[\s*label\s*=\s*"([^"]*)"')
    edge = re.compile(r'^\s*"([^"]+)"\s*->\s*"([^"]+)"')
    with open(dot, encoding="utf-8") as text:
        for line in text:
            if m := edge.match(line):
                edges.append(m.groups())
            elif m := node.match(line):
                labels[m.group(1)] = m.group(2)
    graph = {name: set() for name in labels}
    for source, target in edges:
        # A target that names its own file (a post-build step checking it) is no cycle.
        if source != target:
            graph.setdefault(source, set()).add(target)
    return {labels.get(k, k): {labels.get(t, t) for t in v} for k, v in graph.items()}


def find_cycle(graph):
    """A list of targets forming a cycle, or None."""
    state, stack = {}, []

    def visit(name):
        state[name] = "open"
        stack.append(name)
        for following in sorted(graph.get(name, ())):
            if state.get(following) == "open":
                return stack[stack.index(following):] + [following]
            if following not in state and (cycle := visit(following)):
                return cycle
        state[name] = "done"
        stack.pop()
        return None

    for name in sorted(graph):
        if name not in state and (cycle := visit(name)):
            return cycle
    return None


def run(src, graphs):
    checked, violations = check_includes(src)
    print(f"layers: {checked} files under {src}: includes run downwards only"
          if not violations else f"layers: {checked} files under {src}")
    for dot in graphs:
        if not os.path.isfile(dot):
            violations.append(f"{dot}: no target graph (configure with cmake --graphviz)")
            continue
        graph = read_graph(dot)
        cycle = find_cycle(graph)
        if cycle:
            violations.append(f"{dot}: target cycle " + " -> ".join(cycle))
        else:
            print(f"layers: {len(graph)} targets in {dot}: no cycle")
    for violation in violations:
        print("layers: " + violation, file=sys.stderr)
    return 1 if violations else 0


def self_test():
    """Plants one fault of each kind in a small tree and graph; each must be reported."""
    cases = [  # (file, its text, whether it breaks the layers)
        ("zip/core/a.cpp", '#include "ui/dialogs/x.h"\n', True),
        ("search/b.h", "#include <windows.h>\n", True),
        ("ui/c.cpp", '#include "app/result_form.h"\n', True),
        ("cli/d.cpp", '#include "ui/services.h"\n', True),
        ("zip/component/e_win32.cpp", '#include <windows.h>\n#include "search/row.h"\n', False),
        ("app/f.cpp", '#include "ui/services.h"\n#include "zip/core/unzip.h"\n', False),
        ("platform/win32/g.cpp", '#include <windows.h>\n#include "base/ascii.h"\n', False),
    ]
    graphs = [  # (edges, whether they hold a cycle)
        ([("app", "ui"), ("ui", "zip"), ("zip", "ui")], True),
        ([("app", "ui"), ("app", "zip"), ("ui", "zip"), ("stub", "stub")], False),
    ]
    failures = 0
    with tempfile.TemporaryDirectory() as work:
        for index, (name, text, faulty) in enumerate(cases):
            src = os.path.join(work, f"tree{index}")
            os.makedirs(os.path.dirname(os.path.join(src, name)))
            with open(os.path.join(src, name), "w", encoding="utf-8") as out:
                out.write(text)
            _, violations = check_includes(src)
            if bool(violations) != faulty:
                print(f"self-test: {name}: expected {'a' if faulty else 'no'} violation, "
                      f"got {violations}", file=sys.stderr)
                failures += 1
        for index, (edges, cyclic) in enumerate(graphs):
            dot = os.path.join(work, f"graph{index}.dot")
            names = sorted({n for edge in edges for n in edge})
            with open(dot, "w", encoding="utf-8") as out:
                out.write("digraph \"T\" {\n")
                for number, name in enumerate(names):
                    out.write(f'    "node{number}" [ label = "{name}", shape = octagon ];\n')
                for source, target in edges:
                    out.write(f'    "node{names.index(source)}" -> "node{names.index(target)}"'
                              ' [ style = dotted ] // x -> y\n')
                out.write("}\n")
            if bool(find_cycle(read_graph(dot))) != cyclic:
                print(f"self-test: graph {edges}: cycle expected {cyclic}", file=sys.stderr)
                failures += 1
    print(f"self-test: {len(cases) + len(graphs)} cases, {failures} failed")
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--src", default=os.path.join(os.path.dirname(__file__), "..", "src"))
    parser.add_argument("--graph", action="append", default=[])
    parser.add_argument("--self-test", action="store_true")
    options = parser.parse_args()
    if options.self_test:
        return self_test()
    return run(os.path.normpath(options.src), options.graph)


if __name__ == "__main__":
    sys.exit(main())
