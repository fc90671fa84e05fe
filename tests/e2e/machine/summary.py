"""A short account of a removal for people: what went, what stayed and why,
and whether anything outside the product's and the suite's footprint changed."""
import re

from . import footprint

_REASONS = [
    (r"currentversion.installer",
     "Installer records in the 64-bit view: cleaned there on 64-bit XP and Server 2003 only"),
    (r"corvane.tarvello.(tarvello|compactor)\.dll",
     "counter of a file whose Installer component stayed"),
    (r"pellane suite.tools|services.pellane 2|dependent products", 
     "the suite tools: kept while another product depends on them"),
    (r"corvane.tray|pellanetray|configurations",
     "the suite tray: kept while another product uses it"),
    (r"corvane.suite|hosttag|corvanesuiteservice|corvanelauncher|corvane.languages|launch bar",
     "the 3.1.x suite: kept while another product is registered in it"),
    (r"^(c:.program files( \(x86\))?.corvane|c:.programdata.corvane|hklm.software.corvane"
     r"|hklm.software.pellane suite)$", "holds suite pieces that stay"),
    (r"users.(?!root)[^\\]+.appdata.roaming",
     "another user's application data: only the running user's is removed"),
]


def short_key(path):
    for long, short in (("HKEY_LOCAL_MACHINE", "HKLM"), ("HKEY_CURRENT_USER", "HKCU"),
                        ("HKEY_USERS", "HKU")):
        if path.startswith(long):
            path = short + path[len(long):]
    return path.replace("\\Wow6432Node", "")


def windows_file(path):
    return "C:\\" + path.replace("/", "\\")


def reason(text):
    low = text.lower()
    for pattern, why in _REASONS:
        if re.search(pattern, low):
            return why
    return "not among the places the tool removes"


def _tops(paths, separator):
    """The paths whose parent is not in the set, each with the number of entries below it."""
    lowered = {p.lower() for p in paths}
    tops = []
    for path in sorted(paths, key=str.lower):
        parent = path.rsplit(separator, 1)[0] if separator in path else ""
        if parent.lower() not in lowered:
            tops.append([path, 0])
        elif tops:
            tops[-1][1] += 1
    return tops


def _grouped(paths, separator, display):
    """The paths worth a line of their own: a path whose parent is in the set and
    stays for the same reason is folded into that parent's line."""
    lowered = {p.lower(): p for p in paths}
    shown = []
    for path in sorted(paths, key=str.lower):
        parent = path.rsplit(separator, 1)[0] if separator in path else ""
        if parent.lower() in lowered and reason(display(lowered[parent.lower()])) == reason(display(path)):
            continue
        shown.append(path)
    return shown


def _footprint_entries(state):
    """Keys and files of a snapshot that belong to the footprint."""
    from .snapshot import change
    keys = [k for k in state["registry"] if footprint.classify(change("key", "added", k)) == "footprint"]
    files = [f for f in state["files"] if footprint.classify(change("file", "added", f)) == "footprint"]
    values = []
    for key, names in state["registry"].items():
        for name, data in names.items():
            c = change("value", "added", key, name)
            if footprint.classify(c) == "footprint" and footprint.classify(change("key", "added", key)) != "footprint":
                values.append((key, name, data))
    return keys, files, values


def _count(number, one, many):
    return "%d %s" % (number, one if number == 1 else many)


def _dword(data):
    if data and data.startswith("dword:"):
        return str(int(data[6:], 16))
    return data


def lines(before, after, changes):
    out = []
    gone_keys = [c.where for c in changes if c.kind == "key" and c.what == "removed"
                 and footprint.classify(c) == "footprint"]
    gone_files = [c.where for c in changes if c.kind == "file" and c.what == "removed"
                  and footprint.classify(c) == "footprint"]
    values = [c for c in changes if c.kind == "value" and footprint.classify(c) == "footprint"]
    out.append("REMOVED")
    for path, count in _tops([short_key(k) for k in gone_keys], "\\"):
        out.append("  key    %s%s" % (path, " (and %s)" % _count(count, "subkey", "subkeys")
                                          if count else ""))
    for c in values:
        if c.what == "removed":
            out.append("  value  %s  \"%s\" (was %s)" % (short_key(c.where), c.name, _dword(c.before)))
    for path, count in _tops(gone_files, "/"):
        out.append("  files  %s%s" % (windows_file(path), " (and %s inside)"
                                      % _count(count, "entry", "entries") if count else ""))
    if len(out) == 1:
        out.append("  nothing")
    changed = [c for c in values if c.what != "removed"]
    if changed:
        out.append("CHANGED")
        for c in changed:
            out.append("  value  %s  \"%s\": %s -> %s  (%s)" % (
                short_key(c.where), c.name, _dword(c.before), _dword(c.after),
                reason(c.name) if c.what == "changed" else "added"))
    keys, files, kept_values = _footprint_entries(after)
    stayed = []
    for path in _grouped([short_key(k) for k in keys], "\\", str):
        stayed.append("  key    %s  <- %s" % (path, reason(path)))
    for key, name, data in kept_values:
        stayed.append("  value  %s  \"%s\" = %s  <- %s" % (short_key(key), name, _dword(data),
                                                         reason(name)))
    for path in _grouped(files, "/", windows_file):
        stayed.append("  files  %s  <- %s" % (windows_file(path), reason(windows_file(path))))
    out.append("STAYED")
    out.extend(stayed or ["  nothing of the product or the suite"])
    strange = footprint.outside(changes)
    out.append("OUTSIDE THE PRODUCT AND THE SUITE")
    if strange:
        out.extend("  " + repr(c) for c in strange)
    else:
        out.append("  nothing changed")
    return out
