#!/usr/bin/python3
"""Builds a Windows Installer package of one architecture with wixl from setup/Quorvel.wxs.

    build_msi.py --arch x64|x86 --stage DIR --helper QRXStore.exe --action QRXStoreAction.dll --version X.Y.Z
                 [--guide DIR] --out FILE.msi
    build_msi.py --inputs FILE.json [--guide DIR] [--version X.Y.Z] [--out FILE.msi]

--stage is the architecture's staged release folder (Quorvel.exe, Omblet.exe, quorvelctl.exe, QRX\\, skin\\).
--guide adds the guide (guide.zh.html, guide.en.html and what they show), its shortcuts and the help link.
--inputs reads the other options from the JSON file a build writes, so that a package can be made again later
with the guide or another version. The package appears at --out only when wixl has written it whole.
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path
from xml.sax.saxutils import quoteattr

from pe_version import file_version

SOURCE = Path(__file__).resolve().parent / "Quorvel.wxs"
STAGED = ("Quorvel.exe", "Omblet.exe", "quorvelctl.exe", "QRX/QRX.inf", "QRX/QRX203.GPD", "QRX/QRX.cat")
# The programs' rows of the File table, whose Version column wixl leaves empty: Windows Installer would treat them as
# unversioned files and decide a repair or an upgrade by dates and hashes. Their versions come from their version
# resources. (File key: staged name; the helper comes from --helper.)
PROGRAMS = {"QuorvelExe": "Quorvel.exe", "OmbletExe": "Omblet.exe", "QuorvelctlExe": "quorvelctl.exe",
            "QRXStoreExe": None}
GUIDE_PAGES = {"guide.zh.html": "GuideZhHtml", "guide.en.html": "GuideEnHtml"}
WIXL_ARCH = {"x64": "x64", "x86": "x86"}

# wixl 0.101 writes every non-ASCII text of a table as an empty string (and crashes on some), so the package is
# built with English texts and these are written afterwards, into a database whose code page is then 936:
# (table, column, key column, key, text).
CODEPAGE = 936
CHINESE_TEXTS = [
    ("Shortcut", "Name", "Shortcut", "QuorvelZh", "Quorvel 打印机设置"),
    ("Shortcut", "Name", "Shortcut", "GuideZh", "Quorvel 与 Omblet 使用说明"),
    ("LaunchCondition", "Description", "Condition", "NOT WIX_DOWNGRADE_DETECTED",
     "已安装更新版本的 Quorvel。A newer version of Quorvel is already installed."),
    ("LaunchCondition", "Description", "Condition", 'Installed OR ADDDRIVER = "0" OR ADDDRIVER = "1"',
     "安装参数 ADDDRIVER 只能是 0 或 1。ADDDRIVER takes 0 (no driver in the driver store) or 1 (the default)."),
    ("LaunchCondition", "Description", "Condition", "Installed OR NOT VersionNT64",
     "此安装包用于 32 位 Windows，64 位 Windows 请安装 x64 安装包。"
     "This package is for 32-bit Windows: on 64-bit Windows install the x64 package."),
]
# wixl makes an immediate action of Execute="rollback": the rollback entries get their type here. A DLL from the
# Binary table (1), its result ignored (0x40), rollback (0x100) in the script (0x400), with the installer's rights
# (0x800).
ROLLBACK_ACTIONS = {"AddDriverRollback": 1 | 0x40 | 0x100 | 0x400 | 0x800,
                    "RemoveDriverRollback": 1 | 0x40 | 0x100 | 0x400 | 0x800}
# wixl has no Environment element: the install folder joins the machine's PATH through this table, last ([~];),
# and leaves it at removal (-), in the system environment (*), with quorvelctl.exe's component. Windows Installer
# adds it only when it is not there yet.
ENVIRONMENT = "Environment\tName\tValue\tComponent_\r\ns72\tl255\tL255\ts72\r\nEnvironment\tEnvironment\r\n" \
              "QuorvelctlPath\t=-*PATH\t[~];[INSTALLDIR]\tQuorvelctlExe\r\n"
ENVIRONMENT_ACTIONS = {"RemoveEnvironmentStrings": 3300, "WriteEnvironmentStrings": 5200}
# wixl has no RemoveFile element: the helper's record of its copies in the driver store (QRXStore.txt, written by
# QRXStore.exe, so no component's file) goes with the helper's component on removal (InstallMode 2), after the
# helper's removal step has read it. Windows Installer restores it on rollback, for the removal's rollback entry.
REMOVE_FILES = {"RemoveStoredCopies": ("QRXStoreExe", "QRXStore.txt", "INSTALLDIR", 2)}
# Public properties that reach the installing service from the command line, a transform or the saved choice;
# wixl ignores Secure="yes", so they join SecureCustomProperties here.
SECURE_PROPERTIES = ("ADDDRIVER", "SAVEDADDDRIVER")
# wixl's upgrade row replaces only versions below this one, so a rebuild of the same version (another product code)
# would install beside it: the row includes its maximum (MigrateFeatures 1 | VersionMaxInclusive 512). The
# downgrade row's minimum stays exclusive, so only a later version refuses the install.
UPGRADE_ATTRIBUTES = {"WIX_UPGRADE_DETECTED": 1 | 512}
# wixl places the removal of an older version after InstallFinalize, where that version's removal would take the
# driver package out of the store after this version put it in, and where a failure of this install could no longer
# bring the older version back. It goes right after InstallInitialize instead: the older version is removed first,
# inside this install's transaction, so every file of this one is installed afresh and a failure rolls both back.
REMOVE_EXISTING_PRODUCTS = 1501


def fail(message):
    print(f"build_msi: {message}", file=sys.stderr)
    sys.exit(1)


def check_version(version):
    """Windows Installer compares major.minor.build, at most 255.255.65535."""
    match = re.fullmatch(r"(\d+)\.(\d+)\.(\d+)", version or "")
    if not match or int(match[1]) > 255 or int(match[2]) > 255 or int(match[3]) > 65535:
        fail(f"version {version!r} is not major.minor.build with at most 255.255.65535")


def relative(path, base):
    """wixl finds some sources (the icon among them) only by a path relative to the folder it runs in."""
    return os.path.relpath(Path(path).resolve(), base)


def guide_fragment(guide, win64, base):
    """Components of every file under the guide folder, in the folder GUIDEDIR that Quorvel.wxs declares."""
    for page in GUIDE_PAGES:
        if not (guide / page).is_file():
            fail(f"the guide folder {guide} lacks {page}")
    lines = ['<?xml version="1.0" encoding="utf-8"?>',
             '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi"><Fragment>']
    components = []
    count = 0

    def folder(path, directory_id):
        nonlocal count
        if directory_id == "GUIDEDIR":
            lines.append(f'<DirectoryRef Id="{directory_id}">')
        entries = sorted(path.iterdir())
        for entry in entries:
            if not entry.name.isascii():
                fail(f"{entry} has a non-ASCII name, which wixl cannot write: rename it")
        files = [entry for entry in entries if entry.is_file()]
        # The folder goes on removal once empty, through a component in it: its first file's, or one of its own.
        count += 1
        remove = f'<RemoveFolder Id="GuideRemove{count}" On="uninstall"/>'
        if not files:
            components.append(f"GuideComponent{count}")
            lines.append(f'<Component Id="GuideComponent{count}" Guid="*" Win64="{win64}">{remove}'
                         f'<RegistryValue Root="HKLM" Key="Software\\Quorvel" Name="GuideFolder{count}" '
                         f'Type="integer" Value="1" KeyPath="yes"/></Component>')
            remove = ""
        for entry in files:
            count += 1
            file_id = (GUIDE_PAGES.get(entry.name) if path == guide else None) or f"GuideFile{count}"
            component = f"GuideComponent{count}"
            components.append(component)
            lines.append(f'<Component Id="{component}" Guid="*" Win64="{win64}">'
                         f'<File Id="{file_id}" Name={quoteattr(entry.name)} '
                         f'Source={quoteattr(relative(entry, base))} KeyPath="yes"/>{remove}</Component>')
            remove = ""
        for entry in entries:
            if entry.is_dir():
                count += 1
                sub_id = f"GuideDir{count}"
                lines.append(f'<Directory Id="{sub_id}" Name={quoteattr(entry.name)}>')
                folder(entry, sub_id)
                lines.append("</Directory>")
        if directory_id == "GUIDEDIR":
            lines.append("</DirectoryRef>")

    folder(guide, "GUIDEDIR")
    lines.append('<ComponentGroup Id="Guide">')
    lines += [f'<ComponentRef Id="{component}"/>' for component in components]
    lines.append("</ComponentGroup></Fragment></Wix>")
    return "\n".join(line for line in lines if line) + "\n"


def property_value(msi, msiinfo, name):
    exported = subprocess.run([msiinfo, "export", str(msi), "Property"], capture_output=True, text=True).stdout
    values = dict(line.split("\t", 1) for line in exported.splitlines()[3:] if "\t" in line)
    if name not in values:
        fail(f"wixl wrote no property {name}: has Quorvel.wxs changed?")
    return values[name]


def upgrade_queries(msi, msiinfo):
    """Attributes belong to the Upgrade table's key, which a query cannot change: the row goes and comes back."""
    exported = subprocess.run([msiinfo, "export", str(msi), "Upgrade"], capture_output=True, text=True).stdout
    rows = {row[6]: row for row in (line.split("\t") for line in exported.splitlines()[3:]) if len(row) == 7}
    queries = []
    for name, attributes in UPGRADE_ATTRIBUTES.items():
        if name not in rows:
            fail(f"wixl wrote no upgrade row {name}: has Quorvel.wxs changed?")
        code, low, high, language, _, remove, _ = rows[name]
        columns = {"UpgradeCode": code, "VersionMin": low, "VersionMax": high, "Language": language, "Remove": remove,
                   "ActionProperty": name}
        columns = {column: f"'{value}'" for column, value in columns.items() if value}
        columns["Attributes"] = str(attributes)
        queries.append(f"DELETE FROM `Upgrade` WHERE `ActionProperty` = '{name}'")
        queries.append(f"INSERT INTO `Upgrade` ({', '.join(f'`{c}`' for c in columns)}) "
                       f"VALUES ({', '.join(columns.values())})")
    return queries


