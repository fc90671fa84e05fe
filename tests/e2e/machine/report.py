"""The report of `TVRemover.exe /report` and the leftover listing of a quiet
removal, read as a fleet tool reads them, and matched against snapshot changes.

Both hold one item a line, WHAT<TAB>WHERE<TAB>ACTION: WHERE is a full Windows
path, or a registry path from the root's full name (a value: the key's path,
a backslash and the value name), or a service's name; WHAT ends with
"(64-bit view)" for the registry's 64-bit view.

    items = report.parse(result.report)          # the file's bytes; ValueError if malformed
    missing = report.unnamed(removed_changes, report.acting(items), wow64)
"""
import collections
import re

FILE_NAME = "TVRemover.report.txt"

# Exit codes of /report and of a quiet removal.
CLEAN = NOTHING_FOUND = 0
REFUSED = 1
FOUND = STILL_PRESENT = 2
FAILED = 3
USAGE = 87
RESTART_NEEDED = 3010

# The ACTION of a quiet run's leftover: still there, or gone at the restart.
STILL_THERE = "still present"
AT_RESTART = "scheduled for removal at the next restart"
# The heading of a quiet run's leftover listing when nothing counts.
NOTHING_LEFT = "What is left of the product: nothing."

_INFORMATION = ("version", "install folder")
_NOT_ACTED_ON = ("keep", "leave", "found by")
_VIEW_64 = "(64-bit view)"
_SERVICES = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\"


class item(collections.namedtuple("item", "what where action")):
    def acts(self):
        """Whether a removal acts on it: not the detected version or install
        folder, nor what it keeps or leaves."""
        return (self.what not in _INFORMATION and
                not self.action.lower().startswith(_NOT_ACTED_ON))

    def left_by_design(self):
        return self.action.lower().startswith("leave")

    def view(self):
        return "64" if self.what.endswith(_VIEW_64) else "32"


def _fields(line, number):
    fields = line.split("\t")
    if len(fields) != 3 or not all(f and f == f.strip() for f in fields):
        raise ValueError("line %d is not WHAT<TAB>WHERE<TAB>ACTION: %r" % (number, line))
    return item(*fields)


def parse(data):
    """The items of a report file's bytes: UTF-8 without a byte-order mark, every
    line ended by CRLF. Anything else raises ValueError naming the line."""
    if data.startswith(b"\xef\xbb\xbf"):
        raise ValueError("the report starts with a byte-order mark")
    text = data.decode("utf-8")
    if text and not text.endswith("\r\n"):
        raise ValueError("the last line has no CRLF")
    lines = text[:-2].split("\r\n") if text else []
    for number, line in enumerate(lines, 1):
        if "\r" in line or "\n" in line:
            raise ValueError("line %d has a line end other than CRLF" % number)
    return [_fields(line, number) for number, line in enumerate(lines, 1)]


def listed(entries):
    """The items among a log's entries (run.entries): those of three fields,
    indented in the log."""
    return [item(*e.strip().split("\t")) for e in entries if e.count("\t") == 2]


def found(items):
    """What the /report exit code says: whether a removal would act on anything."""
    return any(i.acts() for i in items)


def acting(items):
    return [i for i in items if i.acts()]


def _registry_where(path, wow64):
    """(view, path) of a snapshot's key path as the tool names it: the 32-bit
    view's keys lose their Wow6432Node, the control set is the current one.
    The Installer's records below Software\\Classes are one key for both views."""
    path = re.sub(r"(?i)^(HKEY_LOCAL_MACHINE\\System\\)ControlSet\d+\\", r"\1CurrentControlSet\\",
                  path)
    if not wow64 or not re.match(r"(?i)HKEY_LOCAL_MACHINE\\Software(\\|$)", path):
        return None, path
    stripped = re.sub(r"(?i)\\Wow6432Node(?=\\|$)", "", path)
    if re.match(r"(?i)HKEY_LOCAL_MACHINE\\Software\\Classes(\\|$)", stripped):
        return None, stripped
    return ("32" if stripped != path else "64"), stripped


def where(change, wow64):
    """(view, WHERE) of a snapshot change: view "32" or "64" where the registry
    has two views, else None (either view names it)."""
    if change.kind == "file":
        return None, "C:\\" + change.where.replace("/", "\\")
    view, path = _registry_where(change.where, wow64)
    return view, path + ("\\" + change.name if change.kind == "value" else "")


def _item_where(i):
    if i.what == "service":
        return _SERVICES + i.where
    return i.where.rstrip("\\")


def naming(items, path, view=None):
    """The items that name `path` (in WHERE form) or one of its ancestors; with
    a view, only those of that registry view."""
    low = path.lower()
    out = []
    for i in items:
        name = _item_where(i).lower()
        if (view is None or i.view() == view) and (low == name or low.startswith(name + "\\")):
            out.append(i)
    return out


def named(change, items, wow64):
    """Whether one of `items` names the change's path or one of its ancestors,
    in the change's registry view."""
    view, path = where(change, wow64)
    return bool(naming(items, path, view))


def unnamed(changes, items, wow64):
    return [c for c in changes if not named(c, items, wow64)]
