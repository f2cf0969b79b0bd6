#!/usr/bin/env python3
"""The arrows between the folders, checked on every #include:
core <- platform <- {custody, audit} <- objectstore <- station <- {cli, dock},
camera <- station.
A folder includes only from the folders below it (and itself); the station,
custody, audit and platform never see CLI11, the console or a window; nothing
outside app/, tests/app and tests/e2e includes app/.
usage: include-check.py ROOT; prints each breach as FILE:LINE: why, exits 1."""
import pathlib
import re
import sys

BELOW_STATION = {"core", "telvix", "platform", "custody", "audit", "objectstore", "camera", "station"}
# Folder -> the first components its quoted includes may start with.
ALLOWED = {
    "core": {"core", "telvix"},
    "platform": {"core", "platform"},
    "custody": {"core", "platform", "custody"},
    "audit": {"core", "platform", "audit"},
    "objectstore": {"core", "platform", "custody", "objectstore"},
    "camera": {"core", "telvix", "camera"},
    "station": BELOW_STATION,
    "cli": BELOW_STATION | {"cli"},
    "dock": BELOW_STATION | {"dock", "ui", "texts", "res"},
}
# Folder -> system headers it must not include: the command line's parser,
# the console, windows.
NO_FRONT_END = {"CLI", "windows.h", "commctrl.h", "shellapi.h", "shlobj.h", "conio.h", "wincon.h"}
FORBIDDEN_SYSTEM = {
    "station": NO_FRONT_END,
    "custody": NO_FRONT_END,
    "audit": NO_FRONT_END,
    "platform": {"CLI", "commctrl.h", "shellapi.h", "shlobj.h"},
    # WinHTTP needs windows.h; the console and windows stay out.
    "objectstore": {"CLI", "commctrl.h", "shellapi.h", "shlobj.h", "conio.h", "wincon.h"},
}
MAY_INCLUDE_APP = ("app/", "tests/app/", "tests/e2e/")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def breaches(root, path):
    relative = path.relative_to(root).as_posix()
    folder = relative.split("/")[0]
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        match = INCLUDE.match(line)
        if not match:
            continue
        quoted, name = match.group(1) == '"', match.group(2)
        first = name.split("/")[0]
        where = f"{relative}:{number}: "
        if name.startswith("app/") and not relative.startswith(MAY_INCLUDE_APP):
            yield where + f"{name}: nothing outside app/ includes app/"
        elif quoted and "/" in name and folder in ALLOWED and first not in ALLOWED[folder]:
            yield where + f"{name}: {folder}/ may include only from {', '.join(sorted(ALLOWED[folder]))}"
        elif not quoted and first.lower() in {h.lower() for h in FORBIDDEN_SYSTEM.get(folder, ())}:
            yield where + f"<{name}>: {folder}/ never includes the command line, the console or a window"


def main():
    root = pathlib.Path(sys.argv[1]).resolve()
    found = []
    for folder in sorted(set(ALLOWED) | {"tests", "bench", "fuzz", "sim", "device"}):
        for path in sorted((root / folder).rglob("*")):
            if path.suffix in (".h", ".hpp", ".cpp", ".c", ".rc") and "build" not in path.parts:
                found.extend(breaches(root, path))
    for breach in found:
        print(breach)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
