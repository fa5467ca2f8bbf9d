#!/usr/bin/env python3
"""Makes manual.htm and manual.txt from manual.src.

manual.src: "# " starts a section; paragraphs are separated by blank lines; lines starting
with "- " are list items; lines indented by four spaces are shown as typed.
"""
import html
import pathlib
import re
import textwrap

here = pathlib.Path(__file__).parent
sections = []  # (title, blocks); a block is ("p", text), ("ul", [items]) or ("pre", lines)
for line in (here / "manual.src").read_text().splitlines():
    if line.startswith("# "):
        sections.append((line[2:], []))
        continue
    blocks = sections[-1][1]
    if not line.strip():
        blocks.append(None)
    elif line.startswith("    "):
        if blocks and blocks[-1] and blocks[-1][0] == "pre":
            blocks[-1][1].append(line[4:])
        else:
            blocks.append(("pre", [line[4:]]))
    elif line.startswith("- "):
        if blocks and blocks[-1] and blocks[-1][0] == "ul":
            blocks[-1][1].append(line[2:])
        else:
            blocks.append(("ul", [line[2:]]))
    else:
        blocks.append(("p", line))
sections = [(title, [b for b in blocks if b]) for title, blocks in sections]

# Plain text, wrapped at 78 columns.
out = ["QUILLOW USER MANUAL", "", "Contents", ""]
out += [f"  {n}. {title}" for n, (title, _) in enumerate(sections, 1)]
for n, (title, blocks) in enumerate(sections, 1):
    heading = f"{n}. {title}"
    out += ["", "", heading, "=" * len(heading)]
    for kind, body in blocks:
        out.append("")
        if kind == "p":
            out += textwrap.wrap(body, 78)
        elif kind == "ul":
            for item in body:
                out += textwrap.wrap(item, 78, initial_indent="  * ", subsequent_indent="    ")
        else:
            out += ["    " + line for line in body]
text = "\r\n".join(out) + "\r\n"
assert max(len(line) for line in text.split("\r\n")) <= 78
(here / "manual.txt").write_bytes(text.encode("ascii"))

# HTML: one page with a table of contents.
def inline(s):
    s = html.escape(s, quote=False)
    return re.sub(r'"([^"]+)"', r"&ldquo;\1&rdquo;", s)

def anchor(n):
    return f"s{n}"

page = ["<!DOCTYPE html>", '<html lang="en">', "<head>", '<meta charset="utf-8">',
        "<title>Quillow user manual</title>", "<style>",
        "body { font-family: Segoe UI, Tahoma, Arial, sans-serif; max-width: 46em;"
        " margin: 2em auto; padding: 0 1em; line-height: 1.5; color: #222; }",
        "h1 { border-bottom: 2px solid #f80; padding-bottom: .2em; }",
        "h2 { margin-top: 2em; border-bottom: 1px solid #ccc; }",
        "pre { background: #f4f4f4; padding: .6em; overflow-x: auto; }",
        "nav ol { columns: 2; }", "a { color: #05a; }", "</style>", "</head>", "<body>",
        "<h1>Quillow user manual</h1>", "<nav><h2>Contents</h2><ol>"]
page += [f'<li><a href="#{anchor(n)}">{inline(t)}</a></li>'
         for n, (t, _) in enumerate(sections, 1)]
page.append("</ol></nav>")
for n, (title, blocks) in enumerate(sections, 1):
    page.append(f'<h2 id="{anchor(n)}">{n}. {inline(title)}</h2>')
    for kind, body in blocks:
        if kind == "p":
            page.append(f"<p>{inline(body)}</p>")
        elif kind == "ul":
            page.append("<ul>" + "".join(f"<li>{inline(i)}</li>" for i in body) + "</ul>")
        else:
            page.append("<pre>" + html.escape("\n".join(body)) + "</pre>")
page += ["</body>", "</html>"]
(here / "manual.htm").write_text("\r\n".join(page) + "\r\n", encoding="utf-8", newline="")
