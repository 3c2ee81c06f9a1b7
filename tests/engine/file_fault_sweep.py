#!/usr/bin/env python3
"""Each occurrence of each system call of a write failed (strace; under Wine the writer's seam)
or the writer ended there: after start-up, old bytes and the right words, or the new lines and
success; nothing of the program's left, nothing else changed, a person's change kept. Then a
safe save during an append, and copies at once. Usage: file_fault_sweep.py [--wine] WRITER"""
import collections, os, re, select, subprocess, sys, tempfile, threading, time
import concurrent.futures as futures

WINE, WRITER = sys.argv[1] == "--wine", sys.argv[-1]
NOBODY, KILLED, RUN_LINES = 65534, -9, 5
RUN = b"".join(b"%012d\r\n" % (100000000000 + n) for n in range(RUN_LINES))  # the writer's lines
OLD = b"".join(b"0102030405%02d\r\n" % n for n in range(6, 9))
PERSON_LINE = b"424242424242\r\n"
# What each fault is, and the kind the user is to be told for it (None: it must not fail).
LINUX_FAULTS = {"error=EIO:when={n}": "Other", "error=ENOSPC:when={n}": "DiskFull",
                "error=EINTR:when={n}": None, "error=EIO:when={n}+": "Other", "signal=KILL:when={n}": None}
WINDOWS_CODES = {5: "NoPermission", 32: "InUse", 112: "DiskFull", 1295: "DiskFull",
                 64: "NotReachable", 1117: "Other"}  # access, sharing, full, quota, network, device
BOTH = ("append", "replace")
SIZE_LIMIT = 150  # bytes: room for the new file, not for an append
# Other programs' files, beside numir.txt and beside the file its link leads to.
OTHERS = [(".%s.backup", b"a user's backup\n"), (".%s.Q7x9Zk", b"a copy tool's file in flight"),
          (".%s.undo", b"an editor's"), (".%s.Ab12Yz.tmp", b"a copy tool's")]
PEOPLE = {"line added": lambda data: data + PERSON_LINE, "rewritten": lambda data: b"050607080910\r\n" * 4,
          "last line cut": lambda data: data[:data.rstrip(b"\r\n").rfind(b"\n") + 1]}
PROGRAMS_OWN = re.compile(r"\.numir-(tmp|undo)$")
# files: (name, bytes or a link's target, mode or None for a link); link: a second hard link;
# lands: where the lines go; user: the folder's mode for another user's run, None for root's;
# writes: the modes that may; refusal: the kind said where none may; flags: the Windows seam's.
Situation = collections.namedtuple("Situation", "name files link lands user writes refusal flags systems")
PLAIN = [("numir.txt", OLD, 0o644)]
SITUATIONS = [s for s in [
    Situation("plain file", PLAIN, None, "numir.txt", None, BOTH, None, "-", "lw"),
    Situation("missing file", [], None, "numir.txt", None, BOTH, None, "-", "lw"),
    Situation("symbolic link into another folder",
              [("printer/lines.txt", OLD, 0o644), ("numir.txt", "printer/lines.txt", None)], None,
              "printer/lines.txt", None, BOTH, None, "-", "lw"),
    Situation("second hard link, growing", PLAIN, "copy.txt", "copy.txt", None, BOTH, None, "-", "lw"),
    Situation("second hard link, shrinking", [("numir.txt", OLD * 3, 0o644)], "copy.txt", "copy.txt",
              None, BOTH, None, "-", "l"),
    Situation("read-only", [("numir.txt", OLD, 0o444)], None, "numir.txt", None, (), "ReadOnly", "-", "lw"),
    # after a run under sudo: the user's folder, root's file
    Situation("root's file, written by a user", PLAIN, None, "numir.txt", 0o755, ("replace",),
              "NoPermission", "-", "l"),
    Situation("folder that takes no new file", [("numir.txt", OLD, 0o666)], None, "numir.txt",
              0o555, BOTH, None, "-", "l"),
    Situation("folder that takes no new file", PLAIN, None, "numir.txt", None, BOTH, None, "nonew", "w"),
    Situation("held by another program sharing reading and writing", PLAIN, None, "numir.txt", None,
              BOTH, None, "hold", "w"),
    # a record whose removal waits on another program's handle: its name cannot be opened
    Situation("an undo record whose removal is pending",
              PLAIN + [(".numir.txt.Pend1n.numir-undo", b"numir-undo 2 append", 0o644)], None,
              "numir.txt", None, BOTH, None, "pending", "w"),
    # an append stopped part way: the file is cut back to its old length
    Situation("file-size limit", [("numir.txt", OLD * 3, 0o644)], None, "numir.txt", None,
              ("replace",), "Other", "-", "l"),
] if ("w" if WINE else "l") in s.systems]
if not WINE and os.geteuid() != 0:  # another user, and a root who may write anything, need root
    print("not root: the rows as another user are left out")
    SITUATIONS = [s for s in SITUATIONS if s.user is None and s.name != "read-only"]