def version_queries(stage, helper):
    queries, wanted = [], []
    for key, name in PROGRAMS.items():
        path = stage / name if name else helper
        version = file_version(path.read_bytes())
        if not version:
            fail(f"{path} has no version resource, which the package's File table needs")
        queries.append(f"UPDATE `File` SET `Version` = '{version}' WHERE `File` = '{key}'")
        wanted.append(("File", f"\t{version}\t"))
    return queries, wanted


def summary_language(msi, msiinfo, msibuild):
    """wixl writes 1033 into the summary's template whatever the product's language: it gets ProductLanguage."""
    summary = subprocess.run([msiinfo, "suminfo", str(msi)], capture_output=True, text=True).stdout
    fields = dict(re.findall(r"(?m)^(Subject|Author|Template): (.*)$", summary))
    if len(fields) != 3:
        fail(f"the summary of {msi.name} lacks its subject, author or template")
    template = fields["Template"].split(";")[0] + ";" + property_value(msi, msiinfo, "ProductLanguage")
    step = [msibuild, str(msi), "-s", fields["Subject"], fields["Author"], template]
    result = subprocess.run(step, capture_output=True, text=True)
    summary = subprocess.run([msiinfo, "suminfo", str(msi)], capture_output=True, text=True).stdout
    if result.returncode != 0 or f"Template: {template}\n" not in summary:
        fail(f"msibuild did not set the summary's template {template}:\n{result.stdout}{result.stderr}")


