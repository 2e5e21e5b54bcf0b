#!/usr/bin/env python3
"""Makes the demo content server's files from the catalogue source.

  build_demo.py pages
      (Re)writes, for every entry of demo/catalogue.tsv whose links point at the
      content server ("http://{server}/..."), its picture (pic/*.svg, a small
      SVG) and its explanation page with a change log (explain/*.html) into
      demo/www. These are text files kept in the repository: run this after
      adding an entry.

  build_demo.py tree --out DIR
      Lays out the folder the content server serves: a copy of demo/www plus
      every entry's downloadable file (a few KB of generated map data, or a
      small zip for tools), generated so that no binary file lives in the
      repository. DIR is replaced.

Everything is derived from the entries' texts, so each run gives the same files.
Serve DIR with tools/content_server.py; build ZarnREZ.dat from the same source
with verdane-catalogue.
"""

import argparse
import hashlib
import html
import os
import shutil
import sys
import urllib.parse
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
PREFIX = "http://{server}/"
COLUMNS = ["Maptype", "UpdateTime", "MapName", "MapExplain", "Pic_Link", "Down_Link", "ExplainLink"]
CATEGORIES = {99: "首页推荐", 0: "对战地图", 1: "RPG地图", 2: "防守地图", 3: "休闲娱乐", 4: "实用工具"}
ZIP_TIME = (2024, 1, 1, 0, 0, 0)


def read_source(path):
    entries = []
    header = None
    with open(path, encoding="utf-8-sig") as source:
        for number, line in enumerate(source, 1):
            line = line.rstrip("\r\n")
            if not line.strip() or line.startswith("#"):
                continue
            fields = line.split("\t")
            if header is None:
                header = fields
                if sorted(header) != sorted(COLUMNS):
                    sys.exit("%s:%d: header must name %s" % (path, number, ", ".join(COLUMNS)))
                continue
            if len(fields) != len(header):
                sys.exit("%s:%d: %d fields, expected %d" % (path, number, len(fields), len(header)))
            entry = dict(zip(header, fields))
            entry["Maptype"] = int(entry["Maptype"])
            entries.append(entry)
    return entries


def local_path(out, link):
    """The file under OUT that a content-server link names, or None."""
    if not link.startswith(PREFIX):
        return None
    path = urllib.parse.unquote(urllib.parse.urlsplit("http://x/" + link[len(PREFIX):]).path)
    parts = [p for p in path.split("/") if p]
    if not parts or any(p in (".", "..") for p in parts):
        return None
    return os.path.join(out, *parts)


def digest(text):
    return hashlib.sha256(text.encode("utf-8")).digest()


def colour(seed, index, lightness):
    hue = (seed[index] * 360) // 256
    return "hsl(%d, 55%%, %d%%)" % (hue, lightness)


def picture(entry):
    # The picture view shows a 50 x 45 window whose corner lies at (10, 15) of
    # the page; the canvas fills 60 x 60 so nothing shows blank around it.
    seed = digest(entry["MapName"])
    glyph = html.escape(entry["MapName"].strip()[0])
    tools = entry["Maptype"] == 4
    shape = (
        '<rect x="22" y="24" width="26" height="26" rx="5" fill="none" stroke="%s" stroke-width="2"/>'
        if tools else
        '<path d="M35 20 L55 38 L35 56 L15 38 Z" fill="none" stroke="%s" stroke-width="2" opacity="0.7"/>'
    ) % colour(seed, 2, 80)
    return (
        '<svg xmlns="http://www.w3.org/2000/svg" width="60" height="60" viewBox="0 0 60 60">\n'
        '  <defs><linearGradient id="g" x1="0" y1="0" x2="0.6" y2="1">\n'
        '    <stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>\n'
        '  </linearGradient></defs>\n'
        '  <rect width="60" height="60" fill="%s"/>\n'
        '  <rect x="11" y="16" width="48" height="43" rx="6" fill="url(#g)"/>\n'
        '  %s\n'
        '  <text x="35" y="45" text-anchor="middle" font-size="21" font-weight="bold"'
        ' font-family="Noto Sans CJK SC, sans-serif" fill="#fff4c8">%s</text>\n'
        '</svg>\n'
    ) % (colour(seed, 0, 52), colour(seed, 1, 28), colour(seed, 1, 18), shape, glyph)