def prepare(situation):
    top = tempfile.mkdtemp(prefix="numir-sweep-")
    others = [(os.path.join(os.path.dirname(name), pattern % os.path.basename(name)), data, 0o644)
              for name in {"numir.txt", situation.lands} for pattern, data in OTHERS]
    for name, content, mode in situation.files + others:
        path = os.path.join(top, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if mode is None:  # a symbolic link to content
            os.symlink(content, path)
            continue
        with open(path, "wb") as f:
            f.write(content)
        os.chmod(path, mode)
    if situation.link:
        os.link(os.path.join(top, "numir.txt"), os.path.join(top, situation.link))
    if situation.user is not None:
        subprocess.run(["chown", "-R", f"{NOBODY}:{NOBODY}", top], check=True)
        if situation.refusal == "NoPermission":
            os.chown(os.path.join(top, "numir.txt"), 0, 0)
        os.chmod(top, situation.user)
    return top


def read(path):
    with open(path, "rb") as f:
        return f.read()


def snapshot(top):  # every name below top: mode (not under Wine's own mapping), links, bytes
    found = {}
    for root, dirs, files in os.walk(top):
        for name in dirs + files:
            path = os.path.join(root, name)
            st, data = os.lstat(path), read(path) if os.path.isfile(path) and not os.path.islink(path) else None
            found[os.path.relpath(path, top)] = (0 if WINE else st.st_mode, st.st_nlink, data)
    return found


def linux_writer(situation, top, mode, trace=()):  # the command, under strace with trace
    args = (["prlimit", f"--fsize={SIZE_LIMIT}"] if situation.name == "file-size limit" else []) + \
        [WRITER, os.path.join(top, "numir.txt"), mode, str(RUN_LINES)]
    if trace:
        return ["strace", "-qq", "-e", "signal=none"] + ["-u", "nobody"] * (situation.user is not None) + trace + args
    return ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] * (situation.user is not None) + args


def windows_ask(line, local=threading.local()):  # this thread's writer, started again once ended
    if getattr(local, "server", None) is None or local.server.poll() is not None:
        local.server = subprocess.Popen(["wine", WRITER, "--serve"], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, text=True)
    local.server.stdin.write(line + "\n")
    local.server.stdin.flush()
    if not select.select([local.server.stdout], [], [], 20)[0]:
        local.server.kill()
        raise subprocess.TimeoutExpired(WRITER, 20)
    said = [local.server.stdout.readline().split()]
    if not said[0]:  # ended: gone, and its files closed (a moment later), before the next case
        local.server.wait(), time.sleep(0.1)
    return said + [local.server.stdout.readline().split()] if "trace" in line else said


def windows_line(situation, top, mode, fault="-", flags=None):
    return f"{fault} {flags or situation.flags} {mode} {RUN_LINES} Z:{top.replace('/', chr(92))}\\numir.txt"


