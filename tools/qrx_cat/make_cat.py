#!/usr/bin/env python3
"""make_cat: writes the catalog file of a driver package, the list of file hashes that a signature covers.

    make_cat.py OUTPUT.cat FILE...

Windows takes a printer driver into its driver store only with a catalog that holds a hash of every file of the
package. The catalog is a PKCS #7 signed-data message around a certificate trust list (CTL) whose entries are the
files. It leaves here unsigned; scripts/sign-release adds the Authenticode signature.

What each entry holds, chosen for Windows 7 to 11:
- the SHA-1 hash of the whole file (Windows 7 checks SHA-1 member hashes; later versions still accept them), as the
  digest of an indirect-data attribute and, in upper-case hex, as the entry's tag;
- member information naming the flat-file subject type, as for any file that is not a program;
- the name-value pairs "File" (the file's name in lower case) and "OSAttr" (the Windows versions: 6.1 Windows 7,
  6.2 Windows 8, 6.3 Windows 8.1, 10.0 Windows 10 and 11, on every processor).
The catalog itself carries "OSAttr" too. Its time is the date of the INF's DriverVer, so that the same package
always gives the same catalog.
"""
import argparse
import datetime
import hashlib
import pathlib
import re
import sys

from asn1crypto import algos, core

OID_SIGNED_DATA = "1.2.840.113549.1.7.2"
OID_CTL = "1.3.6.1.4.1.311.10.1"
OID_CATALOG_LIST = "1.3.6.1.4.1.311.12.1.1"
OID_CATALOG_LIST_MEMBER = "1.3.6.1.4.1.311.12.1.2"
OID_CAT_NAMEVALUE = "1.3.6.1.4.1.311.12.2.1"
OID_CAT_MEMBERINFO = "1.3.6.1.4.1.311.12.2.2"
OID_SPC_INDIRECT_DATA = "1.3.6.1.4.1.311.2.1.4"
OID_SPC_CAB_DATA = "1.3.6.1.4.1.311.2.1.25"
FLAT_FILE_SUBJECT = "{DE351A42-8E59-11D0-8C47-00C04FC295EE}"
CERT_VERSION = 512
# Authenticated (signed), value in plain text, a name-value pair.
NAMEVALUE_FLAGS = 0x10010001
WINDOWS_VERSIONS = "2:6.1,2:6.2,2:6.3,2:10.0"


class CatNameValue(core.Sequence):
    _fields = [("tag", core.BMPString), ("flags", core.Integer), ("value", core.OctetString)]


class CatMemberInfo(core.Sequence):
    _fields = [("subject_guid", core.BMPString), ("cert_version", core.Integer)]


class SpcString(core.Choice):
    _alternatives = [("unicode", core.BMPString, {"implicit": 0}), ("ascii", core.IA5String, {"implicit": 1})]


class SpcLink(core.Choice):
    _alternatives = [("url", core.IA5String, {"implicit": 0}), ("file", SpcString, {"explicit": 2})]


class SpcAttributeTypeAndOptionalValue(core.Sequence):
    _fields = [("type", core.ObjectIdentifier), ("value", core.Any, {"optional": True})]


class DigestInfo(core.Sequence):
    _fields = [("digest_algorithm", algos.DigestAlgorithm), ("digest", core.OctetString)]


class SpcIndirectDataContent(core.Sequence):
    _fields = [("data", SpcAttributeTypeAndOptionalValue), ("message_digest", DigestInfo)]


class AttributeValues(core.SetOf):
    _child_spec = core.Any


class Attribute(core.Sequence):
    _fields = [("type", core.ObjectIdentifier), ("values", AttributeValues)]


class Attributes(core.SetOf):
    _child_spec = Attribute


class TrustedSubject(core.Sequence):
    _fields = [("identifier", core.OctetString), ("attributes", Attributes, {"optional": True})]


class TrustedSubjects(core.SequenceOf):
    _child_spec = TrustedSubject


class SubjectUsage(core.SequenceOf):
    _child_spec = core.ObjectIdentifier


class SubjectAlgorithm(core.Sequence):
    _fields = [("algorithm", core.ObjectIdentifier), ("parameters", core.Any, {"optional": True})]


class Extension(core.Sequence):
    _fields = [("extn_id", core.ObjectIdentifier), ("critical", core.Boolean, {"default": False}),
               ("extn_value", core.OctetString)]


class Extensions(core.SequenceOf):
    _child_spec = Extension


class CertificateTrustList(core.Sequence):
    _fields = [
        ("subject_usage", SubjectUsage),
        ("list_identifier", core.OctetString, {"optional": True}),
        ("this_update", core.UTCTime),
        ("subject_algorithm", SubjectAlgorithm),
        ("trusted_subjects", TrustedSubjects, {"optional": True}),
        ("extensions", Extensions, {"explicit": 0, "optional": True}),
    ]


