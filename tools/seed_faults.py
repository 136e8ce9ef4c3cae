#!/usr/bin/env python3
"""Seeds small faults into src/ one at a time and reports which ones the test suite catches.

The sample is drawn with a fixed seed from every mutable spot of the C++ sources, so the
same seed on the same sources gives the same faults; a fault is named by its file, the
text of its line and the change, not by a line number, so it survives edits elsewhere.

  python3 tools/seed_faults.py                 # 40 faults, seed 1
  python3 tools/seed_faults.py --seed 7 --count 60
  python3 tools/seed_faults.py --only src/dcc/,src/session/DccOffers.cpp
  python3 tools/seed_faults.py --list          # only print the sample
  python3 tools/seed_faults.py --recheck build-faults/seed-1.txt
                                               # only the faults that run caught

Work happens in a copy of a commit (HEAD unless --rev says otherwise) in build-faults/,
never in the working tree, so editing or switching branches meanwhile changes nothing.
"""
import argparse
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
WORK = ROOT / "build-faults"
# The copy keeps the tree's own layout (sources beside build/), so ccache shares objects with it.
TREE = WORK
BUILD = WORK / "build"

# Each operator: a name, a pattern and a function from the match to its replacement.
COMPARISONS = {"==": "!=", "!=": "==", "<=": "<", ">=": ">", " < ": " <= ", " > ": " >= "}
OPERATORS = [
    ("flip comparison", re.compile(r"==|!=|<=|>=| < | > "), lambda m: COMPARISONS[m.group(0)]),
    ("swap logic", re.compile(r"&&|\|\|"), lambda m: "||" if m.group(0) == "&&" else "&&"),
    ("constant off by one", re.compile(r"(?<![\w.])(\d+)(?![\w.])"), lambda m: str(int(m.group(1)) + 1)),
    ("flip boolean", re.compile(r"\b(true|false)\b"), lambda m: "false" if m.group(0) == "true" else "true"),
    ("swap arguments", re.compile(r"\(([\w.]+(?:\(\))?), ([\w.]+(?:\(\))?)\)"),
     lambda m: f"({m.group(2)}, {m.group(1)})"),
]
# A statement that is a call of its own: the fault drops it.
DROPPABLE = re.compile(r"^(\s*)((?:[\w]+(?:\.|->|::))*\w+\(.*\);)\s*$")
SKIP_LINE = re.compile(r"^\s*(#|//|\*|/\*|static_assert|namespace|using|template|case\b|return\s*;)")
STRING = re.compile(r'"(?:\\.|[^"\\])*"|\'(?:\\.|[^\'\\])*\'')


def code_part(line):
    """The line with string and character literals blanked, so faults never land in texts."""
    line = STRING.sub(lambda m: " " * len(m.group(0)), line)
    cut = line.find("//")
    return line if cut < 0 else line[:cut] + " " * (len(line) - cut)


def candidates(only=()):
    found = []
    for path in sorted((TREE / "src").rglob("*.cpp")):
        rel = path.relative_to(TREE).as_posix()
        if only and not rel.startswith(tuple(only)):
            continue
        for number, line in enumerate(path.read_text(errors="replace").splitlines()):
            if SKIP_LINE.match(line) or "include" in line:
                continue
            code = code_part(line)
            for name, pattern, change in OPERATORS:
                for index, m in enumerate(pattern.finditer(code)):
                    found.append((rel, line, name, index))
            m = DROPPABLE.match(code)
            if m and not code.lstrip().startswith(("return", "throw", "if", "while", "for", "delete")):
                found.append((rel, line, "drop call", 0))
    return found


def fault_id(fault):
    rel, line, name, index = fault
    return f"{rel}|{name}|{index}|{line.strip()}"


def mutate(line, name, index):
    if name == "drop call":
        return DROPPABLE.sub(r"\1;", line)
    for op_name, pattern, change in OPERATORS:
        if op_name == name:
            m = list(pattern.finditer(code_part(line)))[index]
            return line[: m.start()] + change(m) + line[m.end():]
    raise ValueError(name)


def sample(seed, count, only=()):
    pool = candidates(only)
    rng = random.Random(seed)
    rng.shuffle(pool)
    return pool, count


def sync_tree(rev):
    export = WORK.parent / "build-faults-export"
    shutil.rmtree(export, ignore_errors=True)
    export.mkdir(parents=True)
    archive = subprocess.run(["git", "-C", str(ROOT), "archive", rev], check=True, stdout=subprocess.PIPE).stdout
    subprocess.run(["tar", "-x", "-C", str(export)], input=archive, check=True)
    TREE.mkdir(parents=True, exist_ok=True)
    # Only what changed gets a new time stamp, so the next build stays incremental.
    subprocess.run(["rsync", "-rlpD", "--checksum", "--delete", "--exclude", "/build", f"{export}/", f"{TREE}/"],
                   check=True)
    shutil.rmtree(export)


