"""Seeds the Wine prefix with an installation of Tarvello and the Pellane suite.

`installation(programs, ...)` describes one machine state; `seed()` writes it.
The switches give the states the removal has to cope with:

  version            "1.4.22", "1.4.15", or None for a machine where the product
                     itself is gone (its records and files); the suite stays
                     unless suite=False
  other_products     another product registered with the 3.1.x suite, the tray
                     and the tools: these stay, their counters drop to 1
  product_files      False: the product's files are gone, its registry stays
  product_registry   False: the product's registry is gone, its files stay
  install_location   False: the Uninstall entry has no InstallLocation value
  damaged_config     True: the 3.1.x "product.cfg" holds bytes no one can unseal
  suite              False: no suite pieces at all (no tray, no tools, no 3.1.x)
  tools              the newer suite tools ("Pellane 2" service, dependent-products
                     list); by default only with a product of that generation
                     (1.4.16 or later, or none), older ones carry their tools inside
  second_profile     True: a second user profile with its own copies

Names of everything seeded are class constants, so a footprint (footprint.py)
can be computed without seeding, for example by a summary of a kept machine.
"""
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

from . import wine as w

UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
SHARED_DLLS = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
RUN = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
CURRENT_VERSION = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion"
CLASSES_INSTALLER = r"HKEY_LOCAL_MACHINE\SOFTWARE\Classes\Installer"
USER_DATA = CURRENT_VERSION + r"\Installer\UserData\S-1-5-18"
TESTS_KEY = r"HKEY_LOCAL_MACHINE\Software\TVR Tests"
TESTS_FOLDER = r"C:\TVR Tests"

PRODUCT_KEY = "{5A5A5A5A-1111-4000-8000-00000000AAAA}"
UPGRADE_CODE = "{5E0A91C4-7B2D-4F83-9C16-2D8B4E7A03F5}"
PRODUCT_CODE = "{7C3B1D2E-4A5F-4E6B-8C7D-9E0F1A2B3C4D}"
OTHER_PRODUCT_CODE = "{0D0D0D0D-2222-4333-8444-555555555555}"
SUITE_PRODUCT_CODE = "{1E1E1E1E-3333-4444-8555-666666666666}"
COMPONENTS = {"{2B2B2B2B-0001-4000-8000-000000000001}": "Tarvello.dll",
              "{2B2B2B2B-0002-4000-8000-000000000002}": "Compactor.dll"}
LAUNCHER_COMPONENT = "{2B2B2B2B-0003-4000-8000-000000000003}"
GUID_FOLDER = "{5E0A91C4-0000-4000-8000-00000000CAFE}"
SECOND_USER = "tvr-second"
USER_ADDRESS = ("jane", "example.org")

PRODUCT_FILES = ["Emblem.exe", "Tarvello.dll", "Compactor.dll", "ovhtml.dll", "Unsetup.exe",
                 "CfgStore.dll", "Pellane Tools.exe", "Pellane ToolsPS.dll", "CompactorDll.dll",
                 r"Documents\Guide\readme.txt", r"Languages\en.lng", r"HTML\index.html",
                 r"HTML\gfx\logo.png", r"plugins\scan.dll", r"x64\Pellane ToolsPS.dll"]
PROGRAMS = ("CorvaneSuiteService.exe", "CorvaneTray.exe", "Pellane2.exe",
            "suite_config_writer.exe")


# The 3.1.x suite's configuration documents, typed out as the suite writes them
# (sealed and unsealed by suite_config_writer.exe, which knows nothing of them),
# so the tool's own store is checked against the suite's files.
DOCUMENT_HEADER = ('<?xml version="1.0" encoding="UTF-8" standalone="yes" ?>\n'
                   '<!DOCTYPE boost_serialization>\n'
                   '<boost_serialization signature="serialization::archive" version="8">\n')
DOCUMENT_END = "</boost_serialization>\n"


