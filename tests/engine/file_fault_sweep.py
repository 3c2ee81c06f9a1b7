#!/usr/bin/env python3
"""Every system call of a run's write, failed and killed in turn, on Linux or on Windows.

On Linux, strace fails each occurrence of each call the write makes (EIO, ENOSPC or EINTR
once, EIO from there on) or kills the writer there. On Windows (--wine), the writer's seam
fails each occurrence of each Win32 call with one of the codes Windows gives there, once and
from there on in turn, or ends the process there. For each folder situation and both modes,
once start-up has run, the file holds its old bytes and the run said what the user can act
on, or the whole new content and the run said it was written (a killed run may leave either);
nothing of the program's is left and other files are as they were. A case that leaves a file
of the program's runs again with a person's change before start-up, which must stay exactly
so. Then another program's safe save during an append, and copies writing at once.
Usage: file_fault_sweep.py [--wine] FILE_WRITER
"""
import collections
import concurrent.futures as futures
import os
import re
import select
import subprocess
import sys
import tempfile
import threading
import time

WINE, WRITER = sys.argv[1] == "--wine", sys.argv[-1]
NOBODY, KILLED = 65534, -9
RUN_LINES = 5
RUN = b"".join(b"%012d\r\n" % (100000000000 + n) for n in range(RUN_LINES))  # the writer's lines
OLD = b"".join(b"0102030405%02d\r\n" % n for n in range(6, 9))
PERSON_LINE = b"424242424242\r\n"
# The kind the user is told for each code a fault gives.
LINUX_CODES = {"EIO": "Other", "ENOSPC": "DiskFull", "EINTR": "Other"}
LINUX_FAULTS = ["error=EIO:when={n}", "error=ENOSPC:when={n}", "error=EINTR:when={n}",
                "error=EIO:when={n}+", "signal=KILL:when={n}"]
WINDOWS_CODES = {5: "NoPermission", 32: "InUse", 112: "DiskFull", 1295: "DiskFull",
                 64: "NotReachable", 1117: "Other"}  # access, sharing, full, quota, network, device
BOTH = ("append", "replace")
SIZE_LIMIT = 150  # bytes: room for the new file, not for an append
# Other programs' files, beside numir.txt and beside the file its link leads to.
OTHERS = [(".%s.backup", b"a user's backup\n"), (".%s.Q7x9Zk", b"a copy tool's file in flight")]
PEOPLE = {"line added": lambda data: data + PERSON_LINE, "rewritten": lambda data: b"050607080910\r\n" * 4,
          "last line cut": lambda data: data[:data.rstrip(b"\r\n").rfind(b"\n") + 1]}
PROGRAMS_OWN = re.compile(r"\.numir-(tmp|undo)$")
# files: (name, bytes or a link's target, mode or None for a link); link: a second hard link;
# lands: where the lines go; user: the folder's mode for another user's run (Linux), or None
# for root's; writes: the modes that may write; refusal: the kind said where none may;
# flags: the writer's seam on Windows; systems: l, w or both.
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
    Situation("read-only as a user", [("numir.txt", OLD, 0o444)], None, "numir.txt", 0o755, (),
              "ReadOnly", "-", "l"),
    # after a run under sudo: the user's folder, root's file
    Situation("root's file, written by a user", PLAIN, None, "numir.txt", 0o755, ("replace",),
              "NoPermission", "-", "l"),
    Situation("folder that takes no new file", [("numir.txt", OLD, 0o666)], None, "numir.txt",
              0o555, BOTH, None, "-", "l"),
    Situation("folder that takes no new file", PLAIN, None, "numir.txt", None, BOTH, None, "nonew", "w"),
    Situation("held by another program sharing reading and writing", PLAIN, None, "numir.txt", None,
              BOTH, None, "hold", "w"),
    # a record whose removal waits on another program's handle: no name can be opened there
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


def snapshot(top):
    """Every name below top with its mode, link count and bytes (Wine maps a file's
    permissions to a mode of its own, so there the mode is left out)."""
    found = {}
    for root, dirs, files in os.walk(top):
        for name in dirs + files:
            path = os.path.join(root, name)
            st = os.lstat(path)
            data = None
            if os.path.isfile(path) and not os.path.islink(path):
                with open(path, "rb") as f:
                    data = f.read()
            found[os.path.relpath(path, top)] = (0 if WINE else st.st_mode, st.st_nlink, data)
    return found


