#!/usr/bin/env python3
"""Runs the built cbtool on fixtures: exit statuses, outputs, byte-exact JSON round trips, containers, bad input."""

import argparse
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib
from pathlib import Path

ARGS = None
MAGIC = b"C2288012-30BB4396B65"


def container(payload, method=2):
    return MAGIC + struct.pack("<II", method, len(payload)) + (zlib.compress(payload) if method == 2 else payload)


def record(name, type_, value, number=-1):
    return {"name": name, "type": type_, "value": value, "number": number}


# Records at the edges of the types' forms; the shipped sample holds the other types.
EDGES = [
    record("int", "Int", -2147483648, 2147483647),
    record("floatNaNBits", "Float", "NaN:7fc00001"),
    record("double", "Double", "-Infinity"),
    record("text", "StringW", "Grüße \U0001F600 \u2013 end"),
    record("loneSurrogate", "StringW", {"hex": "41003ed84200"}),
    record("narrowBytes", "StringA", {"hex": "e9ff"}),
    record({"hex": "00d8"}, "Int", 1),
]


def document(version=4, parameters=EDGES):
    groups = [{"name": "Gruppe Ä", "records": parameters[:3]}, {"name": "empty", "records": []}]
    doc = {"version": version}
    if version >= 2:
        doc["firstGroups"] = groups
    if version >= 4:
        doc["secondGroups"] = groups[::-1]
    if version >= 3:
        doc["parameters"] = parameters
    return doc