def products_document(products):
    """The products list of (code, name) pairs; each product lives in C:\\name."""
    text = (DOCUMENT_HEADER +
            '<products class_id="0" tracking_level="0" version="0">\n'
            '\t<m_products class_id="1" tracking_level="0" version="0">\n'
            '\t\t<count>%d</count>\n'
            '\t\t<item_version>0</item_version>\n' % len(products))
    for number, (code, name) in enumerate(products):
        text += ('\t\t<item class_id="2" tracking_level="0" version="0">\n' if number == 0
                 else '\t\t<item>\n')
        text += ('\t\t\t<m_product_id>%s</m_product_id>\n'
                 '\t\t\t<m_product_name>%s</m_product_name>\n'
                 '\t\t\t<m_product_path>C:\\%s</m_product_path>\n'
                 '\t\t</item>\n' % (code, name, name))
    return (text + '\t</m_products>\n</products>\n' + DOCUMENT_END).encode("latin-1")


def settings_document(user, site):
    """A product's suite settings (class version 4) holding the user's address."""
    return (DOCUMENT_HEADER +
            '<suite class_id="0" tracking_level="0" version="4">\n'
            '\t<m_user_name>%s</m_user_name>\n'
            '\t<m_user_site>%s</m_user_site>\n'
            '\t<m_login_urls class_id="1" tracking_level="0" version="0">\n'
            '\t\t<count>1</count>\n'
            '\t\t<item_version>0</item_version>\n'
            '\t\t<item>https://login.example/?a=1&amp;b=2</item>\n'
            '\t</m_login_urls>\n'
            '\t<m_use_key_urls>\n'
            '\t\t<count>0</count>\n'
            '\t\t<item_version>0</item_version>\n'
            '\t</m_use_key_urls>\n'
            '\t<m_login_success>1</m_login_success>\n'
            '\t<m_machine_id>M-1</m_machine_id>\n'
            '\t<m_user_id>U-1</m_user_id>\n'
            '\t<m_valid_to>2030-01-01</m_valid_to>\n'
            '\t<m_user_pro>1</m_user_pro>\n'
            '\t<m_user_downgrade>0</m_user_downgrade>\n'
            '\t<m_user_disabled>0</m_user_disabled>\n'
            '\t<m_user_trial>0</m_user_trial>\n'
            '\t<m_last_synchronize_time>1700000000</m_last_synchronize_time>\n'
            '\t<m_product_key>KEY</m_product_key>\n'
            '\t<m_msg_system_data></m_msg_system_data>\n'
            '\t<m_last_used_language>en</m_last_used_language>\n'
            '\t<m_product_id>TVPRO</m_product_id>\n'
            '\t<m_partner_id></m_partner_id>\n'
            '\t<m_version>3.1.7</m_version>\n'
            '\t<m_suite_name>Suite</m_suite_name>\n'
            '\t<m_suite_launcher_path>C:\\Corvane\\CorvaneLauncher.exe</m_suite_launcher_path>\n'
            '\t<m_suite_notifier_path></m_suite_notifier_path>\n'
            '\t<m_community_url></m_community_url>\n'
            '\t<m_service_name>Suite Service</m_service_name>\n'
            '\t<m_service_end_point></m_service_end_point>\n'
            '\t<m_update_end_point></m_update_end_point>\n'
            '\t<m_update_url></m_update_url>\n'
            '\t<m_update_paths class_id="2" tracking_level="0" version="0">\n'
            '\t\t<count>1</count>\n'
            '\t\t<item_version>0</item_version>\n'
            '\t\t<item class_id="3" tracking_level="0" version="0">\n'
            '\t\t\t<m_name>Tray</m_name>\n'
            '\t\t\t<m_code>tray</m_code>\n'
            '\t\t\t<m_local>C:\\Tray\\</m_local>\n'
            '\t\t\t<m_update_mode>1</m_update_mode>\n'
            '\t\t\t<m_update_type>2</m_update_type>\n'
            '\t\t</item>\n'
            '\t</m_update_paths>\n'
            '\t<m_proxy class_id="4" tracking_level="0" version="0">\n'
            '\t\t<m_proxy_enabled>0</m_proxy_enabled>\n'
            '\t\t<m_proxy_server></m_proxy_server>\n'
            '\t\t<m_proxy_port>0</m_proxy_port>\n'
            '\t</m_proxy>\n'
            '\t<m_parameters></m_parameters>\n'
            '\t<m_login_parameters></m_login_parameters>\n'
            '\t<m_used_flag>1</m_used_flag>\n'
            '</suite>\n' % (user, site) + DOCUMENT_END).encode("latin-1")


