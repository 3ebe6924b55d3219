"""The user guide's two packages and two languages: each package's guide describes only what that package holds,
and the Chinese and English guides have the same sections and troubleshooting rows."""
import importlib.machinery
import importlib.util
import re
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
LANGUAGES = ("en", "zh")


def release_guide():
    loader = importlib.machinery.SourceFileLoader("release_guide", str(ROOT / "scripts" / "release-guide"))
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    loader.exec_module(module)
    return module


def markdown_of(language):
    return (ROOT / "docs" / "user-guide" / f"guide.{language}.md").read_text(encoding="utf-8")


def troubleshooting_rows(text):
    section = re.split(r"^## ", text, flags=re.M)
    rows = [s for s in section if s.startswith(("Troubleshooting", "常见问题"))][0]
    return [line for line in rows.splitlines() if line.startswith("| ") and not line.startswith("|---")]


class PackageGuides(unittest.TestCase):
    guide = release_guide()

    def test_each_package_describes_only_itself(self):
        # What only the other package has: the zip's folders and unpacking, the Installer packages.
        others = {"zip": (".msi", "Windows Installer"), "msi": ("x64\\", "x86\\", "解压", "Unpack the zip")}
        for language in LANGUAGES:
            for package, foreign in others.items():
                with self.subTest(language=language, package=package):
                    text = self.guide.for_package(markdown_of(language), package)
                    self.assertNotIn("<!--", text)
                    for word in foreign:
                        self.assertNotIn(word, text)

    def test_no_guide_points_to_a_file_that_no_package_holds(self):
        for language in LANGUAGES:
            self.assertNotIn("README", markdown_of(language))

    def test_both_languages_have_the_same_sections_and_troubleshooting_rows(self):
        texts = {language: markdown_of(language) for language in LANGUAGES}
        sections = {language: len(re.findall(r"^## ", text, re.M)) for language, text in texts.items()}
        self.assertEqual(sections["en"], sections["zh"])
        rows = {language: len(troubleshooting_rows(text)) for language, text in texts.items()}
        self.assertEqual(rows["en"], rows["zh"])

    def test_the_unsigned_release_is_told_before_the_first_install_step(self):
        for language, (warning, install) in {"en": ("refuses to install an unsigned driver", "## Installing"),
                                             "zh": ("拒绝安装未签名的驱动", "## 批量安装")}.items():
            text = markdown_of(language)
            self.assertLess(text.index(warning), text.index(install), language)


if __name__ == "__main__":
    unittest.main()
