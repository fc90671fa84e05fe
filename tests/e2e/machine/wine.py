"""Small helpers around the Wine commands the end-to-end machines use.

Every function works on the prefix named by WINEPREFIX and never lets a Wine
process inherit the caller's standard input (a Wine service holding a pipe
would keep ctest waiting).
"""
import os
import pathlib
import subprocess
import sys
import tempfile
import time

# Long enough for any one registry or service command on a loaded machine.
COMMAND_SECONDS = 300


class program:
    """A program started with its output going to files, not pipes.

    Waiting on a pipe means waiting for every process that holds its write end,
    and a Wine program hands its handles on (explorer.exe /desktop, started by
    the first program of a prefix, can hold them for as long as the prefix
    runs). Here waiting ends when the program itself ends, and its output is
    whatever it wrote by then."""

    def __init__(self, command, cwd=None, env=None):
        self.command = list(command)
        with tempfile.TemporaryDirectory(prefix="program-output-") as folder:
            readers, writers = [], []
            for name in ("stdout", "stderr"):
                path = os.path.join(folder, name)
                writers.append(open(path, "ab"))
                readers.append(open(path, "rb", buffering=0))
            try:
                self.process = subprocess.Popen(self.command, cwd=cwd, env=env,
                                                stdin=subprocess.DEVNULL, stdout=writers[0],
                                                stderr=writers[1])
            finally:
                for writer in writers:
                    writer.close()
        self._out, self._err = readers
        self._pending = b""

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running():
            self.process.kill()
        self.process.wait()

    def finish(self, timeout):
        """Waits up to `timeout` seconds for the program's end and returns its
        CompletedProcess; past that the program is killed and TimeoutExpired
        raised, carrying what it wrote."""
        try:
            self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise subprocess.TimeoutExpired(self.command, timeout, self.output(), self.errors())
        return subprocess.CompletedProcess(self.command, self.process.returncode,
                                           self.output(), self.errors())

    def lines(self, poll=0.02):
        """The output's lines (bytes with their line ends) as the program writes
        them, up to its end; what `output` returns later follows the last."""
        while True:
            ended = not self.running()
            chunk = self._out.read()
            if chunk:
                self._pending += chunk
                *whole, self._pending = self._pending.split(b"\n")
                for line in whole:
                    yield line + b"\n"
            elif ended:
                return
            else:
                time.sleep(poll)

    def output(self):
        """Standard output not yet returned by `lines`."""
        rest, self._pending = self._pending + self._out.read(), b""
        return rest

    def errors(self):
        return self._err.read()


def wine(*args, timeout=COMMAND_SECONDS):
    """Runs `wine ARGS`; returns the CompletedProcess with the output as bytes.
    A command still running after `timeout` seconds is killed and fails the
    test with what it printed."""
    started = program(["wine", *args])
    try:
        return started.finish(timeout)
    except subprocess.TimeoutExpired as late:
        sys.exit("wine %s still ran after %d s; it printed %r" %
                 (" ".join(args), timeout, (late.output + late.stderr)[-2000:]))