def explanation(entry, file_name):
    seed = digest(entry["ExplainLink"])
    date = entry["UpdateTime"].split(" ")[0]
    major, minor = 1 + seed[0] % 3, seed[1] % 10
    log = [
        (date, "v%d.%d" % (major, minor), "修正已知问题，平衡性调整。"),
        ("更早", "v%d.%d" % (major, max(minor - 1, 0)), "优化地形与提示文字。"),
        ("首发", "v%d.0" % major, "地图首次发布。"),
    ]
    rows = "\n".join(
        "    <tr><td>%s</td><td>%s</td><td>%s</td></tr>" % (html.escape(a), html.escape(b), html.escape(c))
        for a, b, c in log)
    values = {
        "name": html.escape(entry["MapName"]),
        "explain": html.escape(entry["MapExplain"]) or "暂无简介。",
        "category": CATEGORIES.get(entry["Maptype"], "分类 %d" % entry["Maptype"]),
        "time": html.escape(entry["UpdateTime"]),
        "file": html.escape(file_name),
        "picture": html.escape(urllib.parse.urlsplit(entry["Pic_Link"].replace("{server}", "x")).path),
        "rows": rows,
    }
    return """<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<title>{name} - 更新日志</title>
<style>
  body {{ margin: 0; background: #10151f; color: #c9d3e0; font: 14px/1.7 "Noto Sans CJK SC", sans-serif; }}
  main {{ max-width: 720px; margin: 32px auto; padding: 0 20px; }}
  h1 {{ color: #f0c75e; margin-bottom: 4px; }}
  .lead {{ color: #9fb0c6; margin-top: 0; }}
  img {{ float: right; width: 60px; height: 60px; border-radius: 6px; }}
  table {{ border-collapse: collapse; width: 100%; margin-top: 12px; }}
  td, th {{ border-bottom: 1px solid #263245; padding: 6px 8px; text-align: left; }}
  th {{ color: #8fa2bb; font-weight: normal; width: 96px; }}
</style>
</head>
<body>
<main>
<img src="{picture}" alt="">
<h1>{name}</h1>
<p class="lead">{explain}</p>
<table>
  <tr><th>分类</th><td colspan="2">{category}</td></tr>
  <tr><th>更新时间</th><td colspan="2">{time}</td></tr>
  <tr><th>文件</th><td colspan="2">{file}</td></tr>
</table>
<h2>更新日志</h2>
<table>
{rows}
</table>
</main>
</body>
</html>
""".format(**values)


def map_file(entry, file_name):
    # A stand-in for a map: the "HM3W" signature of a map archive, the entry's
    # name, then filler drawn from it; 2 to 6 KB.
    seed = digest(entry["Down_Link"])
    size = 2048 + (seed[0] * 16)
    head = b"HM3W\0\0\0\0" + entry["MapName"].encode("utf-8") + b"\0"
    body = bytearray(head)
    block = seed
    while len(body) < size:
        block = hashlib.sha256(block).digest()
        body += block
    return bytes(body[:size])


def tool_file(path, entry, file_name):
    readme = "%s\n%s\n\n%s\n" % (entry["MapName"], entry["MapExplain"], "Verdane 演示文件，仅供测试下载。")
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as archive:
        info = zipfile.ZipInfo("说明.txt", ZIP_TIME)
        info.compress_type = zipfile.ZIP_DEFLATED
        archive.writestr(info, readme.encode("utf-8"))
        info = zipfile.ZipInfo(os.path.splitext(file_name)[0] + ".dat", ZIP_TIME)
        archive.writestr(info, map_file(entry, file_name))


def write(path, content):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    mode = "wb" if isinstance(content, bytes) else "w"
    with open(path, mode, **({} if mode == "wb" else {"encoding": "utf-8"})) as handle:
        handle.write(content)


def write_pages(entries, www):
    count = 0
    for entry in entries:
        file_name = entry["Down_Link"].rstrip("/").rsplit("/", 1)[-1]
        for link, content in ((entry["Pic_Link"], picture), (entry["ExplainLink"], explanation)):
            target = local_path(www, link)
            if target:
                write(target, content(entry) if content is picture else content(entry, file_name))
                count += 1
    print("demo pages: %d files written in %s" % (count, www))


def lay_out_tree(entries, www, out):
    out = os.path.abspath(out)
    if os.path.isdir(out):
        shutil.rmtree(out)
    shutil.copytree(www, out)
    for entry in entries:
        file_name = entry["Down_Link"].rstrip("/").rsplit("/", 1)[-1]
        target = local_path(out, entry["Down_Link"])
        if not target or os.path.exists(target):
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if target.endswith(".zip"):
            tool_file(target, entry, file_name)
        else:
            write(target, map_file(entry, file_name))
    print("demo content: %d entries in %s" % (len(entries), out))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("mode", choices=["pages", "tree"])
    parser.add_argument("--out", help="folder to lay out (tree; replaced)")
    parser.add_argument("--source", default=os.path.join(HERE, "catalogue.tsv"))
    parser.add_argument("--www", default=os.path.join(HERE, "www"))
    args = parser.parse_args()

    entries = read_source(args.source)
    if args.mode == "pages":
        write_pages(entries, args.www)
    elif not args.out:
        parser.error("tree needs --out DIR")
    else:
        lay_out_tree(entries, args.www, args.out)


if __name__ == "__main__":
    main()