def finish(msi, arch, stage, helper, with_guide, work):
    """Sets the code page, the Chinese texts and the rollback types that wixl cannot write, and checks them."""
    msibuild, msiinfo = shutil.which("msibuild"), shutil.which("msiinfo")
    if not msibuild or not msiinfo:
        fail("msibuild and msiinfo are not installed (Debian package msitools; scripts/install-deps installs it)")
    codepage = work / "_ForceCodepage.idt"
    codepage.write_bytes(f"\r\n\r\n{CODEPAGE}\t_ForceCodepage\r\n".encode("ascii"))
    queries = []
    wanted = []
    for table, column, key_column, key, text in CHINESE_TEXTS:
        if table == "Shortcut" and key.startswith("Guide") and not with_guide:
            continue
        if key == "Installed OR NOT VersionNT64" and arch != "x86":
            continue
        if "'" in key + text:
            fail(f"a text for {table} holds a single quote, which the query cannot carry: {text}")
        queries.append(f"UPDATE `{table}` SET `{column}` = '{text}' WHERE `{key_column}` = '{key}'")
        wanted.append((table, text))
    for action, kind in ROLLBACK_ACTIONS.items():
        queries.append(f"UPDATE `CustomAction` SET `Type` = {kind} WHERE `Action` = '{action}'")
        wanted.append(("CustomAction", f"{action}\t{kind}\t"))
    queries += upgrade_queries(msi, msiinfo)
    more_queries, more_wanted = version_queries(stage, helper)
    queries += more_queries
    wanted += more_wanted
    secure = ";".join(property_value(msi, msiinfo, "SecureCustomProperties").split(";") + list(SECURE_PROPERTIES))
    queries.append(f"UPDATE `Property` SET `Value` = '{secure}' WHERE `Property` = 'SecureCustomProperties'")
    wanted.append(("Property", f"SecureCustomProperties\t{secure}"))
    wanted += [("Upgrade", f"\t{attributes}\t\t{name}") for name, attributes in UPGRADE_ATTRIBUTES.items()]
    queries.append(f"UPDATE `InstallExecuteSequence` SET `Sequence` = {REMOVE_EXISTING_PRODUCTS} "
                   "WHERE `Action` = 'RemoveExistingProducts'")
    wanted.append(("InstallExecuteSequence", f"RemoveExistingProducts\t\t{REMOVE_EXISTING_PRODUCTS}"))
    environment = work / "Environment.idt"
    environment.write_bytes(ENVIRONMENT.encode("ascii"))
    for action, sequence in ENVIRONMENT_ACTIONS.items():
        queries.append(f"INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('{action}', {sequence})")
        wanted.append(("InstallExecuteSequence", f"{action}\t\t{sequence}"))
    wanted.append(("Environment", "QuorvelctlPath\t=-*PATH\t[~];[INSTALLDIR]\tQuorvelctlExe"))
    for key, (component, name, folder, mode) in REMOVE_FILES.items():
        queries.append("INSERT INTO `RemoveFile` (`FileKey`, `Component_`, `FileName`, `DirProperty`, `InstallMode`) "
                       f"VALUES ('{key}', '{component}', '{name}', '{folder}', {mode})")
        wanted.append(("RemoveFile", f"{key}\t{component}\t{name}\t{folder}\t{mode}"))
    steps = [[msibuild, str(msi), "-i", str(codepage)], [msibuild, str(msi), "-i", str(environment)]]
    steps += [[msibuild, str(msi), "-q", query] for query in queries]
    for step in steps:
        result = subprocess.run(step, capture_output=True, text=True)
        if result.returncode != 0:
            fail(f"msibuild failed ({' '.join(step[2:])}):\n{result.stdout}{result.stderr}")
    for table, text in wanted:
        exported = subprocess.run([msiinfo, "export", str(msi), table], capture_output=True).stdout
        if text.encode("utf-8") not in exported:
            fail(f"the {table} table of {msi.name} did not take {text!r}: has Quorvel.wxs changed?")
    summary_language(msi, msiinfo, msibuild)


