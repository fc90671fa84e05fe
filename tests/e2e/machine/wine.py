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


def wine(*args, **kwargs):
    """Runs `wine ARGS`, output captured; returns the CompletedProcess."""
    return subprocess.run(["wine", *args], stdin=subprocess.DEVNULL, capture_output=True,
                          **kwargs)


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
    out = subprocess.run(["winepath", "-u", text], stdin=subprocess.DEVNULL,
                         capture_output=True, text=True, check=True)
    return pathlib.Path(out.stdout.strip())


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


def reg_file(keys):
    """A .reg text for [(key path, {name: value})]: str is REG_SZ, int REG_DWORD,
    bytes REG_BINARY; a value of None deletes the value, a path starting with '-'
    deletes the key."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for path, values in keys:
        lines.append("[" + path + "]")
        for name, value in values.items():
            label = "@" if name == "" else quoted(name)
            if value is None:
                data = "-"
            elif isinstance(value, str):
                data = quoted(value)
            elif isinstance(value, bytes):
                data = "hex:" + ",".join("%02x" % b for b in value)
            else:
                data = "dword:%08x" % value
            lines.append(label + "=" + data)
        lines.append("")
    return "\r\n".join(lines) + "\r\n"


def import_keys(keys, view):
    """`reg import` of keys into one registry view ("64", "32" or "")."""
    if not keys:
        return
    with tempfile.TemporaryDirectory(prefix="seed-") as folder:
        path = pathlib.Path(folder) / "seed.reg"
        path.write_bytes(b"\xff\xfe" + reg_file(keys).encode("utf-16-le"))
        result = wine("reg", "import", windows_path(path), *view_flags(view))
    if result.returncode != 0:
        sys.exit("seeding the registry failed: " + result.stderr.decode(errors="replace"))


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
    nobody gives; call it before seeding (it ends every Wine process)."""
    wine("reg", "delete", r"HKCU\Software\Wine\Drivers", "/v", "Graphics", "/f")
    restart_server()


def set_version(version):
    """Makes Wine report another Windows version to programs started from now on."""
    wine("reg", "add", r"HKCU\Software\Wine", "/v", "Version", "/d", version, "/f")