class CtlContentInfo(core.Sequence):
    """PKCS #7 content info: the list stands as it is, not wrapped in an octet string as in CMS."""
    _fields = [("content_type", core.ObjectIdentifier),
               ("content", CertificateTrustList, {"explicit": 0, "optional": True})]


class DigestAlgorithms(core.SetOf):
    _child_spec = algos.DigestAlgorithm


class SignerInfos(core.SetOf):
    _child_spec = core.Any


class SignedData(core.Sequence):
    _fields = [("version", core.Integer), ("digest_algorithms", DigestAlgorithms), ("content_info", CtlContentInfo),
               ("signer_infos", SignerInfos)]


class ContentInfo(core.Sequence):
    _fields = [("content_type", core.ObjectIdentifier), ("content", SignedData, {"explicit": 0})]


def utf16z(text):
    return (text + "\0").encode("utf-16-le")


def name_value(tag, value):
    return CatNameValue({"tag": tag, "flags": NAMEVALUE_FLAGS, "value": utf16z(value)})


def attribute(oid, value):
    return Attribute({"type": oid, "values": [value]})


def member(name, data):
    digest = hashlib.sha1(data).digest()
    indirect = SpcIndirectDataContent({
        "data": {"type": OID_SPC_CAB_DATA, "value": SpcLink({"file": SpcString({"unicode": "<<<Obsolete>>>"})})},
        "message_digest": {"digest_algorithm": {"algorithm": "sha1", "parameters": core.Null()}, "digest": digest},
    })
    return TrustedSubject({
        "identifier": utf16z(digest.hex().upper()),
        "attributes": [
            attribute(OID_CAT_NAMEVALUE, name_value("File", name.lower())),
            attribute(OID_CAT_NAMEVALUE, name_value("OSAttr", WINDOWS_VERSIONS)),
            attribute(OID_CAT_MEMBERINFO, CatMemberInfo({"subject_guid": FLAT_FILE_SUBJECT,
                                                         "cert_version": CERT_VERSION})),
            attribute(OID_SPC_INDIRECT_DATA, indirect),
        ],
    })


def driver_date(files):
    """The date of DriverVer in the package's INF (UTF-16LE with a byte-order mark, or ASCII)."""
    for path in files:
        if path.suffix.lower() != ".inf":
            continue
        raw = path.read_bytes()
        text = raw[2:].decode("utf-16-le") if raw.startswith(b"\xff\xfe") else raw.decode("latin-1")
        found = re.search(r"^\s*DriverVer\s*=\s*(\d\d)/(\d\d)/(\d{4})", text, re.MULTILINE | re.IGNORECASE)
        if found:
            month, day, year = map(int, found.groups())
            return datetime.datetime(year, month, day, tzinfo=datetime.timezone.utc)
    raise SystemExit("make_cat: no INF with a DriverVer among the files")


def make_catalog(files):
    entries = sorted((member(path.name, path.read_bytes()) for path in files),
                     key=lambda entry: entry["identifier"].native)
    identifier = hashlib.sha1(b"".join(entry["identifier"].native for entry in entries)).digest()[:16]
    ctl = CertificateTrustList({
        "subject_usage": [OID_CATALOG_LIST],
        "list_identifier": identifier,
        "this_update": driver_date(files),
        "subject_algorithm": {"algorithm": OID_CATALOG_LIST_MEMBER, "parameters": core.Null()},
        "trusted_subjects": entries,
        "extensions": [{"extn_id": OID_CAT_NAMEVALUE,
                        "extn_value": name_value("OSAttr", WINDOWS_VERSIONS).dump()}],
    })
    signed = SignedData({"version": 1, "digest_algorithms": [],
                         "content_info": {"content_type": OID_CTL, "content": ctl}, "signer_infos": []})
    return ContentInfo({"content_type": OID_SIGNED_DATA, "content": signed}).dump()


def main(argv):
    parser = argparse.ArgumentParser(description="Writes the catalog of a driver package.")
    parser.add_argument("output", type=pathlib.Path)
    parser.add_argument("files", type=pathlib.Path, nargs="+")
    args = parser.parse_args(argv)
    names = [path.name.lower() for path in args.files]
    if len(set(names)) != len(names):
        raise SystemExit("make_cat: two files of the same name")
    if args.output.name.lower() in names:
        raise SystemExit("make_cat: the catalog cannot list itself")
    data = make_catalog(args.files)
    partial = args.output.with_name(args.output.name + ".part")
    partial.write_bytes(data)
    partial.replace(args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