def build(arch, stage, helper, action, version, guide, out):
    check_version(version)
    if arch not in WIXL_ARCH:
        fail(f"architecture {arch!r} is neither x64 nor x86")
    for name in STAGED:
        if not (stage / name).is_file():
            fail(f"{stage} lacks {name}: stage the {arch} release first")
    if not helper.is_file():
        fail(f"the helper {helper} is not built")
    if not action.is_file():
        fail(f"the custom action DLL {action} is not built")
    wixl = shutil.which("wixl")
    if not wixl:
        fail("wixl is not installed (Debian package wixl; scripts/install-deps installs it)")
    out.parent.mkdir(parents=True, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="build_msi-") as work:
        sources = [str(SOURCE)]
        defines = {"Version": version, "Arch": arch, "StageDir": relative(stage, work),
                   "HelperExe": relative(helper, work), "ActionDll": relative(action, work),
                   "WithGuide": "yes" if guide else "no"}
        if guide:
            fragment = Path(work) / "guide.wxs"
            fragment.write_text(guide_fragment(guide, "yes" if arch == "x64" else "no", work), encoding="utf-8")
            sources.append(str(fragment))
        # Written beside its place and moved there whole, so that a failed build leaves the old package.
        partial = out.resolve().parent / (out.name + ".partial")
        command = [wixl, "-a", WIXL_ARCH[arch], "-o", str(partial)]
        for name, value in defines.items():
            command += ["-D", f"{name}={value}"]
        try:
            result = subprocess.run(command + sources, capture_output=True, text=True, cwd=work)
            # wixl warns on stderr about attributes it does not know; a failure is its exit code.
            if result.returncode != 0 or not partial.is_file():
                fail(f"wixl failed for {out.name}:\n{result.stdout}{result.stderr}")
            finish(partial, arch, stage, helper, bool(guide), Path(work))
            os.replace(partial, out)
        finally:
            partial.unlink(missing_ok=True)
    print(f"built {out}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--inputs", type=Path)
    parser.add_argument("--arch")
    parser.add_argument("--stage", type=Path)
    parser.add_argument("--helper", type=Path)
    parser.add_argument("--action", type=Path)
    parser.add_argument("--version")
    parser.add_argument("--guide", type=Path)
    parser.add_argument("--out", type=Path)
    args = parser.parse_args()
    settings = {}
    if args.inputs:
        try:
            settings = json.loads(args.inputs.read_text(encoding="utf-8"))
        except (OSError, ValueError) as error:
            fail(f"cannot read the inputs {args.inputs}: {error}")
    for name in ("arch", "stage", "helper", "action", "version", "out"):
        value = getattr(args, name)
        if value is not None:
            settings[name] = str(value)
        if not settings.get(name):
            fail(f"--{name} is missing")
    build(settings["arch"], Path(settings["stage"]), Path(settings["helper"]), Path(settings["action"]),
          settings["version"],
          args.guide, Path(settings["out"]))


if __name__ == "__main__":
    main()
