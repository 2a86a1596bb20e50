#!/usr/bin/env python3
"""Writes the hostile banner items that bench_banner shows, one file each, and
its mutator starts from.

Usage: make_hostile.py FOLDER. Most items sit just inside the content caps that
items were once judged by in the window; the rest go past one cap each. All now
go to the render child, which must bound what each costs."""
import base64
import struct
import sys
import zlib
from pathlib import Path

LAYOUT = 4 * 1024 - 16  # the item's delimiter counts too  # bytes of text outside data: addresses
ELEMENTS = 384
DEPTH = 32
WORD = 1000
CELLS = 160
LENGTH = 2048
FONT = 160
PIXELS = 1_000_000


def png(width, height, colour=False):
    """A PNG of the given size: 1-bit grey, or an RGBA gradient."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    if colour:
        rows = b"".join(b"\x00" + bytes((x * 7 + y) & 0xFF for x in range(width) for _ in range(4))
                        for y in range(height))
        header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    else:
        rows = (b"\x00" + b"\x00" * ((width + 7) // 8)) * height
        header = struct.pack(">IIBBBBB", width, height, 1, 0, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


def data_url(image):
    return "data:image/png;base64," + base64.b64encode(image).decode()


def fill(prefix, unit, suffix="", limit=LAYOUT):
    """prefix + as many units as fit in the layout cap + suffix."""
    count = (limit - len(prefix) - len(suffix)) // len(unit)
    return prefix + unit * count + suffix


def at_caps():
    out = {}
    word = "a" * WORD + " "
    out["word-at-cap"] = fill("", word)
    out["word-nbsp-at-cap"] = fill("", "a&nbsp;" * (WORD // 7) + " ")
    out["text-at-cap"] = fill("", "Bytes of files of any size, read-only. ")
    out["line-nowrap-at-cap"] = fill('<p style="white-space:nowrap">', "ab ", "</p>")
    out["line-pre-at-cap"] = fill("<pre>", "ab ", "</pre>")
    for tag in ["div", "p", "blockquote", "ul", "ol", "li", "dl", "dd", "dt", "h1", "pre", "center",
                "span", "b", "font", "a", "big", "sub"]:
        out[f"nest-{tag}-at-cap"] = fill(f"<{tag}>" * DEPTH, "x ")
    out["nest-lists-at-cap"] = "<ul>" * (DEPTH - 1) + "<li>item</li>" * (ELEMENTS - DEPTH)
    out["nest-tables-at-cap"] = fill("", '<table><tr><td>a</td><td><table><tr><td>b</td><td>' + "xy " * 60
                                     + "</td></tr></table></td></tr></table>")
    out["nest-table-text-at-cap"] = fill("<table><tr><td><table><tr><td>", "xy ", "</td></tr></table></td></tr></table>")
    out["elements-paragraphs-at-cap"] = "<p>x</p>" * ELEMENTS
    out["cells-at-cap"] = "<table>" + ("<tr>" + "<td>x</td>" * 16 + "</tr>") * 10 + "</table>"
    out["cells-one-row-at-cap"] = f"<table><tr><td colspan={CELLS - 1}>x</td><td>y</td></tr></table>"
    out["cells-wide-rows-at-cap"] = "<table>" + f"<tr><td colspan={CELLS // 10}>x</td></tr>" * 10 + "</table>"
    out["span-row-at-cap"] = f"<table><tr><td rowspan={LENGTH}>x</td><td>y</td></tr></table>"
    out["size-img-at-cap"] = f'<img width="{LENGTH}" height="{LENGTH}" src="{data_url(png(1, 1))}">' * 40
    out["size-table-at-cap"] = (f'<table width="{LENGTH}" cellpadding="{LENGTH}" border="{LENGTH}">'
                                f'<tr><td width="{LENGTH}">x</td></tr></table>')
    out["size-hr-at-cap"] = f'<hr width="{LENGTH}" size="{LENGTH}">' * 50
    out["size-spacing-at-cap"] = fill(f'<p style="letter-spacing:{LENGTH}px; word-spacing:{LENGTH}px; '
                                      f'margin-left:{LENGTH}px; text-indent:{LENGTH}px; line-height:{LENGTH}px">',
                                      "a b ", "</p>")
    glyphs = "".join(map(chr, range(0x41, 0x5B))) + "".join(map(chr, range(0x61, 0x7B))) + "".join(
        map(chr, range(0xC0, 0x17F)))
    out["size-font-css-at-cap"] = f'<span style="font-size:{FONT}px">{glyphs}</span>'
    out["size-font-attr-at-cap"] = fill("", f'<font size="7">{glyphs[:40]}</font>')
    out["size-font-attr-huge"] = '<font size="100">W</font>'
    out["size-font-nested-at-cap"] = '<span style="font-size:200%">' * (DEPTH - 1) + "Wide"
    out["image-many-small-at-cap"] = "".join(f'<img src="{data_url(png(8 + i % 50, 8))}">' for i in range(300))
    out["image-colour-at-budget"] = f'<img src="{data_url(png(1000, 1000, colour=True))}">'
    out["image-bombs-past-budget"] = "".join(f'<img src="{data_url(png(2000 + i, 2000))}">' for i in range(20))
    out["image-background-past-budget"] = (f'<table background="{data_url(png(10000, 10000))}">'
                                           "<tr><td>x</td></tr></table>")
    return out


def over_caps():
    out = {}
    out["over-word"] = "a" * (WORD + 1)
    out["over-size"] = "word " * (64 * 1024 // 5 + 1)
    out["over-layout"] = "word " * (LAYOUT // 5 + 5)
    out["over-nest-div"] = "<div>" * (DEPTH + 1) + "x"
    out["over-nest-table"] = "<table><tr><td>" * 3 + "x"
    out["over-elements"] = "<br>" * (ELEMENTS + 1)
    out["over-colspan"] = "<table><tr><td colspan=1000000>x</td></tr><tr><td>y</td></tr></table>"
    out["over-cells"] = "<table><tr>" + "<td>x" * (CELLS + 1) + "</table>"
    out["over-width"] = '<table width="2147483647"><tr><td width="2147483647">x</td></tr></table>'
    out["over-font-css"] = '<style>p { font-size: 1e5px }</style><p>W</p>'
    out["over-font-em"] = '<p style="font-size: 11em">W</p>'
    return out


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for name, text in {**at_caps(), **over_caps()}.items():
        (folder / f"{name}.html").write_text(text, encoding="utf-8")


if __name__ == "__main__":
    main()