def run(situation, top, mode, fault=None):
    """(exit code, the kind said) for the writer with fault: (call, occurrence, how)."""
    if WINE:
        said = windows_ask(windows_line(situation, top, mode, "%s:%d:%s" % fault if fault else "-"))[0]
    else:
        call, n, how = fault or (None, 0, "")
        trace = ["-o", "/dev/null", "-e", f"trace={call}", "-e", f"inject={call}:" + how.format(n=n)] if fault else []
        said = subprocess.run(linux_writer(situation, top, mode, trace), timeout=20, stdout=subprocess.PIPE,
                              text=True).stdout.split()
    return {"written": (0, None), "failed": (3, said[-1])}.get(said[0], (KILLED, None)) if said else (KILLED, None)


def faults_of(situation, mode):  # (fault, the kind it calls for, its name) for every call
    top = prepare(situation)
    if WINE:
        names = windows_ask(windows_line(situation, top, mode, flags=situation.flags + ",trace"))[1]
    else:
        log = tempfile.mktemp(prefix="numir-sweep-log-")
        subprocess.run(linux_writer(situation, top, mode, ["-o", log]), stdout=subprocess.DEVNULL)
        with open(log) as f:  # from the writer's mark on
            names = [m.group(1) for m in map(re.compile(r"(\w+)\(").match, f) if m]
        os.unlink(log)
        names = [n for n in names[names.index("getppid") + 1:] if n not in ("rt_sigaction", "exit_group", "write")]
    subprocess.run(["rm", "-rf", top])
    seen = collections.Counter()
    calls = [(name, seen.update([name]) or seen[name]) for name in names]
    if not WINE:
        return [((call, n, how), kind, how.split(":")[0].split("=")[1] + "+" * how.endswith("+"))
                for call, n in calls for how, kind in LINUX_FAULTS.items()]
    # one code once and another from then on, in turn; ended there; every opening held briefly
    codes = list(WINDOWS_CODES) * 2
    return [fault for i, (call, n) in enumerate(calls) for fault in [
        ((call, n, f"{codes[i % 6]}"), WINDOWS_CODES[codes[i % 6]], f"{codes[i % 6]}"),
        ((call, n, f"{codes[i % 6 + 3]}+"), WINDOWS_CODES[codes[i % 6 + 3]], f"{codes[i % 6 + 3]}+"),
        ((call, n, "0"), None, "KILL")] + ([((call, n, "32"), None, "32 brief")] if call == "CreateFileW" else [])]


def judge(situation, mode, top, before, outcome, fault_kind, person=None):  # what is wrong
    code, kind = outcome
    old = before.get(situation.lands, (0, 0, None))[2]
    new = ((old or b"") if mode == "append" else b"") + RUN
    may_write = mode in situation.writes
    allowed = {0: [new], 3: [old], KILLED: [old, new] if may_write else [old]}.get(code)
    if allowed is None or (code == 0 and not may_write):
        return f"exit {code}"
    if code == 3 and kind not in {situation.refusal, fault_kind} - {None}:
        return f"said {kind}"  # a brief hold too, which is to be waited out
    if situation.name == "missing file" and old in allowed:
        allowed.append(b"")
    if person:  # the same file, as an editor saving in place would leave it
        path = os.path.join(top, "numir.txt")
        changed = PEOPLE[person](read(path))
        with open(path, "r+b") as f:
            f.write(changed)
            f.truncate()
        allowed = [snapshot(top)[situation.lands][2]]
    if (started := run(situation, top, "recover"))[0] != 0:
        return f"start-up failed: {started}"
    after, expected = snapshot(top), dict(before)
    if after.get(situation.lands, (0, 0, None))[2] not in allowed:
        return f"exit {code}, " + ("the person's change undone" if person else "lines torn or lost")
    for path in {situation.lands, "numir.txt"}:  # the same file still, with other lines
        after[path] = after.get(path, (0, 0, None))[:2]
        expected[path] = before.get(path, after[path])[:2]
    if after != expected:
        return f"exit {code}, folder changed: {sorted(set(after) ^ set(before))}"
    return None


def attempt(situation, mode, fault, fault_kind, person=None):  # what is wrong; if left its own
    top = prepare(situation)
    try:
        before = snapshot(top)
        try:
            outcome = run(situation, top, mode, fault)
        except subprocess.TimeoutExpired:
            return "hang", False
        left = any(PROGRAMS_OWN.search(p) for p in snapshot(top))
        return judge(situation, mode, top, before, outcome, fault_kind, person) if left or not person else None, left
    finally:
        subprocess.run(["rm", "-rf", top])


