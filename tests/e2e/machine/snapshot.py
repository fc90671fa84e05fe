"""A snapshot of a Wine machine, and the difference between two of them.

A snapshot holds the whole registry (both views: the 32-bit view of a 64-bit
prefix is the Wow6432Node part of the same hives) and a listing of drive C,
profiles included, with the size of every file. The registry is read from the
prefix's hive files, which the wine server writes when it ends: `take()` ends
every Wine process of the prefix (a running tray or service included), then
starts a fresh server. That takes seconds, where `reg export` of the whole
registry takes minutes here.

    before = snapshot.take()
    ...
    changes = snapshot.diff(before, snapshot.take())
    for c in changes: print(c.where, c.what, footprint.classify(c))
"""
import json
import os
import pathlib
import subprocess

from . import wine as w

HIVES = (("system.reg", "HKEY_LOCAL_MACHINE"), ("user.reg", "HKEY_CURRENT_USER"),
         ("userdef.reg", r"HKEY_USERS\.Default"))


def _unescape(text):
    return text.replace("\\\\", "\\").replace('\\"', '"')


def _name_and_data(line):
    """('name', 'data text') of a value line; '' names the default value."""
    if line.startswith("@="):
        return "", line[2:]
    end, i = None, 1
    while i < len(line):
        if line[i] == "\\":
            i += 2
            continue
        if line[i] == '"':
            end = i
            break
        i += 1
    if end is None or line[end + 1:end + 2] != "=":
        return None, None
    return _unescape(line[1:end]), line[end + 2:]


def read_hive(path, root):
    """{key path: {value name: data text}} of one Wine hive file."""
    keys, current, pending = {}, None, None
    with open(path, encoding="utf-8", errors="replace") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if pending is not None:
                pending += line.strip()
                if pending.endswith("\\"):
                    pending = pending[:-1]
                    continue
                line, pending = pending, None
            elif line.endswith("\\") and current is not None and not line.startswith("["):
                pending = line[:-1]
                continue
            if line.startswith("["):
                end = line.rfind("]")
                current = root + "\\" + _unescape(line[1:end])
                keys[current] = {}
            elif current is not None and (line.startswith('"') or line.startswith("@=")):
                name, data = _name_and_data(line)
                if name is not None:
                    keys[current][name] = data
    # The server writes a key without values only when it has no subkeys: the
    # others are implied by their subkeys' paths, and become keys of their own here.
    for path in list(keys):
        parent = path.rsplit("\\", 1)[0]
        while len(parent) > len(root) and parent not in keys:
            keys[parent] = {}
            parent = parent.rsplit("\\", 1)[0]
    return keys


def registry():
    out = {}
    for name, root in HIVES:
        path = w.prefix() / name
        if path.is_file():
            out.update(read_hive(path, root))
    return out


def files():
    """{path relative to drive C with '/': [kind, size]}; links are not followed."""
    drive_c = w.drive_c()
    entries = {}
    for folder, folders, names in os.walk(drive_c):
        for name in folders + names:
            path = pathlib.Path(folder) / name
            relative = str(path.relative_to(drive_c))
            if path.is_symlink():
                entries[relative] = ["link", os.readlink(path)]
            elif path.is_dir():
                entries[relative] = ["folder", 0]
            else:
                entries[relative] = ["file", path.stat().st_size]
    return entries


def take(restart=True):
    """Ends the prefix's Wine processes, reads hives and drive C, and (unless
    restart is False) starts a fresh server with Wine's services."""
    subprocess.run(["wineserver", "-k"], stdin=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], stdin=subprocess.DEVNULL)
    state = {"registry": registry(), "files": files(), "wow64": w.is_64_bit()}
    if restart:
        w.restart_server()
    return state


def save(state, path):
    pathlib.Path(path).write_text(json.dumps(state, sort_keys=True))


def load(path):
    return json.loads(pathlib.Path(path).read_text())


class change:
    """One difference: a registry key, a registry value, or a drive C entry.

    kind:  "key", "value" or "file"
    what:  "removed", "added" or "changed"
    where: the key path, the key path and value name, or the path below drive C
    """

    def __init__(self, kind, what, where, name=None, before=None, after=None):
        self.kind, self.what, self.where, self.name = kind, what, where, name
        self.before, self.after = before, after

    def __repr__(self):
        label = self.where + ("  [" + self.name + "]" if self.name is not None else "")
        detail = ""
        if self.what == "changed":
            detail = ": %s -> %s" % (self.before, self.after)
        return "%s %s %s%s" % (self.what, self.kind, label, detail)


def _lowered(mapping):
    return {key.lower(): key for key in mapping}


def diff(before, after):
    """Every change from `before` to `after`, keys and paths compared without case;
    values of added or removed keys are not listed one by one."""
    changes = []
    old_keys, new_keys = before["registry"], after["registry"]
    old_names, new_names = _lowered(old_keys), _lowered(new_keys)
    for low in sorted(set(old_names) | set(new_names)):
        if low not in new_names:
            changes.append(change("key", "removed", old_names[low]))
            continue
        if low not in old_names:
            changes.append(change("key", "added", new_names[low]))
            continue
        key = old_names[low]
        old_values = {n.lower(): (n, d) for n, d in old_keys[key].items()}
        new_values = {n.lower(): (n, d) for n, d in new_keys[new_names[low]].items()}
        for name in sorted(set(old_values) | set(new_values)):
            if name not in new_values:
                changes.append(change("value", "removed", key, old_values[name][0],
                                      before=old_values[name][1]))
            elif name not in old_values:
                changes.append(change("value", "added", key, new_values[name][0],
                                      after=new_values[name][1]))
            elif old_values[name][1] != new_values[name][1]:
                changes.append(change("value", "changed", key, old_values[name][0],
                                      old_values[name][1], new_values[name][1]))
    old_files, new_files = before["files"], after["files"]
    old_paths, new_paths = _lowered(old_files), _lowered(new_files)
    for low in sorted(set(old_paths) | set(new_paths)):
        if low not in new_paths:
            changes.append(change("file", "removed", old_paths[low], before=old_files[old_paths[low]]))
        elif low not in old_paths:
            changes.append(change("file", "added", new_paths[low], after=new_files[new_paths[low]]))
        else:
            old, new = old_files[old_paths[low]], new_files[new_paths[low]]
            if old != new and not (old[0] == new[0] == "folder"):
                changes.append(change("file", "changed", old_paths[low], before=old, after=new))
    return changes