class CbtoolTest(unittest.TestCase):
    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix="cbtool-test-"))
        self.addCleanup(shutil.rmtree, self.folder)
        self.env = dict(os.environ, CBFOUNDATION_REGISTRY=str(self.folder / "registry.sqlite3"))

    def run_tool(self, *args, status=0, statuses=None, cwd=None):
        """Runs cbtool; a failure must explain itself in one line, success must print nothing on stderr."""
        result = subprocess.run([ARGS.cbtool, *map(str, args)], capture_output=True, env=self.env, timeout=60,
                                cwd=cwd)
        self.assertIn(result.returncode, statuses or (status,), f"{args}: {result.stderr!r}")
        lines = result.stderr.decode("utf-8", "replace").splitlines()
        if result.returncode:
            self.assertTrue(len(lines) == 1 and lines[0].startswith("cbtool: "), f"{args}: {result.stderr!r}")
        else:
            self.assertEqual(lines, [], args)
        return result.stdout.decode("utf-8")

    def write(self, name, content):
        path = self.folder / name
        path.write_bytes(content if isinstance(content, bytes) else json.dumps(content).encode("utf-8"))
        return path

    def build(self, doc, name, *options):
        out = self.folder / name
        self.run_tool("build", self.write(name + ".json", doc), out, *options)
        return out

    def dump(self, path):
        return json.loads(self.run_tool("dump", "--json", path))

    def test_every_type_and_version_round_trips_byte_for_byte(self):
        for version in range(5):
            for options, kind in (((), "plain"), (("--compress",), "archive")):
                with self.subTest(version=version, options=options):
                    first = self.build(document(version), "first", *options)
                    dumped = self.dump(first)
                    self.assertEqual(dumped.pop("container")["kind"], kind)
                    self.assertEqual(dumped, document(version))
                    second = self.build(dumped, "second", *options)
                    self.assertEqual(first.read_bytes(), second.read_bytes())

    def test_the_shipped_sample_is_what_its_json_builds(self):
        sample = ARGS.examples / "parameters.cbp"
        self.assertEqual(self.run_tool("build", ARGS.examples / "parameters.json", self.folder / "sample.cbp"), "")
        self.assertEqual((self.folder / "sample.cbp").read_bytes(), sample.read_bytes())
        dumped = self.dump(sample)
        dumped.pop("container")
        self.assertEqual(self.build(dumped, "again").read_bytes(), sample.read_bytes())
        self.assertIn('ExternalDataPath  StringW  1       "/srv/messdaten/Brücke Süd/2024"', self.run_tool("dump", sample))

    def test_external_data_path_prints_the_text_and_exits_with_the_status_word(self):
        text = "D:\\Daten\\Grüße \U0001F600"
        found = self.build(document(4, [record("ExternalDataPath", "StringW", text)]), "found")
        integer = self.build(document(4, [record("ExternalDataPath", "Int", 1)]), "integer")
        self.assertEqual(self.run_tool("external-data-path", found), text + "\n")
        self.assertEqual(self.run_tool("external-data-path", integer, status=1), "")
        self.run_tool("external-data-path", self.folder / "missing", status=2)

    def test_set_changes_or_appends_a_record_and_keeps_the_container(self):
        payload = self.build(document(4, EDGES[:2]), "plain").read_bytes()
        for name, content, kind in [("plain", payload, "plain (no container header)"),
                                    ("zlib", container(payload), "compressed archive, method 2 (zlib)"),
                                    ("stored", container(payload, 0), "compressed archive, method 0 (stored)")]:
            with self.subTest(name):
                path = self.write(name + ".cbp", content)
                self.run_tool("set", path, "int", "--text", "x\u00e9", "--number", "7")
                self.run_tool("set", path, "added", "--date", "2001-02-03T04:05:06")
                self.assertEqual(self.dump(path)["parameters"][::2], [
                    record("int", "StringW", "x\u00e9", 7), record("added", "DateTime", "2001-02-03T04:05:06")])
                self.assertIn("kind:         " + kind, self.run_tool("info", path))

    def test_relative_file_names_are_below_the_current_folder(self):
        self.write("doc.json", document(4, EDGES[:2]))
        for args in (("build", "doc.json", "out.cbp"), ("set", "out.cbp", "added", "--int", "1"),
                     ("pack", "out.cbp", "new/sub/packed"), ("unpack", "new/sub/packed", "unpacked"),
                     ("pack", "out.cbp", "x\udcff"), ("unpack", "x\udcff", "unpacked")):  # a byte that is no UTF-8
            self.run_tool(*args, cwd=self.folder)
        self.assertEqual((self.folder / "unpacked").read_bytes(), (self.folder / "out.cbp").read_bytes())

    def test_pack_unpack_and_info_on_the_container(self):
        original = self.write("original", bytes(range(256)) * 40)
        self.run_tool("pack", original, self.folder / "packed", "--level", "best")
        packed = (self.folder / "packed").read_bytes()
        self.assertEqual(packed[:24], MAGIC + b"\x02\0\0\0")
        self.assertEqual(zlib.decompress(packed[28:]), original.read_bytes())
        self.run_tool("unpack", self.folder / "packed", self.folder / "unpacked")
        self.assertEqual((self.folder / "unpacked").read_bytes(), original.read_bytes())

    def test_bad_input_gets_one_line_and_a_failure_status(self):
        missing = self.folder / "missing"
        text = self.write("text", b"not a parameter file")
        bad_zlib = self.write("badzlib", MAGIC + b"\x02\0\0\0\x10\0\0\0not zlib at all")
        built = self.build(document(4, EDGES[:1]), "good")
        version2 = self.build(document(2), "version2")

        usage, failure = 64, 1
        cases = [
            ((), usage), (("frobnicate",), usage), (("dump", built, "--yaml"), usage), (("set", built, "x"), usage),
            (("options", "get", "HKXX", "k", "n"), usage), (("options", "list", "HKCU", "no\\such\\key"), failure),
            (("dump", missing), failure), (("dump", text), failure), (("unpack", bad_zlib, self.folder / "o"), failure),
            (("set", version2, "x", "--int", "1"), failure), (("set", built, "x", "--short", "40000"), failure),
        ]
        # Each bad document in a file of its own.
        base = document(4, EDGES[:1])
        bad = [dict(base, version=5), dict(base, extra=1), {"version": 2, "firstGroups": [], "parameters": []}] + [
            dict(base, parameters=[bad_record]) for bad_record in (
                record("a", "Object", None), record("a", "UChar", 256), record("a", "ByteArray", "abc"),
                record("a", "StringW", "a\u0000b"), {"name": "a", "type": "Int", "value": 1, "numbr": 1})]
        cases += [(("build", self.write(f"bad{index}.json", content), self.folder / "o"), failure)
                  for index, content in enumerate(bad)]
        for args, status in cases:
            with self.subTest(args=args):
                self.run_tool(*args, status=status)
        self.assertFalse((self.folder / "o").exists())


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--cbtool", required=True)
    parser.add_argument("--examples", required=True, type=Path)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], *rest], verbosity=1)


if __name__ == "__main__":
    main()