def pack_guid(guid):
    """The Installer's packed form of a GUID text."""
    digits = [c for c in guid.upper() if c in "0123456789ABCDEF"]
    out = digits[7::-1] + digits[11:7:-1] + digits[15:11:-1]
    for i in range(16, 32, 2):
        out += [digits[i + 1], digits[i]]
    return "".join(out)


class places:
    """Where things go on this prefix (Windows paths, no trailing backslash)."""

    def __init__(self):
        self.wow64 = w.is_64_bit()
        self.program_files = r"C:\Program Files (x86)" if self.wow64 else r"C:\Program Files"
        self.common_files = self.program_files + r"\Common Files"
        self.program_data = r"C:\ProgramData"
        users = w.drive_c() / "users"
        self.user = next(p.name for p in sorted(users.iterdir())
                         if p.is_dir() and p.name not in ("Public", SECOND_USER))
        self.profile = "C:\\users\\" + self.user
        self.app_data = self.profile + r"\AppData\Roaming"
        self.brand = self.program_files + r"\Corvane"
        self.install = self.brand + r"\Tarvello"
        self.tray = self.brand + r"\Tray"
        self.tools = self.common_files + r"\Pellane Suite\Tools" + ("\\x64" if self.wow64 else "")
        self.common_programs = self.program_data + r"\Microsoft\Windows\Start Menu\Programs"
        self.user_programs = self.app_data + r"\Microsoft\Windows\Start Menu\Programs"
        self.product_cfg = self.program_data + r"\Corvane\Suite\product.cfg"
        self.suite_cfg = self.program_data + r"\Corvane\Tarvello\suite.cfg"
        self.counters = {"launcher": self.brand + r"\CorvaneLauncher.exe",
                         "tray": self.tray + r"\ovhtml.dll",
                         "tools": self.common_files + r"\Pellane Suite\Tools\Pellane ToolsPS.dll"}

    def virtual_store(self, user):
        return "C:\\users\\" + user + r"\AppData\Local\VirtualStore\ProgramData\Corvane"


