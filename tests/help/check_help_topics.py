#!/usr/bin/env python3
"""Checks a compiled MvFeedwick.chm: the topics that the dialogs open are in it, so is every
page that a page, the contents or the index links to, and its Chinese text came through
intact (pages in UTF-8, contents and index in GB2312).

Usage: check_help_topics.py MvFeedwick.chm
"""
import pathlib
import re
import subprocess
import sys
import tempfile

DIALOG_TOPICS = ["func_g_main.htm", "what.htm", "func_g_link.htm", "func_g_system.htm",
                 "func_g_alllink.htm", "what_version.htm"]
LOCAL_LINK = re.compile(r'(?:href|name="Local" value)="([^"]+)"')


def chm_names(chm):
    listing = subprocess.run(["chmls", "-n", "list", chm], capture_output=True, text=True, check=True).stdout
    return {line.strip()[1:] for line in listing.splitlines() if line.startswith("/")}


def link_problems(name, text, names):
    for target in LOCAL_LINK.findall(text):
        local = target.split("#", 1)[0]
        if local and ":" not in local and local not in names:
            yield f"{name} links to {target}, which is not in the help file"


def main(chm):
    names = chm_names(chm)
    problems = [f"topic {topic} is not in the help file" for topic in DIALOG_TOPICS if topic not in names]
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run(["chmls", "extractall", chm, folder], capture_output=True, check=True)
        texts = {}
        for path in sorted(pathlib.Path(folder).iterdir()):
            encoding = {".htm": "utf-8", ".hhc": "gb2312", ".hhk": "gb2312"}.get(path.suffix)
            if not encoding:
                continue
            try:
                texts[path.name] = path.read_bytes().decode(encoding)
            except UnicodeDecodeError as error:
                problems.append(f"{path.name} is not {encoding}: {error}")
    for name, text in texts.items():
        problems.extend(link_problems(name, text, names))
        if name.endswith(".htm") and "charset=utf-8" not in text:
            problems.append(f"{name} does not declare charset=utf-8")
    for name, phrase in [("what.htm", "订阅源"), ("func_g_link.htm", "先取得链接"), ("toc.hhc", "设置对话框")]:
        if phrase not in texts.get(name, ""):
            problems.append(f"{name} lacks the text {phrase}")
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