class Linux:
    """The writer under strace, one process a case."""

    @staticmethod
    def run(situation, top, mode, fault=None, trace=()):
        if fault:
            call, n, spec = fault
            trace = ["-o", "/dev/null", "-e", f"trace={call}", "-e", f"inject={call}:" + spec.format(n=n)]
        args = (["prlimit", f"--fsize={SIZE_LIMIT}"] if situation.name == "file-size limit" else []) + \
            [WRITER, os.path.join(top, "numir.txt"), mode] + ([str(RUN_LINES)] if mode != "recover" else [])
        if trace:
            args = ["strace", "-qq", "-e", "signal=none"] + (["-u", "nobody"] if situation.user else []) + \
                list(trace) + args
        elif situation.user is not None:
            args = ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] + args
        done = subprocess.run(args, timeout=20, stdout=subprocess.PIPE, text=True)
        return done.returncode, done.stdout.split()[-1] if done.returncode == 3 else None

    @staticmethod
    def calls(situation, mode):
        log = tempfile.mktemp(prefix="numir-sweep-log-")
        top = prepare(situation)
        Linux.run(situation, top, mode, trace=["-o", log])
        subprocess.run(["rm", "-rf", top])
        seen, writing, calls = {}, False, []
        with open(log) as f:
            for call in (m.group(1) for m in map(re.compile(r"(\w+)\(").match, f) if m):
                seen[call] = seen.get(call, 0) + 1
                writing = writing or call == "getppid"  # the writer's mark: start-up ends
                if writing and call not in ("getppid", "rt_sigaction", "exit_group", "write"):
                    calls.append((call, seen[call]))
        os.unlink(log)
        return calls

    @staticmethod
    def faults(calls):
        return [((call, n, spec), LINUX_CODES.get(spec.split("=")[1].split(":")[0]),
                 spec.split(":")[0].split("=")[1] + ("+" if spec.endswith("+") else ""))
                for call, n in calls for spec in LINUX_FAULTS]