def start(*args, cwd=None, env=None):
    """Starts `wine ARGS` in the background with its output discarded."""
    return subprocess.Popen(["wine", *args], cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def prefix():
    return pathlib.Path(os.environ["WINEPREFIX"])


def drive_c():
    return prefix() / "drive_c"


def is_64_bit():
    return (drive_c() / "windows/syswow64").is_dir()


def unix(windows_path):
    """The Unix path of a Windows path (drive C maps into the prefix)."""
    text = str(windows_path)
    if len(text) >= 2 and text[1] == ":" and text[0].upper() == "C":
        return drive_c() / text[3:].replace("\\", "/")
    out = wine("winepath.exe", "-u", text)
    if out.returncode != 0:
        sys.exit("winepath -u %s failed: %s" % (text, out.stderr.decode(errors="replace")))
    return pathlib.Path(out.stdout.decode(errors="replace").strip())


def windows_path(path):
    """The Windows path of a Unix path: inside drive C as C:, elsewhere as Z:."""
    path = pathlib.Path(path).resolve()
    try:
        return "C:\\" + str(path.relative_to(drive_c().resolve())).replace("/", "\\")
    except ValueError:
        return "Z:" + str(path).replace("/", "\\")


def echo(variable):
    """The value of an environment variable as a Windows program sees it."""
    out = wine("cmd", "/c", "echo", "%" + variable + "%")
    text = out.stdout.decode(errors="replace").strip()
    return "" if "%" in text else text


def views():
    """The registry views to look at: ("64", "32") in a 64-bit prefix, ("",) in a 32-bit one."""
    return ("64", "32") if is_64_bit() else ("",)


def view_flags(view):
    return ["/reg:" + view] if view else []


def tool_view():
    """The view a 32-bit program sees: the 32-bit one under WOW64."""
    return "32" if is_64_bit() else ""


def native_view():
    return "64" if is_64_bit() else ""


def quoted(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


class raw(str):
    """A value given as its .reg data text ("dword:00000001", "hex(7):..."), so
    that a value of any type and size can be written."""


def reg_file(keys):
    """A .reg text for [(key path, {name: value})]: str is REG_SZ, int REG_DWORD,
    bytes REG_BINARY, raw as written; a value of None deletes the value, a path
    starting with '-' deletes the key."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for path, values in keys:
        lines.append("[" + path + "]")
        for name, value in values.items():
            label = "@" if name == "" else quoted(name)
            if value is None:
                data = "-"
            elif isinstance(value, raw):
                data = value
            elif isinstance(value, str):
                data = quoted(value)
            elif isinstance(value, bytes):
                data = "hex:" + ",".join("%02x" % b for b in value)
            else:
                data = "dword:%08x" % value
            lines.append(label + "=" + data)
        lines.append("")
    return "\r\n".join(lines) + "\r\n"


def import_keys(keys, view, required=True):
    """`reg import` of keys into one registry view ("64", "32" or ""). A failed
    import ends the script, or when not `required` answers False (some keys may
    then be missing)."""
    if not keys:
        return True
    with tempfile.TemporaryDirectory(prefix="seed-") as folder:
        path = pathlib.Path(folder) / "seed.reg"
        path.write_bytes(b"\xff\xfe" + reg_file(keys).encode("utf-16-le"))
        result = wine("reg", "import", windows_path(path), *view_flags(view))
    if result.returncode != 0 and required:
        sys.exit("seeding the registry failed: " + result.stderr.decode(errors="replace"))
    return result.returncode == 0


def query_value(key, name, view):
    """The data text of a value as `reg query` prints it, or None when missing."""
    result = wine("reg", "query", key, "/v", name, *view_flags(view))
    if result.returncode != 0:
        return None
    for line in result.stdout.decode(errors="replace").splitlines():
        text = line.strip()
        if text.lower().startswith(name.lower() + "    "):
            parts = text[len(name):].split(None, 1)
            return parts[1].strip() if len(parts) > 1 else ""
    return None


def key_exists(key, view):
    return wine("reg", "query", key, *view_flags(view)).returncode == 0


def service_exists(name):
    result = wine("sc", "query", name)
    return result.returncode == 0 and b"1060" not in result.stdout


def restart_server():
    subprocess.run(["wineserver", "-k"], stdin=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], stdin=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-p"], stdin=subprocess.DEVNULL)
    subprocess.run(["wine", "cmd", "/c", "exit"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def restart_without_display():
    """Message boxes then fail at once instead of waiting for an answer that
    nobody gives; call it before seeding (it ends every Wine process). A prefix
    made by `with-prefix.sh --no-display` started that way: nothing to do."""
    if os.environ.get("TVR_NO_DISPLAY") == "1":
        return
    wine("reg", "delete", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/f")
    restart_server()


def set_version(version):
    """Makes Wine report another Windows version to programs started from now on
    (already so when `with-prefix.sh --version` set that one)."""
    if os.environ.get("TVR_WINE_VERSION") == version:
        return
    wine("reg", "add", r"HKCU\Software\Wine", "/v", "Version", "/d", version, "/f")
    os.environ["TVR_WINE_VERSION"] = version
