#!/usr/bin/env python3
"""Every system call of a run's write, failed and killed in turn.

For each folder situation and both modes, every occurrence of every call the write makes is
failed (EIO, ENOSPC or EINTR once, EIO from there on) or killed, under strace. Once start-up
has run, the file holds its old bytes or the whole new content as the run said (a killed run
may leave either), no run hangs, and other files are as they were. A case that leaves a file
of the program's runs twice more with a person's change (a line added; rewritten in place)
before start-up, which must stay exactly so. Last, copies append at once and take turns.
Usage: file_fault_sweep.py FILE_WRITER
"""
import concurrent.futures as futures
import os
import re
import signal
import subprocess
import sys
import tempfile

WRITER = sys.argv[1]
NOBODY = 65534
RUN_LINES = 5
RUN = b"".join(b"%012d\r\n" % (100000000000 + n) for n in range(RUN_LINES))  # the writer's lines
OLD = b"".join(b"0102030405%02d\r\n" % n for n in range(6, 9))
FAULTS = ["error=EIO:when={n}", "error=ENOSPC:when={n}", "error=EINTR:when={n}",
          "error=EIO:when={n}+", "signal=KILL:when={n}"]
BOTH = ("append", "replace")
SIZE_LIMIT = 150  # bytes: room for the new file, not for an append
# Other programs' files, beside numir.txt and beside the file its link leads to.
OTHERS = [(".%s.backup", b"a user's backup\n"), (".%s.Q7x9Zk", b"a copy tool's file in flight")]
PEOPLE = {"line added": ("ab", b"424242424242\r\n"), "rewritten": ("wb", b"050607080910\r\n" * 4)}
PROGRAMS_OWN = re.compile(r"\.numir-(tmp|undo)$")
# name; files (name, bytes, mode or None for a link); hard link; where the lines land; another
# user's run (its folder's mode) or root's; the modes that may write the file
SITUATIONS = [
    ("plain file", [("numir.txt", OLD, 0o644)], None, "numir.txt", None, BOTH),
    ("missing file", [], None, "numir.txt", None, BOTH),
    ("symbolic link into another folder",
     [("printer/lines.txt", OLD, 0o644), ("numir.txt", "printer/lines.txt", None)], None,
     "printer/lines.txt", None, BOTH),
    ("second hard link, growing", [("numir.txt", OLD, 0o644)], "copy.txt", "copy.txt", None, BOTH),
    ("second hard link, shrinking", [("numir.txt", OLD * 3, 0o644)], "copy.txt", "copy.txt", None,
     BOTH),
    ("read-only as root", [("numir.txt", OLD, 0o444)], None, "numir.txt", None, ()),
    ("read-only as a user", [("numir.txt", OLD, 0o444)], None, "numir.txt", 0o755, ()),
    ("folder that takes no new file", [("numir.txt", OLD, 0o666)], None, "numir.txt", 0o555,
     BOTH),
    # an append stopped part way: the file is cut back to its old length
    ("file-size limit", [("numir.txt", OLD * 3, 0o644)], None, "numir.txt", None, ("replace",)),
]
if os.geteuid() != 0:  # another user, and a root who may write anything, need root
    print("not root: the rows as root and as another user are left out")
    SITUATIONS = [s for s in SITUATIONS if s[4] is None and "root" not in s[0]]


