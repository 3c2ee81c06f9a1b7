#!/usr/bin/env python3
"""Every system call of a run's write, failed and killed in turn.

For each folder situation and both modes, one traced run lists the calls the write makes;
then, for every occurrence of every call, the write is run again under strace with that
call failing (EIO, ENOSPC or EINTR once, EIO from there on) or the program killed there.
After each, the file the name leads to must hold its old bytes and the run report a file
error, or hold the complete new content and the run report success; a killed run may leave
either, once start-up has made the file whole. No run may hang, and once start-up has run,
the folders hold what they held before. Then random kills, for runs of 500 lines.
Usage: file_fault_sweep.py FILE_WRITER [KILLS_PER_CASE]
"""
import concurrent.futures as futures
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import time

WRITER = sys.argv[1]
KILLS = int(sys.argv[2]) if len(sys.argv) > 2 else 20
NOBODY = 65534
OLD = b"".join(b"0102030405%02d\r\n" % n for n in range(6, 9))
LONG_OLD = OLD * 3
FAULTS = ["error=EIO:when={n}", "error=ENOSPC:when={n}", "error=EINTR:when={n}",
          "error=EIO:when={n}+", "signal=KILL:when={n}"]


def lines(count):
    return b"".join(b"%012d\r\n" % (100000000000 + n) for n in range(count))


def plain(old, mode=0o644):
    def prepare(top):
        write(top, "numir.txt", old, mode)
    return prepare


def write(top, name, data, mode=0o644):
    path = os.path.join(top, name)
    with open(path, "wb") as f:
        f.write(data)
    os.chmod(path, mode)


def symlink(top):
    os.mkdir(os.path.join(top, "printer"))
    write(top, "printer/lines.txt", OLD)
    os.symlink("printer/lines.txt", os.path.join(top, "numir.txt"))


def hard_link(old):
    def prepare(top):
        write(top, "numir.txt", old)
        os.link(os.path.join(top, "numir.txt"), os.path.join(top, "copy.txt"))
    return prepare


def as_user(prepare, folder_mode):
    def prepared(top):
        prepare(top)
        for root, dirs, files in os.walk(top):
            for name in dirs + files:
                os.chown(os.path.join(root, name), NOBODY, NOBODY)
        os.chown(top, NOBODY, NOBODY)
        os.chmod(top, folder_mode)
    return prepared


# name, preparation, where the lines land, run as another user, may be written
SITUATIONS = [
    ("plain file", plain(OLD), "numir.txt", False, True),
    ("missing file", lambda top: None, "numir.txt", False, True),
    ("symbolic link into another folder", symlink, "printer/lines.txt", False, True),
    ("second hard link, growing", hard_link(OLD), "copy.txt", False, True),
    ("second hard link, shrinking", hard_link(LONG_OLD), "copy.txt", False, True),
    ("read-only as root", plain(OLD, 0o444), "numir.txt", False, False),
    ("read-only as a user", as_user(plain(OLD, 0o444), 0o755), "numir.txt", True, False),
    ("folder that takes no new file", as_user(plain(OLD, 0o666), 0o555), "numir.txt", True,
     True),
]
RUN_LINES = 5
if os.geteuid() != 0:  # another user and a root who may write anything need root
    print("not root: the rows as root and as another user are left out")
    SITUATIONS = [s for s in SITUATIONS if not s[3] and "root" not in s[0]]


def snapshot(top):
    """Every name below top with its kind, mode, link count and bytes."""
    found = {}
    for root, dirs, files in os.walk(top):
        for name in dirs + files:
            path = os.path.join(root, name)
            st = os.lstat(path)
            data = b""
            if os.path.isfile(path) and not os.path.islink(path):
                with open(path, "rb") as f:
                    data = f.read()
            found[os.path.relpath(path, top)] = (st.st_mode, st.st_nlink, data)
    return found