def build():
    with open("/tmp/pell-build.lock", "w") as lock:
        import fcntl
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not (BUILD / "build.ninja").exists():
            subprocess.run(["cmake", "-S", str(TREE), "-B", str(BUILD), "-G", "Ninja"],
                           check=True, stdout=subprocess.DEVNULL)
        r = subprocess.run(["cmake", "--build", str(BUILD), "-j", str(os.cpu_count() or 2),
                            "--target", "pell_tests"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        return r.returncode == 0


def test_programs(layer):
    """The suite's test programs as CTest knows them (a stale binary of a deleted test
    would only waste time), the mutated layer's own first, so a caught fault is found early."""
    import json
    listing = subprocess.run(["ctest", "--show-only=json-v1"], cwd=BUILD, check=True, stdout=subprocess.PIPE).stdout
    progs = sorted({Path(t["command"][0]) for t in json.loads(listing)["tests"] if t.get("command")})
    own = f"test_{layer}" if layer != "gui" else "gui_"
    return sorted(progs, key=lambda p: (not p.name.startswith(own), p.name.startswith("gui_")))


def run_suite(layer, timeout):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", PELL_IRC_SPLASH_MS="50")
    for prog in test_programs(layer):
        args = [str(prog)] + (["--gtest_fail_fast", "--gtest_brief=1"] if prog.name.startswith("test_") else [])
        p = subprocess.Popen(args, cwd=BUILD / "tests", env=env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            rc = p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGKILL)
            p.wait()
            return f"{prog.name} (time-out)"
        finally:
            try:
                os.killpg(p.pid, signal.SIGKILL)  # servers a test left behind die with it
            except ProcessLookupError:
                pass
        if rc != 0:
            return prog.name
    return None


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--count", type=int, default=40)
    ap.add_argument("--list", action="store_true", help="print the sample and stop")
    ap.add_argument("--timeout", type=int, default=300, help="seconds per test program")
    ap.add_argument("--rev", default="HEAD", help="the commit whose sources and tests are used")
    ap.add_argument("--only", default="", metavar="PATHS",
                    help="comma-separated beginnings of src paths to draw faults from (src/dcc/,src/net/Tcp)")
    ap.add_argument("--recheck", metavar="FILE",
                    help="a result file of an earlier run: try again only the faults it caught")
    args = ap.parse_args()

    sync_tree(args.rev)
    pool, count = sample(args.seed, args.count, [p for p in args.only.split(",") if p])
    if args.recheck:
        # Only a suite that lost a fault matters when comparing against an earlier run.
        wanted = {line.rstrip("\n").split("\t", 2)[2] for line in open(args.recheck, encoding="utf-8", errors="surrogateescape")
                  if line.startswith("CAUGHT")}
        pool = [f for f in pool if fault_id(f) in wanted]
        count = len(pool)
    if args.list:
        for rel, line, name, index in pool[:count]:
            print(f"{rel}: {name}: {line.strip()}")
        return 0
    if not build():
        print("the unchanged tree does not build", file=sys.stderr)
        return 2
    base = run_suite("", args.timeout)
    if base:
        print(f"the unchanged tree fails its own tests in {base}", file=sys.stderr)
        return 2

    results = open(WORK / f"seed-{args.seed}{'-recheck' if args.recheck else ''}.txt", "w",
                   encoding="utf-8", errors="surrogateescape")
    caught, missed, tried = [], [], 0
    for rel, line, name, index in pool:
        if tried == count:
            break
        path = TREE / rel
        original = path.read_text(errors="surrogateescape")
        lines = original.split("\n")
        where = lines.index(line)
        lines[where] = mutate(line, name, index)
        path.write_text("\n".join(lines), errors="surrogateescape")
        start = time.time()
        try:
            if not build():
                continue  # a fault that does not compile is not a fault; draw the next one
            tried += 1
            by = run_suite(rel.split("/")[1], args.timeout)
        finally:
            path.write_text(original, errors="surrogateescape")
        label = f"{rel}:{where + 1}: {name}: {line.strip()[:70]}"
        (caught if by else missed).append(label)
        results.write(f"{'CAUGHT' if by else 'MISSED'}\t{by or '-'}\t{fault_id((rel, line, name, index))}\n")
        results.flush()
        print(f"[{tried:2}/{count}] {'CAUGHT by ' + by if by else 'MISSED'} ({time.time() - start:.0f} s) {label}",
              flush=True)
    build()  # leave the copy built as it is, for the next run
    print(f"\nseed {args.seed}: {len(caught)} of {tried} faults caught")
    for label in missed:
        print(f"  missed: {label}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
