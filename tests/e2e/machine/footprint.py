"""Which changes of a machine belong to the product's and the suite's footprint.

`classify(change)` answers one of:
  "footprint"  the product's or the suite's records and files (installation.py)
  "log"        the tool's own log files and its report file
  "test"       records the test programs keep for the tests
  "wine"       Wine's own bookkeeping that any program run changes
  "outside"    anything else: the removal must never cause one of these
"""
import re

from . import installation as inst

_CODES = [inst.pack_guid(code).lower() for code in
          [inst.UPGRADE_CODE, inst.PRODUCT_CODE, inst.SUITE_PRODUCT_CODE, inst.LAUNCHER_COMPONENT]
          + list(inst.COMPONENTS)]

_KEYS = [re.compile(p) for p in (
    r"^hkey_local_machine\\software\\(classes\\)?(corvane|tarvello|pellane suite)(\\|$)",
    r"^hkey_(current_user|users\\[^\\]+)\\software\\(classes\\)?(corvane|tarvello|pellane suite)(\\|$)",
    r"^hkey_local_machine\\software\\microsoft\\windows\\currentversion\\uninstall\\"
    + re.escape(inst.PRODUCT_KEY.lower()) + r"(\\|$)",
    r"\\installer\\.*(" + "|".join(_CODES) + r")(\\|$)",
    r"^hkey_local_machine\\system\\(currentcontrolset|controlset\d+)\\services\\pellane 2(\\|$)",
)]
_TEST_KEYS = re.compile(r"^hkey_local_machine\\software\\tvr tests(\\|$)")
_SHARED_DLLS = re.compile(r"^hkey_local_machine\\software\\microsoft\\windows\\currentversion\\shareddlls$")
_RUN = re.compile(r"^hkey_local_machine\\software\\microsoft\\windows\\currentversion\\run$")
_SUITE_PATH = re.compile(r"\\(corvane|pellane suite)\\")

# Wine's own: the session and hardware records it rewrites, performance and
# time-zone data, the service manager's bookkeeping of any service that runs.
_WINE_KEYS = [re.compile(p) for p in (
    r"^hkey_current_user\\software\\wine(\\|$)",
    r"^hkey_current_user\\volatile environment(\\|$)",
    r"^hkey_current_user\\console(\\|$)",
    r"^hkey_local_machine\\hardware(\\|$)",
    r"^hkey_local_machine\\system\\(currentcontrolset|controlset\d+)\\control\\(session manager|timezoneinformation|windows|computername|class)(\\|$)",
    r"^hkey_local_machine\\software\\microsoft\\windows nt\\currentversion\\(perflib|time zones|fonts)(\\|$)",
    r"^hkey_local_machine\\software\\microsoft\\(rpc|cryptography)(\\|$)",
    r"^hkey_local_machine\\system\\(currentcontrolset|controlset\d+)\\services\\(eventlog|tcpip|winebus|wineusb|plugplay|rpcss)(\\|$)",
    r"^hkey_local_machine\\system\\(currentcontrolset|controlset\d+)\\enum(\\|$)",
    r"^hkey_local_machine\\system\\mounteddevices(\\|$)",
)]

_FILES = [re.compile(p) for p in (
    r"^program files( \(x86\))?/corvane(/|$)",
    r"^program files( \(x86\))?/common files/pellane suite(/|$)",
    r"^programdata/corvane(/|$)",
    r"^programdata/" + re.escape(inst.GUID_FOLDER.lower()) + r"(/|$)",
    r"^users/[^/]+/appdata/roaming/corvane(/|$)",
    r"^users/[^/]+/appdata/local/virtualstore/programdata/corvane(/|$)",
    r"/start menu/programs/corvane(/|$)",
    r"^users/[^/]+/desktop/tarvello\.lnk$",
)]
_LOG = re.compile(r"(^|/)tvremover\.(log|report)\.txt$")
# The seeded desktop folder replaces Wine's link to the Unix home folder.
_TEST_FILES = re.compile(r"^(tvr tests(/|$)|users/[^/]+/desktop$)")
_WINE_FILES = [re.compile(p) for p in (
    r"^windows/temp(/|$)",
    r"^users/[^/]+/temp(/|$)",
    r"^users/[^/]+/appdata/local/temp(/|$)",
    r"^windows/(system32|syswow64)/(config|logfiles|spool)(/|$)",
    r"^windows/(logs|inf)(/|$)",
    r"^users/[^/]+/appdata/local/microsoft/windows/(caches|inetcache|history|inetcookies)(/|$)",
)]


def _key_class(path):
    low = path.lower().replace("\\wow6432node", "")
    if any(p.search(low) for p in _KEYS):
        return "footprint"
    if _TEST_KEYS.search(low):
        return "test"
    if any(p.search(low) for p in _WINE_KEYS):
        return "wine"
    return None


def _value_class(key, name):
    low = key.lower().replace("\\wow6432node", "")
    if _SHARED_DLLS.search(low) and _SUITE_PATH.search(name.lower()):
        return "footprint"
    if _RUN.search(low) and name.lower() == "pellanetray":
        return "footprint"
    return None


def _file_class(path):
    low = path.lower()
    if _LOG.search(low):
        return "log"
    if any(p.search(low) for p in _FILES):
        return "footprint"
    if _TEST_FILES.search(low):
        return "test"
    if any(p.search(low) for p in _WINE_FILES):
        return "wine"
    return None


def classify(change):
    if change.kind == "file":
        return _file_class(change.where) or "outside"
    if change.kind == "value":
        return _value_class(change.where, change.name) or _key_class(change.where) or "outside"
    return _key_class(change.where) or "outside"


def in_footprint(change):
    return classify(change) == "footprint"


def outside(changes):
    """The changes no removal may cause."""
    return [c for c in changes if classify(c) == "outside"]