def run(top, command, user, trace=None, timeout=20):
    args = [WRITER, os.path.join(top, "numir.txt")] + command
    if trace:
        args = ["strace", "-qq", "-o", "/dev/null", "-e", "signal=none"] + trace + args
        if user:
            args[1:1] = ["-u", "nobody"]
    elif user:
        args = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] + args
    try:
        return subprocess.run(args, timeout=timeout, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode
    except subprocess.TimeoutExpired:
        return "hang"


def judge(situation, mode, outcome, fault=None):
    """Says what is wrong after the write, and after start-up has run, or nothing."""
    name, prepare, lands, user, writable = situation[:5]
    top = outcome["top"]
    old = outcome["before"].get(lands, (0, 0, None))[2]
    new = (old or b"") + lines(RUN_LINES) if mode == "append" else lines(RUN_LINES)
    code = outcome["code"]
    if code == "hang":
        return "hang"
    allowed = {0: [new], 3: [old], -signal.SIGKILL: [old, new] if writable else [old]}.get(code)
    if allowed is None or (code == 0 and not writable):
        return f"exit {code}"
    if name == "missing file":
        allowed = allowed + [b""] if old in allowed else allowed
    expected = dict(outcome["before"])
    # Nothing of the program's may be left; what a failed removal or a lasting fault keeps
    # (the record of old bytes, which only the next run can put back) goes at start-up.
    if code in (0, 3) and fault and not fault.endswith("+") and "unlink" not in fault:
        now = set(snapshot(top)) | {"numir.txt"}
        if now != set(expected) | {"numir.txt"}:
            return f"exit {code}, left behind: {sorted(now ^ set(expected))}"
    if run(top, ["recover"], user) != 0:
        return "start-up failed"
    after = snapshot(top)
    if after.get(lands, (0, 0, None))[2] not in allowed:
        return f"exit {code}, lines torn or lost"
    for path in {lands, "numir.txt"}:  # the same file still, with other lines
        after[path] = after.get(path, (0, 0, None))[:2]
        expected[path] = outcome["before"].get(path, after[path])[:2]
    if after != expected:
        return f"exit {code}, folder changed: {sorted(set(after) ^ set(expected))}"
    return None


def attempt(situation, mode, trace):
    top = tempfile.mkdtemp(prefix="numir-sweep-")
    situation[1](top)
    before = snapshot(top)
    code = run(top, [mode, str(RUN_LINES)], situation[3], trace)
    outcome = {"top": top, "before": before, "code": code}
    try:
        return judge(situation, mode, outcome, trace[-1])
    finally:
        subprocess.run(["rm", "-rf", top])


def calls_of(situation, mode):
    """(call, occurrence counted from the program's start) for every call of the write."""
    log = tempfile.mktemp(prefix="numir-sweep-log-")
    top = tempfile.mkdtemp(prefix="numir-sweep-")
    situation[1](top)
    args = ["strace", "-qq", "-o", log, "-e", "signal=none"]
    args += ["-u", "nobody"] if situation[3] else []
    subprocess.run(args + [WRITER, os.path.join(top, "numir.txt"), mode, str(RUN_LINES)])
    subprocess.run(["rm", "-rf", top])
    seen, writing, calls = {}, False, []
    with open(log) as f:
        for line in f:
            call = re.match(r"(\w+)\(", line)
            if not call:
                continue
            call = call.group(1)
            seen[call] = seen.get(call, 0) + 1
            if call == "getppid":
                writing = True
            elif writing and call not in ("rt_sigaction", "exit_group"):
                calls.append((call, seen[call]))
    os.unlink(log)
    return calls


def sweep(pool):
    jobs = []
    for situation in SITUATIONS:
        for mode in ("append", "replace"):
            for call, n in calls_of(situation, mode):
                for fault in FAULTS:
                    trace = ["-e", f"trace={call}", "-e", f"inject={call}:" + fault.format(n=n)]
                    label = f"{situation[0]}, {mode}, {call} #{n} {fault.split(':')[0]}"
                    jobs.append((label, fault, pool.submit(attempt, situation, mode, trace)))
    kinds, wrong = {}, []
    for label, fault, job in jobs:
        kind = fault.split(":")[0] + ("+" if fault.endswith("+") else "")
        kinds[kind] = kinds.get(kind, 0) + 1
        if problem := job.result():
            wrong.append(f"{label}: {problem}")
    print("injections:", len(jobs), ", ".join(f"{k} {v}" for k, v in sorted(kinds.items())))
    return wrong


def killed_at_random(situation, mode):
    top = tempfile.mkdtemp(prefix="numir-sweep-")
    situation[1](top)
    before = snapshot(top)
    args = [WRITER, os.path.join(top, "numir.txt"), mode, "500"]
    if situation[3]:
        args = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] + args
    child = subprocess.Popen(args)
    time.sleep(random.uniform(0, 0.005))
    child.send_signal(signal.SIGKILL)
    code = child.wait()
    outcome = {"top": top, "before": before, "code": code}
    try:
        return code, judge(situation, mode, outcome)
    finally:
        subprocess.run(["rm", "-rf", top])


def main():
    with futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        wrong = sweep(pool)
    # Random kills take the runs of 500 lines; each case writes its own folder.
    global RUN_LINES
    RUN_LINES = 500
    outcomes = {}
    for situation in SITUATIONS:
        for mode in ("append", "replace"):
            for _ in range(KILLS):
                code, problem = killed_at_random(situation, mode)
                outcomes[code] = outcomes.get(code, 0) + 1
                if problem:
                    wrong.append(f"{situation[0]}, {mode}, killed at random: {problem}")
    print("random kills, by exit:", outcomes)
    for line in wrong:
        print("WRONG", line)
    print(f"{0 if wrong else 1} passed, {1 if wrong else 0} failed")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