class Windows:
    """A writer under Wine per thread, taking one case a line, started again when a case
    ends it."""
    local = threading.local()

    @staticmethod
    def ask(line):
        server = getattr(Windows.local, "server", None)
        if server is None or server.poll() is not None:
            server = Windows.local.server = subprocess.Popen(
                ["wine", WRITER, "--serve"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        server.stdin.write(line + "\n")
        server.stdin.flush()
        if not select.select([server.stdout], [], [], 20)[0]:
            server.kill()
            raise subprocess.TimeoutExpired(WRITER, 20)
        return [server.stdout.readline().split()] + ([server.stdout.readline().split()] if "trace" in line else [])

    @staticmethod
    def run(situation, top, mode, fault=None, flags=None):
        path = "Z:" + os.path.join(top, "numir.txt").replace("/", "\\")
        spec = "-" if fault is None else "%s:%d:%d%s" % fault
        said = Windows.ask(f"{spec} {flags or situation.flags} {mode} {RUN_LINES} {path}")
        if not said[0]:
            Windows.local.server.wait()
            return KILLED, None
        return (0, None) if said[0] == ["written"] else (3, said[0][1])

    @staticmethod
    def calls(situation, mode):
        top = prepare(situation)
        path = "Z:" + os.path.join(top, "numir.txt").replace("/", "\\")
        names = Windows.ask(f"- {situation.flags},trace {mode} {RUN_LINES} {path}")[1]
        subprocess.run(["rm", "-rf", top])
        seen = collections.Counter()
        return [(name, seen.update([name]) or seen[name]) for name in names]

    @staticmethod
    def faults(calls):
        """Each occurrence failed with one code once and another from then on, the codes in
        turn, and ended there; every opening also held briefly by another program, which a
        run waits out (fault kind None: it must not fail)."""
        codes = list(WINDOWS_CODES)
        once, lasting = (lambda i: codes[i % len(codes)]), (lambda i: codes[(i + 3) % len(codes)])
        return [fault for i, (call, n) in enumerate(calls) for fault in [
            ((call, n, once(i), ""), WINDOWS_CODES[once(i)], f"{once(i)}"),
            ((call, n, lasting(i), "+"), WINDOWS_CODES[lasting(i)], f"{lasting(i)}+"),
            ((call, n, 0, ""), None, "KILL")] + ([((call, n, 32, ""), None, "32 brief")] if call == "CreateFileW" else [])]


SYSTEM = Windows if WINE else Linux


def judge(situation, mode, top, before, outcome, fault_kind, person=None):
    """What is wrong after the write, a person's change if any, and start-up, or nothing."""
    code, kind = outcome
    old = before.get(situation.lands, (0, 0, None))[2]
    new = ((old or b"") if mode == "append" else b"") + RUN
    may_write = mode in situation.writes
    allowed = {0: [new], 3: [old], KILLED: [old, new] if may_write else [old]}.get(code)
    if allowed is None or (code == 0 and not may_write):
        return f"exit {code}"
    if code == 3 and kind not in {situation.refusal, fault_kind} - {None}:
        return f"said {kind}"  # also a brief hold that was not waited out
    if situation.name == "missing file" and old in allowed:
        allowed.append(b"")
    if person:  # the same file, as an editor saving in place would leave it
        path = os.path.join(top, "numir.txt")
        with open(path, "rb") as f:
            changed = PEOPLE[person](f.read())
        with open(path, "r+b") as f:
            f.write(changed)
            f.truncate()
        allowed = [snapshot(top)[situation.lands][2]]
    if SYSTEM.run(situation, top, "recover")[0] != 0:
        return "start-up failed"
    after, expected = snapshot(top), dict(before)
    if after.get(situation.lands, (0, 0, None))[2] not in allowed:
        return f"exit {code}, " + ("the person's change undone" if person else "lines torn or lost")
    for path in {situation.lands, "numir.txt"}:  # the same file still, with other lines
        after[path] = after.get(path, (0, 0, None))[:2]
        expected[path] = before.get(path, after[path])[:2]
    if after != expected:
        return f"exit {code}, folder changed: {sorted(set(after) ^ set(before))}"
    return None


def attempt(situation, mode, fault, fault_kind, person=None):
    """What is wrong, or nothing, and whether the write left a file of its own."""
    top = prepare(situation)
    before = snapshot(top)
    try:
        try:
            outcome = SYSTEM.run(situation, top, mode, fault)
        except subprocess.TimeoutExpired:
            return "hang", False
        left = any(PROGRAMS_OWN.search(p) for p in snapshot(top))
        if person and not left:
            return None, False
        return judge(situation, mode, top, before, outcome, fault_kind, person), left
    finally:
        subprocess.run(["rm", "-rf", top])


def safe_save_during_append():
    """Another program moves a new file over numir.txt while a run appends (the writer held
    back at the flush after its append): the run's lines are then in the file the name leads
    to, or the run said it failed."""
    top = prepare(SITUATIONS[0])
    path = os.path.join(top, "numir.txt")
    try:
        if WINE:
            writer = subprocess.Popen(["wine", WRITER, "--serve"], stdin=subprocess.PIPE,
                                      stdout=subprocess.PIPE, text=True)
            writer.stdin.write(f"- pause append {RUN_LINES} Z:{path.replace('/', chr(92))}\n")
            writer.stdin.close()
        else:
            writer = subprocess.Popen(["strace", "-qq", "-o", "/dev/null", "-e",
                                       "inject=fdatasync:delay_exit=1500000:when=2",
                                       WRITER, path, "append", str(RUN_LINES)], stdout=subprocess.PIPE, text=True)
        for _ in range(500):
            with open(path, "rb") as f:
                if f.read().endswith(RUN):
                    break
            time.sleep(0.01)
        with open(path + ".saving", "wb") as f:
            f.write(PERSON_LINE)
        os.rename(path + ".saving", path)
        code = 0 if writer.stdout.read().split() == ["written"] else 3
        with open(path, "rb") as f:
            content = f.read()
        return None if {0: PERSON_LINE + RUN, 3: PERSON_LINE}.get(code) == content else \
            f"exit {code}, the file holds {content!r}"
    finally:
        subprocess.run(["rm", "-rf", top])


def copies_at_once(writers=4, runs=40, replaces=3):
    """Copies appending, and one replacing now and then, at once take turns: the file is the
    replacing copy's last run, then whole runs appended after it, none twice."""
    top = prepare(SITUATIONS[0])
    try:
        path = os.path.join(top, "numir.txt")
        prefix = ["wine"] if WINE else []
        name = "Z:" + path.replace("/", "\\") if WINE else path
        copies = [subprocess.Popen(prefix + [WRITER, name, "replace" if w == 0 else "append", str(RUN_LINES),
                                             str(replaces if w == 0 else runs), str(w)], stdout=subprocess.DEVNULL) for w in range(writers)]
        if any(copy.wait() for copy in copies):
            return "a copy failed"
        with open(path, "rb") as f:
            content = f.read()
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
                for fault, fault_kind, name in SYSTEM.faults(SYSTEM.calls(situation, mode)):
                    label = f"{situation.name}, {mode}, {fault}"
                    kinds[name] += 1
                    jobs.append((label, situation, mode, fault, fault_kind,
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
    print("injections:", len(jobs), dict(sorted(kinds.items())))
    print("a person's change after a run that left a file of its own:", dict(people))
    print("\n".join(f"WRONG {line}" for line in wrong) or "nothing wrong")
    print(f"{0 if wrong else 1} passed, {1 if wrong else 0} failed")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
