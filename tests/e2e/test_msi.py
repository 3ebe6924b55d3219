"""The x64 installer package under Wine's msiexec, which is a real Windows Installer: a silent install puts every
file, the shortcuts, the Installed apps entry and the driver package in place; a newer package replaces it and
leaves one entry; ADDDRIVER=0 leaves the driver store alone; removal leaves nothing. And the tables and summary
information of both packages the build made, read with msiinfo (msitools)."""
import re
import shutil
import subprocess
import unittest

from harness import installer, paths
from harness.case import WineTestCase
from harness.session import WineSession

UPGRADE_CODE = "{6A1E0B53-3F0C-4E8B-9C2B-5D7A3E41C0A7}"
# Each package installs only where it is the machine's own: x64 on 64-bit Windows, x86 on 32-bit Windows.
FOLDER = "C:\\Program Files\\Quorvel"
ABOUT = "https://quorvel.example.org/"
CONTACT = "Quorvel developers <quorvel-devel@quorvel.example.org>"
INSTALLED = {"Quorvel.exe", "Omblet.exe", "quorvelctl.exe", "QRXStore.exe", "QRX/", "QRX/QRX.inf",
             "QRX/QRX203.GPD", "QRX/QRX.cat", "skin/", "guide/", "guide/guide.zh.html", "guide/guide.en.html",
             "guide/images/", "guide/images/launcher.png"}
# The helper's record, beside it, of the driver store's copies that this install put there.
STORED_COPIES = "QRXStore.txt"


def msiinfo(*args):
    result = subprocess.run(["msiinfo", *map(str, args)], capture_output=True, timeout=60)
    assert result.returncode == 0, result.stderr
    return result.stdout.decode("utf-8")


def table(package, name):
    """Rows of a table as lists of columns, without the three header lines."""
    return [line.split("\t") for line in msiinfo("export", package, name).splitlines()[3:] if line]