class installation:
    damaged_bytes = b"\x01\x00\x00\x00 not a sealed list \xd0\x8c"

    def __init__(self, programs, version="1.4.22", other_products=False, product_files=True,
                 product_registry=True, install_location=True, damaged_config=False, suite=True,
                 second_profile=True, tools=None):
        self.programs = {pathlib.Path(p).name: pathlib.Path(p) for p in programs}
        missing = [name for name in PROGRAMS if suite and name not in self.programs]
        if missing:
            sys.exit("installation needs the programs " + ", ".join(missing))
        self.version = version
        self.other_products = other_products
        self.product_files = product_files and version is not None
        self.product_registry = product_registry and version is not None
        self.install_location = install_location
        self.damaged_config = damaged_config
        self.suite = suite
        self.second_profile = second_profile
        newer = version is None or tuple(map(int, version.split("."))) >= (1, 4, 16)
        self.tools = suite and (newer if tools is None else tools)
        self.places = places()
        self.tray_process = None

    # --- seeding -----------------------------------------------------------

    def seed(self, start=True):
        """Writes the whole state; with start, the tray and the tools service are
        then left running (else call start() after taking a snapshot)."""
        w.unix(TESTS_FOLDER).mkdir(parents=True, exist_ok=True)
        self._detach_desktop()
        # Keys are gathered and imported once per view: every `reg import` is a
        # Wine start, which costs seconds under emulation.
        self._keys = {}
        if self.product_registry:
            self._seed_product_registry()
        if self.product_files:
            self._seed_product_files()
        if self.suite:
            self._seed_suite()
        for view, keys in self._keys.items():
            w.import_keys(keys, view)
        self._keys = None
        if start:
            self.start()
        return self

    def start(self):
        """Starts the tray and the "Pellane 2" service, each only while it is
        still installed; waits until both had time to settle."""
        p = self.places
        tray = w.unix(p.tray + r"\CorvaneTray.exe")
        if tray.is_file() and not self.tray_running():
            self.tray_process = w.start(w.windows_path(tray))
        started = False
        if w.service_exists("Pellane 2"):
            result = w.wine("sc", "start", "Pellane 2")
            if result.returncode != 0 and b"1056" not in result.stdout:
                sys.exit("the tools service did not start: %r" % result.stdout)
            started = True
        if started or self.tray_process is not None:
            time.sleep(2)

    def _detach_desktop(self):
        # Wine links the user's desktop to the Unix home folder; a folder of its
        # own keeps the seeded shortcut (and what the run does to it) inside the prefix.
        desktop = w.unix(self.places.profile + r"\Desktop")
        if desktop.is_symlink():
            desktop.unlink()
        desktop.mkdir(parents=True, exist_ok=True)

    def touch(self, windows_file, content=None):
        path = w.unix(windows_file)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content if content is not None else
                         b"seeded " + windows_file.encode() + b"\r\n")

    def _import(self, keys, view):
        self._keys.setdefault(view, []).extend(keys)

    def place(self, program, windows_folder):
        target = w.unix(windows_folder)
        target.mkdir(parents=True, exist_ok=True)
        shutil.copy(self.programs[program], target / program)

    def _seed_product_registry(self):
        p = self.places
        entry = {"DisplayName": "Tarvello", "DisplayVersion": self.version, "Publisher": "Corvane",
                 "UninstallString": "MsiExec.exe /X" + PRODUCT_CODE}
        if self.install_location:
            entry["InstallLocation"] = p.brand
        product = pack_guid(PRODUCT_CODE)
        self._import([
            (UNINSTALL + "\\" + PRODUCT_KEY, entry),
            (r"HKEY_LOCAL_MACHINE\Software\tarvello\Settings", {"Language": "en"}),
            (r"HKEY_LOCAL_MACHINE\Software\Corvane\TVPRO\Settings", {"Scans": 3}),
            (r"HKEY_CURRENT_USER\Software\Corvane\TVPRO\Window", {"Left": 10}),
            (r"HKEY_CURRENT_USER\Software\Pellane Suite\TVPRO", {"Mail": "jane@example.org"}),
            (SHARED_DLLS, {p.install + "\\" + name: 1 for name in COMPONENTS.values()}),
        ], w.tool_view())
        installer = [
            (CLASSES_INSTALLER + r"\UpgradeCodes" + "\\" + pack_guid(UPGRADE_CODE), {product: ""}),
            (CLASSES_INSTALLER + r"\Products" + "\\" + product, {"ProductName": "Tarvello"}),
            (CURRENT_VERSION + r"\Installer\UpgradeCodes" + "\\" + pack_guid(UPGRADE_CODE),
             {product: ""}),
            (USER_DATA + r"\Products" + "\\" + product + r"\InstallProperties",
             {"DisplayName": "Tarvello", "DisplayVersion": self.version}),
        ]
        installer += [(USER_DATA + r"\Components" + "\\" + pack_guid(code),
                       {product: p.install + "\\" + name}) for code, name in COMPONENTS.items()]
        self._import(installer, w.native_view())

    def _seed_product_files(self):
        p = self.places
        for name in PRODUCT_FILES:
            self.touch(p.install + "\\" + name)
        self.touch(p.brand + r"\Melkora\Tarvello\tools.dat")
        self.touch(p.app_data + r"\Corvane\Tarvello\user.cfg")
        self.touch(p.app_data + r"\Corvane\TVPRO\history.dat")
        self.touch(p.program_data + r"\Corvane\Tarvello\settings.xml")
        self.touch(p.program_data + "\\" + GUID_FOLDER + r"\Tarvello.msi")
        self.touch(p.virtual_store(p.user) + r"\Tarvello\cache.dat")
        for link in (p.common_programs + r"\Corvane\Tarvello.lnk",
                     p.common_programs + r"\Corvane\Melkora.lnk",
                     p.common_programs + r"\Corvane\Tarvello\Uninstall.lnk",
                     p.user_programs + r"\Corvane\Tarvello.lnk",
                     r"C:\users\Public\Desktop\Tarvello.lnk",
                     p.profile + r"\Desktop\Tarvello.lnk"):
            self.touch(link)
        if self.second_profile:
            self.touch(p.virtual_store(SECOND_USER) + r"\cache.dat")

    def _seed_suite(self):
        p = self.places
        others = self.other_products
        counters = dict(p.counters)
        if not self.tools:
            del counters["tools"]
        self._import([
            (r"HKEY_LOCAL_MACHINE\Software\Corvane\HostTag", {"Tag": "1"}),
            (r"HKEY_LOCAL_MACHINE\Software\Corvane\Tray", {"Skin": "blue"}),
            (RUN, {"PellaneTray": p.tray + r"\CorvaneTray.exe"}),
            (SHARED_DLLS, {path: 3 for path in counters.values()}),
        ], w.tool_view())
        self._import([(USER_DATA + r"\Components" + "\\" + pack_guid(LAUNCHER_COMPONENT),
                       {pack_guid(SUITE_PRODUCT_CODE): p.counters["launcher"]}),
                      (USER_DATA + r"\Components" + "\\" + pack_guid(LAUNCHER_COMPONENT)
                       + r"\Features", {"Main": ""})], w.native_view())
        # The 3.1.x suite: its service program, languages and sealed lists.
        self.place("CorvaneSuiteService.exe", p.brand)
        self.touch(p.brand + r"\CorvaneLauncher.exe")
        self.touch(p.brand + r"\Languages\en.xml")
        self.touch(p.program_data + r"\Corvane\Launch Bar\bar.xml")
        self.seal(p.product_cfg, products_document(self.products()))
        self.seal(p.suite_cfg, settings_document(*USER_ADDRESS))
        if self.damaged_config:
            w.unix(p.product_cfg).write_bytes(self.damaged_bytes)
        # The tray with its configurations.
        self.place("CorvaneTray.exe", p.tray)
        self.touch(p.tray + r"\ovhtml.dll")
        self.touch(p.tray + r"\HTML\gfx\Icon_PLTRAY-UPD-TVPRO.png")
        for name in ["pltray.xml", "TVPRO.xml"] + (["nbpro.xml"] if others else []):
            self.touch(p.program_data + r"\Corvane\Tray\Configurations" + "\\" + name)
        if self.tools:
            self._seed_tools()

    def _seed_tools(self):
        """The newer tools, installed as the "Pellane 2" service."""
        p = self.places
        self._import([(r"HKEY_LOCAL_MACHINE\Software\Pellane Suite\Tools\Dependent Products",
                       dict({"Tarvello": "1"}, **({"Other": "1"} if self.other_products else {})))],
                     w.tool_view())
        self.place("Pellane2.exe", p.tools)
        self.touch(p.tools + r"\Pellane ToolsPS.dll")
        created = w.wine("sc", "create", "Pellane 2", "binPath=", p.tools + r"\Pellane2.exe")
        if created.returncode != 0:
            sys.exit("the tools service was not created: %r" % created.stdout)

    def products(self, without=None):
        """The 3.1.x products list as seeded, as (code, name) pairs."""
        listed = [("PELLANE", "Pellane"), ("TVPRO", "Tarvello")]
        listed += [("NBPRO", "Other")] if self.other_products else []
        return [product for product in listed if product[0] != without]

    def write_config(self, args):
        result = w.wine(str(self.programs["suite_config_writer.exe"]), *args)
        if result.returncode != 0:
            sys.exit("suite_config_writer %s failed: %s" %
                     (" ".join(args), result.stderr.decode(errors="replace")))

    def seal(self, windows_file, document):
        """Seals the bytes of `document` into a file as the suite does."""
        with tempfile.TemporaryDirectory() as folder:
            plain = pathlib.Path(folder) / "plain.xml"
            plain.write_bytes(document)
            w.unix(windows_file).parent.mkdir(parents=True, exist_ok=True)
            self.write_config(["seal", w.windows_path(plain), windows_file])

    def unsealed(self, windows_file):
        """The bytes sealed in a file, unparsed."""
        with tempfile.TemporaryDirectory() as folder:
            plain = pathlib.Path(folder) / "plain.xml"
            self.write_config(["unseal", windows_file, w.windows_path(plain)])
            return plain.read_bytes()

    # --- questions after a run ---------------------------------------------

    def tray_running(self):
        return self.tray_process is not None and self.tray_process.poll() is None

    def stop_tray(self):
        if self.tray_running():
            self.tray_process.kill()
            self.tray_process.wait()

    def counter(self, which):
        return w.query_value(SHARED_DLLS, self.places.counters[which], w.tool_view())

    def address(self):
        return "@".join(USER_ADDRESS)