def safe_save_during_append():
    """A new file moved over numir.txt while the writer waits at the flush after its append: the
    lines are then in the file the name leads to, or the run said it failed."""
    top = prepare(SITUATIONS[0])
    path = os.path.join(top, "numir.txt")
    try:
        if WINE:
            writer = subprocess.Popen(["wine", WRITER, "--serve"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
            writer.stdin.write(windows_line(SITUATIONS[0], top, "append", flags="pause") + "\n")
            writer.stdin.close()
        else:
            writer = subprocess.Popen(linux_writer(SITUATIONS[0], top, "append", [
                "-o", "/dev/null", "-e", "inject=fdatasync:delay_exit=1500000:when=2"]), stdout=subprocess.PIPE, text=True)
        for _ in range(500):
            if read(path).endswith(RUN):
                break
            time.sleep(0.01)
        with open(path + ".saving", "wb") as f:
            f.write(PERSON_LINE)
        os.rename(path + ".saving", path)
        code, content = 0 if writer.stdout.read().split() == ["written"] else 3, read(path)
        return None if {0: PERSON_LINE + RUN, 3: PERSON_LINE}.get(code) == content else \
            f"exit {code}, the file holds {content!r}"
    finally:
        subprocess.run(["rm", "-rf", top])


def copies_at_once(writers=4, runs=40, replaces=3):
    """Copies appending, one replacing now and then: its last run, then whole runs, none twice."""
    top = prepare(SITUATIONS[0])
    try:
        path = os.path.join(top, "numir.txt")
        name = "Z:" + path.replace("/", "\\") if WINE else path
        copies = [subprocess.Popen(["wine"] * WINE + [WRITER, name, "append" if w else "replace", str(RUN_LINES),
                                                      str(runs if w else replaces), str(w)],
                                   stdout=subprocess.DEVNULL) for w in range(writers)]
        if any(copy.wait() for copy in copies):
            return "a copy failed"
        content = read(path)
        seen = [content[at:at + 14 * RUN_LINES] for at in range(0, len(content), 14 * RUN_LINES)]
        whole = all(run == b"".join(run[:11] + b"%d\r\n" % n for n in range(RUN_LINES)) for run in seen)
        first = b"%012d" % (100000000000 + (replaces - 1) * 1000)
        return None if whole and seen[0].startswith(first) and len(set(seen)) == len(seen) else \
            "lines lost or torn apart"
    finally:
        subprocess.run(["rm", "-rf", top])


def main():
    wrong, kinds, jobs, again, people = [], collections.Counter(), [], [], collections.Counter()
    for check in (safe_save_during_append, copies_at_once):
        wrong += [f"{check.__name__}: {problem}"] if (problem := check()) else []
    with futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        for situation in SITUATIONS:
            for mode in BOTH:
                for fault, fault_kind, name in faults_of(situation, mode):
                    kinds[name] += 1
                    jobs.append((f"{situation.name}, {mode}, {fault}", situation, mode, fault, fault_kind,
                                 pool.submit(attempt, situation, mode, fault, fault_kind)))
        for label, situation, mode, fault, fault_kind, job in jobs:
            problem, left = job.result()
            wrong += [f"{label}: {problem}"] if problem else []
            again += [(f"{label}, {person}", person, pool.submit(attempt, situation, mode, fault, fault_kind, person))
                      for person in PEOPLE if left]  # the same fault again, with a person's change
        for label, person, job in again:
            problem, left = job.result()
            people[person] += left
            wrong += [f"{label}: {problem}"] if problem else []
    print("injections:", len(jobs), dict(sorted(kinds.items())), "; a person's change after a run that left"
          " a file of its own:", dict(people))
    print("\n".join(f"WRONG {line}" for line in wrong) or "nothing wrong")
    print(f"{0 if wrong else 1} passed, {1 if wrong else 0} failed")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
