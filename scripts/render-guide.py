#!/usr/bin/env python3
"""Renders the administrators' guide (Markdown) as one HTML page that stands alone.

    render-guide.py GUIDE.md OUT.html

Uses Debian's python3-markdown (tables and fenced code). The page has no scripts, styles from
elsewhere or images: it opens from the release zip on a machine without network. The same
guide gives the same bytes.
"""
import html
import sys

PAGE = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>{title}</title>
<style>
body {{ font-family: "Segoe UI", "Microsoft YaHei", sans-serif; max-width: 60em; margin: 2em auto; padding: 0 1em; line-height: 1.45; }}
code, pre {{ font-family: Consolas, monospace; background: #f3f3f3; }}
pre {{ padding: .6em; overflow-x: auto; }}
table {{ border-collapse: collapse; }}
th, td {{ border: 1px solid #bbb; padding: .25em .5em; text-align: left; vertical-align: top; }}
</style>
</head>
<body>
{body}
</body>
</html>
"""


def main(argv):
    if len(argv) == 2 and argv[1] in ("-h", "--help"):
        print(__doc__.strip())
        return 0
    if len(argv) != 3:
        print("usage: render-guide.py GUIDE.md OUT.html", file=sys.stderr)
        return 2
    try:
        import markdown
    except ImportError:
        print("render-guide.py: python3-markdown is missing (scripts/setup.sh installs it)", file=sys.stderr)
        return 1
    with open(argv[1], encoding="utf-8") as f:
        text = f.read()
    title = next((line.lstrip("# ").strip() for line in text.splitlines() if line.startswith("# ")), "Guide")
    body = markdown.markdown(text, extensions=["tables", "fenced_code"])
    with open(argv[2], "w", encoding="utf-8", newline="\n") as f:
        f.write(PAGE.format(title=html.escape(title), body=body))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
