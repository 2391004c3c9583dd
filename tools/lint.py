#!/usr/bin/env python3
"""clang-tidy over the program's sources, remembering what passed.

Every .cpp under src/ is checked with the build folder's compile command.
A file is skipped when its preprocessed text (our headers and Qt's with it),
its compile flags, .clang-tidy and the tool's version are exactly those of an
earlier clean run on this machine: the findings could only be the same. The
clone's own path is left out of that comparison, so a fresh clone of the same
commit skips what an earlier clone checked. Without a remembered run every
file is checked, as clang-tidy alone would.

Usage: tools/lint.py BUILD_DIR JOBS
Remembered runs live in $MINIARCA_LINT_CACHE, else ~/.cache/miniarca-lint.
"""
import concurrent.futures
import hashlib
import json
import os
import shlex
import subprocess
import sys

TIDY = "clang-tidy"


def main():
    build, jobs = sys.argv[1], int(sys.argv[2])
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    cache = os.environ.get("MINIARCA_LINT_CACHE") or os.path.join(
        os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache"), "miniarca-lint")
    os.makedirs(cache, exist_ok=True)

    with open(os.path.join(build, "compile_commands.json")) as f:
        commands = json.load(f)
    src = os.path.join(root, "src") + os.sep
    units = sorted({c["file"]: c for c in commands
                    if c["file"].startswith(src) and c["file"].endswith(".cpp")}.items())

    version = subprocess.run([TIDY, "--version"], capture_output=True, text=True, check=True).stdout
    with open(os.path.join(root, ".clang-tidy"), "rb") as f:
        config = f.read()

    def key(entry):
        args = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
        # The same command, preprocessing only, to standard output.
        pre, skip = [], False
        for a in args:
            if skip:
                skip = False
                continue
            if a == "-o":
                skip = True
                continue
            if a == "-c" or a.startswith("-o") or a.startswith("-MF") or a in ("-MD", "-MMD"):
                continue
            pre.append(a)
        if pre and os.path.basename(pre[0]) == "ccache":
            pre = pre[1:]
        out = subprocess.run(pre + ["-E", "-P"], cwd=entry["directory"], capture_output=True, check=True).stdout
        h = hashlib.sha256()
        for part in (version.encode(), config, " ".join(args).encode(), out):
            h.update(part.replace(root.encode(), b"@ROOT@"))
            h.update(b"\0")
        return h.hexdigest()

    def check(item):
        path, entry = item
        try:
            k = key(entry)
        except subprocess.CalledProcessError:
            k = None  # clang-tidy will say what is wrong with the file
        if k and os.path.exists(os.path.join(cache, k)):
            return path, True, None
        run = subprocess.run([TIDY, "-p", build, "-quiet", path], capture_output=True, text=True)
        if run.returncode == 0 and ("warning:" not in run.stdout and "error:" not in run.stdout):
            if k:
                open(os.path.join(cache, k), "w").close()
            return path, False, None
        return path, False, run.stdout + run.stderr

    failed, skipped = 0, 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, jobs)) as pool:
        for path, cached, findings in pool.map(check, units):
            rel = os.path.relpath(path, root)
            if cached:
                skipped += 1
            elif findings is None:
                print(f"lint: {rel} clean", flush=True)
            else:
                failed += 1
                print(f"lint: {rel}\n{findings}", flush=True)
    print(f"lint: {len(units)} files, {skipped} unchanged since a clean run, {failed} with findings")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