def prepare(situation):
    top = tempfile.mkdtemp(prefix="numir-sweep-")
    _, files, hard_link, lands, user_folder, _ = situation
    others = [(os.path.join(os.path.dirname(name), pattern % os.path.basename(name)), data, 0o644)
              for name in {"numir.txt", lands} for pattern, data in OTHERS]
    for name, content, mode in files + others:
        path = os.path.join(top, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if mode is None:  # a symbolic link to content
            os.symlink(content, path)
            continue
        with open(path, "wb") as f:
            f.write(content)
        os.chmod(path, mode)
    if hard_link:
        os.link(os.path.join(top, "numir.txt"), os.path.join(top, hard_link))
    if user_folder is not None:
        subprocess.run(["chown", "-R", f"{NOBODY}:{NOBODY}", top], check=True)
        os.chmod(top, user_folder)
    return top


def snapshot(top):
    """Every name below top with its mode, link count and bytes."""
    found = {}
    for root, dirs, files in os.walk(top):
        for name in dirs + files:
            path = os.path.join(root, name)
            st = os.lstat(path)
            data = None
            if os.path.isfile(path) and not os.path.islink(path):
                with open(path, "rb") as f:
                    data = f.read()
            found[os.path.relpath(path, top)] = (st.st_mode, st.st_nlink, data)
    return found


def command(top, args, user, trace=(), limited=False):
    """The writer with args, as root or another user, under strace when trace is given."""
    args = (["prlimit", f"--fsize={SIZE_LIMIT}"] if limited else []) + \
        [WRITER, os.path.join(top, "numir.txt")] + args
    if trace:
        return ["strace", "-qq", "-e", "signal=none"] + (["-u", "nobody"] if user else []) + \
            list(trace) + args
    drop = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"]
    return (drop if user else []) + args


def judge(situation, mode, top, before, code, fault="", person=None):
    """What is wrong after the write, a person's change if any, and start-up, or nothing."""
    name, _, _, lands, user_folder, writes = situation
    old = before.get(lands, (0, 0, None))[2]
    new = ((old or b"") if mode == "append" else b"") + RUN
    allowed = {0: [new], 3: [old], -signal.SIGKILL: [old, new] if mode in writes else [old]}.get(code)
    if allowed is None or (code == 0 and mode not in writes):
        return f"exit {code}"
    if name == "missing file" and old in allowed:
        allowed.append(b"")
    if person:  # the same file, as cp or >> write it
        how, data = PEOPLE[person]
        with open(os.path.join(top, "numir.txt"), how) as f:
            f.write(data)
        allowed = [snapshot(top)[lands][2]]
    # What a failed removal, a lasting fault or a fault while a failed write is put back keeps
    # (the record, which only the next run can put back) goes at start-up; nothing else stays.
    elif code in (0, 3) and (mode in writes or not fault) and not fault.endswith("+") and \
            "unlink" not in fault and (set(snapshot(top)) ^ set(before)) - {"numir.txt"}:
        return f"exit {code}, left behind: {sorted(set(snapshot(top)) ^ set(before))}"
    if subprocess.run(command(top, ["recover"], user_folder is not None)).returncode != 0:
        return "start-up failed"
    after, expected = snapshot(top), dict(before)
    if after.get(lands, (0, 0, None))[2] not in allowed:
        return f"exit {code}, " + ("the person's change undone" if person else "lines torn or lost")
    for path in {lands, "numir.txt"}:  # the same file still, with other lines
        after[path] = after.get(path, (0, 0, None))[:2]
        expected[path] = before.get(path, after[path])[:2]
    if after != expected:
        return f"exit {code}, folder changed: {sorted(set(after) ^ set(before))}"
    return None


def attempt(situation, mode, trace=(), person=None):
    """The writer's exit code, what is wrong, and whether the write left a file of its own."""
    top = prepare(situation)
    before, user = snapshot(top), situation[4] is not None
    args = command(top, [mode, str(RUN_LINES)], user, trace, situation[0] == "file-size limit")
    try:
        try:
            code = subprocess.run(args, timeout=20).returncode
        except subprocess.TimeoutExpired:
            return "hang", "hang", False
        left = any(PROGRAMS_OWN.search(p) for p in snapshot(top))
        if person and not left:
            return code, None, False
        return code, judge(situation, mode, top, before, code, trace[-1] if trace else "", person), left
    finally:
        subprocess.run(["rm", "-rf", top])


def calls_of(situation, mode):
    """(call, occurrence counted from the program's start) for every call of the write."""
    log = tempfile.mktemp(prefix="numir-sweep-log-")
    attempt(situation, mode, ["-o", log])
    seen, writing, calls = {}, False, []
    with open(log) as f:
        for call in (m.group(1) for m in map(re.compile(r"(\w+)\(").match, f) if m):
            seen[call] = seen.get(call, 0) + 1
            writing = writing or call == "getppid"  # the writer's mark: start-up ends
            if writing and call not in ("getppid", "rt_sigaction", "exit_group"):
                calls.append((call, seen[call]))
    os.unlink(log)
    return calls


def copies_at_once(writers=4, runs=60):
    """Copies of the program appending at once: each writes, and each run's lines stand together."""
    top = prepare(SITUATIONS[0])
    try:
        copies = [subprocess.Popen([WRITER, os.path.join(top, "numir.txt"), "append", str(RUN_LINES),
                                    str(runs), str(w)]) for w in range(writers)]
        if any(copy.wait() for copy in copies):
            return "a copy failed"
        with open(os.path.join(top, "numir.txt"), "rb") as f:
            content = f.read()[len(OLD):]
        runs_seen = [content[at:at + 14 * RUN_LINES] for at in range(0, len(content), 14 * RUN_LINES)]
        whole = all(run == b"".join(run[:11] + b"%d\r\n" % n for n in range(RUN_LINES)) for run in runs_seen)
        return None if whole and len(runs_seen) == writers * runs else "lines lost or torn apart"
    finally:
        subprocess.run(["rm", "-rf", top])


def main():
    wrong, kinds, jobs, again, people = [], {}, [], [], {p: 0 for p in PEOPLE}
    wrong += [f"copies at once: {problem}"] if (problem := copies_at_once()) else []
    with futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        for situation in SITUATIONS:
            for mode in ("append", "replace"):
                for call, n in calls_of(situation, mode):
                    for fault in FAULTS:
                        trace = ["-o", "/dev/null", "-e", f"trace={call}",
                                 "-e", f"inject={call}:" + fault.format(n=n)]
                        label = f"{situation[0]}, {mode}, {call} #{n} {fault}"
                        jobs.append((label, situation, mode, trace, pool.submit(attempt, situation, mode, trace)))
        for label, situation, mode, trace, job in jobs:
            kind = label.split(" ")[-1].split(":when")[0] + ("+" if label.endswith("+") else "")
            kinds[kind] = kinds.get(kind, 0) + 1
            _, problem, left = job.result()
            wrong += [f"{label}: {problem}"] if problem else []
            again += [(f"{label}, {person}", person, pool.submit(attempt, situation, mode, trace, person))
                      for person in PEOPLE if left]  # the same fault again, with a person's change
        for label, person, job in again:
            _, problem, left = job.result()
            people[person] += left
            wrong += [f"{label}: {problem}"] if problem else []
    print("injections:", len(jobs), ", ".join(f"{k} {v}" for k, v in sorted(kinds.items())))
    print("a person's change after a run that left a file of its own:", people)
    print("\n".join(f"WRONG {line}" for line in wrong) or "nothing wrong")
    print(f"{0 if wrong else 1} passed, {1 if wrong else 0} failed")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