def project_version():
    """The version the project's CMakeLists.txt gives, which every program's version resource carries."""
    text = (paths.REPO_ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    return re.search(r"project\(\w+ VERSION (\d+\.\d+\.\d+)", text).group(1)


def built_package(arch):
    package = paths.windows_build() / f"Quorvel-1.0.0-{arch}.msi"
    if not package.exists():
        raise FileNotFoundError(f"{package} is not built")
    return package


class PackageTables(unittest.TestCase):
    """What Windows Installer reads before it installs anything, in the packages the build made."""

    def architectures(self):
        return ["x64", "x86"] if paths.windows_x86_build().joinpath("stage", "x86").exists() else ["x64"]

    def test_summary_names_the_platform_and_a_compressed_package(self):
        for arch, template in (("x64", "x64;"), ("x86", "Intel;")):
            if arch not in self.architectures():
                continue
            with self.subTest(arch=arch):
                summary = msiinfo("suminfo", built_package(arch))
                # The summary's language is the product's (ProductLanguage 2052).
                self.assertRegex(summary, rf"(?m)^Template: {re.escape(template)}2052$")
                self.assertRegex(summary, rf"(?m)^Subject: Quorvel 1\.0\.0 \({arch}\)$")
                self.assertRegex(summary, r"(?m)^Version: 500 ")       # Windows Installer 5.0, Windows 7 on
                self.assertRegex(summary, r"(?m)^Source: 2 ")          # compressed, long file names

    def test_properties_make_a_per_machine_upgradable_product(self):
        for arch in self.architectures():
            with self.subTest(arch=arch):
                properties = dict(row[:2] for row in table(built_package(arch), "Property"))
                self.assertEqual(properties["ALLUSERS"], "1")
                self.assertEqual(properties["ProductVersion"], "1.0.0")
                self.assertEqual(properties["UpgradeCode"], UPGRADE_CODE)
                self.assertEqual(properties["Manufacturer"], "Quorvel")
                self.assertEqual(properties["ProductName"], "Quorvel")
                # ADDDRIVER has no default in the table: the saved choice comes first, then 1.
                self.assertNotIn("ADDDRIVER", properties)
                self.assertEqual(properties["ARPPRODUCTICON"], "Quorvel.exe")
                # Every package, with or without the guide (whose page is the help link), says where to read and
                # whom to ask; the install folder is set once costing has resolved it.
                self.assertEqual((properties["ARPURLINFOABOUT"], properties["ARPCONTACT"]), (ABOUT, CONTACT))
                actions = {row[0]: row[1:4] for row in table(built_package(arch), "CustomAction")}
                self.assertEqual(actions["SetInstallLocation"], ["2099", "ARPINSTALLLOCATION", "[INSTALLDIR]"])
                sequence = {row[0]: int(row[2]) for row in table(built_package(arch), "InstallExecuteSequence")}
                self.assertLess(sequence["CostFinalize"], sequence["SetInstallLocation"])
                self.assertLess(sequence["SetInstallLocation"], sequence["InstallValidate"])
                upgrades = {row[6]: row[:6] for row in table(built_package(arch), "Upgrade")}
                # Every installed version up to this one, this one included, is replaced (MigrateFeatures 1,
                # VersionMaxInclusive 512); a later one is only detected (OnlyDetect 2, its minimum exclusive),
                # which refuses the install.
                self.assertEqual(upgrades["WIX_UPGRADE_DETECTED"], [UPGRADE_CODE, "", "1.0.0", "", "513", ""])
                self.assertEqual(upgrades["WIX_DOWNGRADE_DETECTED"], [UPGRADE_CODE, "1.0.0", "", "", "2", ""])
                self.assertEqual(set(properties["SecureCustomProperties"].split(";")),
                                 {"WIX_UPGRADE_DETECTED", "WIX_DOWNGRADE_DETECTED", "ADDDRIVER", "SAVEDADDDRIVER"})

    def test_files_go_into_the_architectures_program_files(self):
        for arch, folder, bits in (("x64", "ProgramFiles64Folder", 256), ("x86", "ProgramFilesFolder", 0)):
            if arch not in self.architectures():
                continue
            with self.subTest(arch=arch):
                package = built_package(arch)
                directories = {row[0]: row[1:] for row in table(package, "Directory")}
                self.assertEqual(directories["INSTALLDIR"], [folder, "Quorvel"])
                components = table(package, "Component")
                self.assertTrue(components)
                for component in components:
                    self.assertEqual(int(component[3]) & 256, bits, component)
                files = {row[0]: row[2] for row in table(package, "File")}
                programs = {"QuorvelExe": "Quorvel.exe", "OmbletExe": "Omblet.exe", "QuorvelctlExe": "quorvelctl.exe",
                            "QRXStoreExe": "QRXStore.exe", "QRXInf": "QRX.inf", "QRXGpd": "QRX203.GPD",
                            "QRXCat": "QRX.cat"}
                # The guide goes in once the end-to-end run has taken its screenshots (scripts/release-guide);
                # then both pages are there.
                guide = {key: name for key, name in files.items() if key.startswith("Guide")}
                self.assertEqual({key: name for key, name in files.items() if key not in guide}, programs)
                if guide:
                    self.assertEqual((guide["GuideZhHtml"], guide["GuideEnHtml"]), ("guide.zh.html", "guide.en.html"))
                self.assertEqual([row[0] for row in table(package, "CreateFolder")], ["SKINDIR"])
                # The programs are versioned files, with the project's version, the helper's too.
                versions = {row[0]: row[4] for row in table(package, "File")}
                for program in ("QuorvelExe", "OmbletExe", "QuorvelctlExe", "QRXStoreExe"):
                    self.assertEqual(versions[program], project_version() + ".0", program)

    def test_driver_actions_run_the_installed_helper_in_order(self):
        for arch in self.architectures():
            with self.subTest(arch=arch):
                package = built_package(arch)
                actions = {row[0]: row[1:4] for row in table(package, "CustomAction")}
                # A DLL of the Binary table (1), deferred in the script with the installer's rights (0x400 | 0x800);
                # removal ignores the result (0x40); the rollback entries are rollback actions (0x100). Each runs
                # the installed helper with the command line its CustomActionData gives, set just before.
                entry = ["QRXStoreAction", "RunDriverStoreHelper"]
                self.assertEqual(actions["AddDriver"], ["3073"] + entry)
                self.assertEqual(actions["RemoveDriver"], ["3137"] + entry)
                self.assertEqual(actions["AddDriverRollback"], ["3393"] + entry)
                self.assertEqual(actions["RemoveDriverRollback"], ["3393"] + entry)
                helper = '"[INSTALLDIR]QRXStore.exe"'
                # Each rollback entry undoes only its own step.
                for action, command in (("AddDriver", "add"), ("AddDriverRollback", "undo-add"),
                                        ("RemoveDriver", "remove"), ("RemoveDriverRollback", "undo-remove")):
                    self.assertEqual(actions[f"Set{action}Data"], ["2099", action, f"{helper} {command}"])
                # The helper's record of its copies in the store goes with the helper on removal (2), once the
                # helper's removal step has read it.
                removals = {row[0]: row[1:] for row in table(package, "RemoveFile")}
                self.assertEqual(removals["RemoveStoredCopies"], ["QRXStoreExe", STORED_COPIES, "INSTALLDIR", "2"])
                # The DLL is a stream of the Binary table (an export of that table would write its streams out).
                self.assertIn("Binary.QRXStoreAction", msiinfo("streams", package).split())
                sequence = {row[0]: (int(row[2]), row[1]) for row in table(package, "InstallExecuteSequence")}
                order = lambda name: sequence[name][0]  # noqa: E731
                # The older version goes inside this install's transaction, before anything of this one is done.
                self.assertLess(order("InstallInitialize"), order("RemoveExistingProducts"))
                self.assertLess(order("RemoveExistingProducts"), order("ProcessComponents"))
                self.assertLess(order("RemoveDriverRollback"), order("RemoveDriver"))
                self.assertLess(order("RemoveDriver"), order("RemoveFiles"))
                self.assertLess(order("InstallFiles"), order("AddDriverRollback"))
                self.assertLess(order("AddDriverRollback"), order("AddDriver"))
                for action in ("AddDriver", "AddDriverRollback", "RemoveDriver", "RemoveDriverRollback"):
                    self.assertLess(order(f"Set{action}Data"), order(action))
                self.assertLess(order("AddDriver"), order("InstallFinalize"))
                self.assertEqual(sequence["AddDriver"][1], 'ADDDRIVER = "1" AND NOT REMOVE')
                self.assertEqual(sequence["RemoveDriver"][1], 'ADDDRIVER = "1" AND REMOVE ~= "ALL"')
                self.assertEqual(sequence["RemoveDriverRollback"][1], sequence["RemoveDriver"][1])
                # The saved choice, then the default, before the launch condition checks the value.
                self.assertLess(order("AppSearch"), order("SetAddDriverFromSaved"))
                self.assertLess(order("SetAddDriverFromSaved"), order("SetAddDriverDefault"))
                self.assertLess(order("SetAddDriverDefault"), order("LaunchConditions"))

    def test_chinese_texts_survive(self):
        package = built_package("x64")
        self.assertEqual(msiinfo("export", package, "_ForceCodepage").split()[0], "936")
        shortcuts = {row[0]: row[2] for row in table(package, "Shortcut")}
        expected = {"QuorvelZh": "Quorvel 打印机设置", "QuorvelEn": "Quorvel printer settings"}
        if "GuideZh" in shortcuts:  # built again with the guide
            expected.update({"GuideZh": "Quorvel 与 Omblet 使用说明", "GuideEn": "Quorvel and Omblet user guide"})
        self.assertEqual(shortcuts, expected)
        conditions = dict(row[:2] for row in table(package, "LaunchCondition"))
        self.assertTrue(conditions["NOT WIX_DOWNGRADE_DETECTED"].startswith("已安装更新版本的 Quorvel。"))

    def test_only_the_x86_package_refuses_64_bit_windows(self):
        for arch in self.architectures():
            with self.subTest(arch=arch):
                conditions = dict(row[:2] for row in table(built_package(arch), "LaunchCondition"))
                if arch == "x86":
                    self.assertTrue(conditions["Installed OR NOT VersionNT64"].startswith("此安装包用于 32 位 Windows"))
                else:
                    self.assertNotIn("Installed OR NOT VersionNT64", conditions)

    def test_fixed_component_guids_differ_between_the_architectures(self):
        if self.architectures() != ["x64", "x86"]:
            self.skipTest("needs both packages")
        guids = [{row[0]: row[1] for row in table(built_package(arch), "Component")} for arch in ("x64", "x86")]
        for component in ("SkinFolder", "StartMenu", "SavedChoices"):
            with self.subTest(component=component):
                self.assertNotEqual(guids[0][component], guids[1][component])


class InstallerPackage(WineTestCase):
    """One prefix through the package's life; the tests run in order and each builds on the one before."""
    arch = "x64"
    session_class = WineSession

    @classmethod
    def setUpClass(cls):
        cls.session = cls.session_class(cls.__name__)
        session = cls.session
        # No desktop entries on this machine for the shortcuts the packages create.
        session.env["WINEDLLOVERRIDES"] += ";winemenubuilder.exe=d"
        cls.build = paths.windows_build()
        cls.packages = session.root / "packages"
        guide = installer.make_guide(session.root / "guide")
        cls.first = installer.build_package(cls.build, cls.arch, cls.packages / f"Quorvel-1.0.0-{cls.arch}.msi",
                                            guide=guide)
        # The same version built again (as release-guide and sign-release do) has a product code of its own.
        cls.rebuilt = installer.build_package(cls.build, cls.arch, cls.packages / f"Quorvel-1.0.0-{cls.arch}-again.msi",
                                              guide=guide)
        cls.newer = installer.build_package(cls.build, cls.arch, cls.packages / f"Quorvel-1.0.1-{cls.arch}.msi",
                                            version="1.0.1", guide=guide)
        cls.newer_again = installer.build_package(cls.build, cls.arch,
                                                  cls.packages / f"Quorvel-1.0.1-{cls.arch}-again.msi",
                                                  version="1.0.1", guide=guide)
        # A later version whose driver step fails: the store refuses its driver package.
        refused = installer.stage_with_a_refused_driver(paths.stage(cls.arch), session.root / "refused-stage")
        cls.failing = installer.build_package(cls.build, cls.arch, cls.packages / f"Quorvel-1.0.2-{cls.arch}.msi",
                                              version="1.0.2", guide=guide, stage=refused)
        cls.stage = paths.stage(cls.arch)
        cls.folder = session.drive_c(FOLDER)

    def msiexec(self, *args, log):
        return installer.msiexec(self.session, *args, log=self.session.artifacts / f"{log}.log")

    def package_path(self, package):
        return self.session.windows_path(package)

    def assert_installed(self, version, with_driver=True, package=None, ours=None):
        """`ours`: the store's copy was put there by this install (by default when there is one), rather than
        found there."""
        ours = with_driver if ours is None else ours
        self.assertEqual(installer.files_under(self.folder), INSTALLED | ({STORED_COPIES} if ours else set()))
        for name in ("Quorvel.exe", "Omblet.exe", "quorvelctl.exe", "QRX/QRX.inf", "QRX/QRX203.GPD", "QRX/QRX.cat"):
            self.assertEqual((self.folder / name).read_bytes(), (self.stage / name).read_bytes(), name)
        folders = installer.start_menu_folders(self.session)
        self.assertEqual(len(folders), 1, folders)
        self.assertEqual(sorted(p.name for p in folders[0].iterdir()), sorted(installer.SHORTCUTS))
        for shortcut, target in installer.SHORTCUTS.items():
            data = (folders[0] / shortcut).read_bytes()
            self.assertTrue(target.encode("utf-16-le") in data or target.encode() in data, shortcut)
        entries = installer.uninstall_entries(self.session)
        self.assertEqual(len(entries), 1, entries)
        entry = next(iter(entries.values()))
        self.assertEqual(entry.get("DisplayVersion"), version)
        self.assertEqual(entry.get("Publisher"), "Quorvel")
        self.assertEqual(entry.get("HelpLink"), FOLDER + "\\guide\\guide.zh.html")
        self.assertEqual(entry.get("InstallLocation"), FOLDER + "\\")
        self.assertEqual(entry.get("URLInfoAbout"), ABOUT)
        self.assertEqual(entry.get("Contact"), CONTACT)
        # Installed apps shows the icon the product registered: the program's own, kept by the installer.
        product = re.search(r"\{[0-9A-F-]{36}\}", next(iter(entries))).group(0)
        if package:
            self.assertEqual(product, installer.product_code(package))
        icon = self.session.drive_c(f"C:\\windows\\Installer\\{product}\\Quorvel.exe")
        self.assertEqual(icon.read_bytes(), (self.stage / "Quorvel.exe").read_bytes())
        self.assertEqual(entry.get("NoModify"), "0x1", entry)
        copies = installer.stored_copies(self.session, self.stage / "QRX" / "QRX.inf")
        self.assertEqual(len(copies), 1 if with_driver else 0, copies)
        if ours:
            record = (self.folder / STORED_COPIES).read_text(encoding="ascii").splitlines()
            self.assertRegex("\n".join(line for line in record if not line.startswith("#")),
                             rf"^(added|kept) {re.escape(copies[0])}$")
        self.assertEqual(self.path_entries(), 1, installer.machine_path_entries(self.session))

    def path_entries(self):
        """How often the install folder is on the machine's PATH."""
        entries = installer.machine_path_entries(self.session)
        return sum(entry.rstrip("\\").lower() == FOLDER.lower() for entry in entries)

    def stored_copies(self):
        return installer.stored_copies(self.session, self.stage / "QRX" / "QRX.inf")

    def saved_add_driver(self):
        view = "/reg:64" if self.arch == "x64" else "/reg:32"
        return installer.registry_value(self.session, r"HKLM\Software\Quorvel", "AddDriver", view)

    def store_by_hand(self, command):
        """What an administrator does apart from this product: the driver package in and out of the store, with a
        copy of the helper and the package outside the install folder."""
        folder = self.session.root / "by-hand"
        if not folder.exists():
            shutil.copytree(self.stage / "QRX", folder / "QRX")
            shutil.copy2(self.build / "setup" / "QRXStore.exe" if self.arch == "x64" else
                         paths.windows_x86_build() / "setup" / "QRXStore.exe", folder / "QRXStore.exe")
        code, out, err = self.session.run(folder / "QRXStore.exe", command)
        self.assertEqual(code, 0, out + err)

    def assert_removed(self, copies_by_hand=0):
        self.assertFalse(self.folder.exists(), installer.files_under(self.folder))
        self.assertEqual(installer.start_menu_folders(self.session), [])
        self.assertEqual(installer.uninstall_entries(self.session), {})
        self.assertFalse(installer.registry_key_exists(self.session, r"HKLM\Software\Quorvel"))
        self.assertEqual(len(self.stored_copies()), copies_by_hand)
        self.assertEqual(self.path_entries(), 0, installer.machine_path_entries(self.session))

    def test_0_a_wrong_adddriver_value_installs_nothing(self):
        code = self.msiexec("/i", self.package_path(self.first), "ADDDRIVER=no", "/qn", log="0-bad-adddriver")
        self.assertEqual(code, installer.FATAL_ERROR)
        # Wine's log does not carry the launch condition's text (Windows shows and logs it); its failure it does.
        self.assertIn("LaunchConditions。返回值 0", installer.log_text(self.session.artifacts / "0-bad-adddriver.log"))
        self.assert_removed()

    def test_1_silent_install(self):
        code = self.msiexec("/i", self.package_path(self.first), "/qn", log="1-install")
        self.assertEqual(code, installer.SUCCESS)
        self.assert_installed("1.0.0", package=self.first)
        # The helper's report reaches the installer's log.
        self.assertRegex(installer.log_text(self.session.artifacts / "1-install.log"),
                         r"QRXStore: C:\\Program Files\\Quorvel\\QRX\\QRX\.inf is in the driver store as \S+\.inf")
        code, output = installer.in_a_new_console(self.session, "quorvelctl --version")
        self.assertEqual(code, 0, output)
        self.assertIn("1.0.0", output)

    def test_2_a_rebuild_of_the_same_version_replaces_it(self):
        code = self.msiexec("/i", self.package_path(self.rebuilt), "/qn", log="2-same-version")
        self.assertEqual(code, installer.SUCCESS)
        self.assert_installed("1.0.0", package=self.rebuilt)

    def test_3_a_newer_package_replaces_it(self):
        code = self.msiexec("/i", self.package_path(self.newer), "/qn", log="3-upgrade")
        self.assertEqual(code, installer.SUCCESS)
        self.assert_installed("1.0.1", package=self.newer)

    def test_4_an_older_package_is_refused(self):
        code = self.msiexec("/i", self.package_path(self.first), "/qn", log="4-downgrade")
        self.assertEqual(code, installer.FATAL_ERROR)
        self.assertIn("LaunchConditions。返回值 0", installer.log_text(self.session.artifacts / "4-downgrade.log"))
        self.assert_installed("1.0.1", package=self.newer)

    def test_5_a_failed_upgrade_leaves_nothing_of_itself(self):
        code = self.msiexec("/i", self.package_path(self.failing), "/qn", log="5-failed-upgrade")
        # On Windows the older version's removal runs inside this install's transaction (RemoveExistingProducts
        # after InstallInitialize), so the failure brings it back, files, entry and (through RemoveDriverRollback)
        # its driver package; msiexec ends with 1603. Wine's msiexec differs in two ways this test must allow:
        # it removes the older product in a msiexec process of its own, whose removal is committed at once, and
        # it ends a failed custom action with 1627. What both show: the failed version leaves nothing behind.
        # Wine's rollback also deletes the files before AddDriverRollback runs, so the helper's undo-add cannot
        # start (the log says so); what undo-add and undo-remove do is shown by the unit tests.
        self.assertIn(code, (installer.FATAL_ERROR, installer.WINE_ACTION_FAILED))
        # Why, in the log: the driver store's error code and text, as the helper reports them.
        self.assertRegex(installer.log_text(self.session.artifacts / "5-failed-upgrade.log"),
                         r"QRXStore: the driver store did not take C:\\Program Files\\Quorvel\\QRX\\QRX\.inf: "
                         r".+ \(error \d+\)")
        entries = installer.uninstall_entries(self.session)
        self.assertNotIn("1.0.2", [entry.get("DisplayVersion") for entry in entries.values()], entries)
        self.assertFalse((self.folder / "QRX" / "QRX.inf").exists()
                         and b"NotADriver" in (self.folder / "QRX" / "QRX.inf").read_bytes())
        self.assertEqual(installer.stored_copies(self.session, self.session.root / "refused-stage" / "QRX" / "QRX.inf"),
                         [])

    def test_6_removal_by_product_code_leaves_nothing(self):
        if not installer.uninstall_entries(self.session):  # Wine: see test_5
            code = self.msiexec("/i", self.package_path(self.newer), "/qn", log="6-install")
            self.assertEqual(code, installer.SUCCESS)
        self.assert_installed("1.0.1", package=self.newer)
        code = self.msiexec("/x", installer.product_code(self.newer), "/qn", log="6-remove")
        self.assertEqual(code, installer.SUCCESS)
        self.assert_removed()

    def test_7_without_the_driver_kept_through_upgrade_and_repair(self):
        code = self.msiexec("/i", self.package_path(self.first), "ADDDRIVER=0", "/qn", log="7-install-no-driver")
        self.assertEqual(code, installer.SUCCESS)
        self.assert_installed("1.0.0", with_driver=False)
        self.assertEqual(self.saved_add_driver(), "0")
        code = self.msiexec("/i", self.package_path(self.newer), "/qn", log="7-upgrade")
        self.assertEqual(code, installer.SUCCESS)
        self.assert_installed("1.0.1", with_driver=False, package=self.newer)
        self.assertEqual(self.saved_add_driver(), "0")
        # A repair as deployment tools start it: every feature again, missing or older files replaced.
        code = self.msiexec("/i", self.package_path(self.newer), "REINSTALL=ALL", "REINSTALLMODE=omus", "/qn",
                            log="7-repair")
        self.assertEqual(code, installer.SUCCESS)
        self.assert_installed("1.0.1", with_driver=False, package=self.newer)

    def test_8_upgrade_and_removal_leave_a_driver_package_stored_by_hand(self):
        self.store_by_hand("add")
        self.assertEqual(len(self.stored_copies()), 1)
        # An upgrade of an ADDDRIVER=0 install: neither the older product's removal nor the newer one's install
        # touches the store.
        code = self.msiexec("/i", self.package_path(self.newer_again), "/qn", log="8-upgrade")
        self.assertEqual(code, installer.SUCCESS)
        self.assertEqual(len(self.stored_copies()), 1)
        self.assertEqual(self.saved_add_driver(), "0")
        entries = installer.uninstall_entries(self.session)
        self.assertEqual(len(entries), 1, entries)
        self.assertIn(installer.product_code(self.newer_again), next(iter(entries)))
        code = self.msiexec("/x", installer.product_code(self.newer_again), "/qn", log="8-remove")
        self.assertEqual(code, installer.SUCCESS)
        self.assert_removed(copies_by_hand=1)
        self.store_by_hand("remove")
        self.assertEqual(self.stored_copies(), [])

    def test_8a_removal_leaves_the_copy_stored_by_hand_before_a_driver_install(self):
        self.store_by_hand("add")
        by_hand = self.stored_copies()
        self.assertEqual(len(by_hand), 1)
        code = self.msiexec("/i", self.package_path(self.first), "ADDDRIVER=1", "/qn", log="8a-install")
        self.assertEqual(code, installer.SUCCESS)
        # The store names the copy it already holds: this install put nothing there and records nothing.
        self.assert_installed("1.0.0", package=self.first, ours=False)
        code = self.msiexec("/x", installer.product_code(self.first), "/qn", log="8a-remove")
        self.assertEqual(code, installer.SUCCESS)
        self.assert_removed(copies_by_hand=1)
        self.assertEqual(self.stored_copies(), by_hand)
        self.assertIn(f"{by_hand[0]}, which was there before this install",
                      installer.log_text(self.session.artifacts / "8a-install.log"))
        self.assertIn("this install put no copy of C:\\Program Files\\Quorvel\\QRX\\QRX.inf into the driver store",
                      installer.log_text(self.session.artifacts / "8a-remove.log"))
        # The same package put there by hand after this install's add is, in Wine's store as in Windows', the
        # very copy this install put there: nothing tells the two apart, and removal takes it out.
        self.store_by_hand("remove")
        self.assertEqual(self.stored_copies(), [])

    def test_9_the_x86_package_is_refused_on_64_bit_windows(self):
        if self.arch != "x64" or not paths.windows_x86_build().joinpath("stage", "x86").exists():
            self.skipTest("the x86 package on 64-bit Windows: in the x64 prefix, when the x86 build is there")
        x86 = installer.build_package(self.build, "x86", self.packages / "Quorvel-1.0.1-x86.msi", version="1.0.1")
        code = self.msiexec("/i", self.package_path(self.newer), "/qn", log="9-install")
        self.assertEqual(code, installer.SUCCESS)
        code = self.msiexec("/i", self.package_path(x86), "/qn", log="9-x86")
        self.assertEqual(code, installer.FATAL_ERROR)
        # Wine's log does not carry the launch condition's text (Windows shows and logs it); its failure it does.
        self.assertIn("LaunchConditions。返回值 0", installer.log_text(self.session.artifacts / "9-x86.log"))
        self.assertFalse(self.session.drive_c("C:\\Program Files (x86)\\Quorvel").exists())
        self.assert_installed("1.0.1", package=self.newer)
        code = self.msiexec("/x", installer.product_code(self.newer), "/qn", log="9-remove")
        self.assertEqual(code, installer.SUCCESS)
        self.assert_removed()

if __name__ == "__main__":
    unittest.main()
