# SPDX-License-Identifier: GPL-2.0-or-later
"""Cross-checks Mirvak's vCard files against Debian's python3-vobject.

What Mirvak writes, vobject reads with every name and number intact; what
vobject writes (3.0), Mirvak loads as the phone can hold it.
Usage: contactfile_crosscheck.py PATH_TO_CONTACTFILE_BRIDGE
"""
import json
import os
import subprocess
import sys
import tempfile

try:
    import vobject
except ImportError:
    sys.exit("FAIL: python3-vobject is not installed for %s (apt-get install python3-vobject; "
             "./test.sh installs it)" % sys.executable)

BRIDGE = sys.argv[1]
failures = []


def expect(ok, what):
    if not ok:
        failures.append(what)


def bridge(*args):
    return subprocess.run([BRIDGE, *args], check=True, capture_output=True).stdout


def ours_read_by_vobject(tmp):
    book = [
        {"row": 1, "number": "+46701234567", "name": "Åsa Müller"},
        {"row": 2, "number": "0812", "name": "Jo, \"Jr\"; \\ x"},
        {"row": 5, "number": "*100#", "name": ""},
        {"row": 7, "number": "", "name": "Name only"},
        {"row": 9, "number": "08p12", "name": "ÿ tail/H"},
        {"row": 50, "number": "5", "name": "Last"},
    ]
    src = os.path.join(tmp, "book.json")
    out = os.path.join(tmp, "ours.vcf")
    with open(src, "w", encoding="utf-8") as f:
        json.dump(book, f)
    bridge("write", "vcard", src, out)
    raw = open(out, "rb").read()
    lines = raw.split(b"\r\n")
    expect(raw.endswith(b"\r\n") and b"\n" not in raw.replace(b"\r\n", b""), "CR LF line ends only")
    expect(all(len(l) <= 75 for l in lines), "no line longer than 75 octets")
    cards = list(vobject.readComponents(raw.decode("utf-8")))
    expect(len(cards) == len(book), "one card a row: %d" % len(cards))
    for row, card in zip(book, cards):
        expect(card.version.value == "3.0", "version 3.0")
        expect(card.fn.value == (row["name"] or row["number"]), "FN of row %d: %r" % (row["row"], card.fn.value))
        expect("n" in card.contents, "N on row %d" % row["row"])
        tels = [t.value for t in card.contents.get("tel", [])]
        expect(tels == ([row["number"]] if row["number"] else []), "TEL of row %d: %r" % (row["row"], tels))
        kept = card.contents.get("x-mirvak-location", [])
        expect([k.value for k in kept] == [str(row["row"])], "kept row %d" % row["row"])
    home = cards[4].contents["tel"][0].params.get("TYPE", [])
    expect(home == ["HOME", "VOICE"], "a /H name gives a home number: %r" % home)
    expect(cards[0].contents["tel"][0].params.get("TYPE") == ["CELL"], "a plain number is a mobile")

    # And our own reader puts it all back, but for the '"' no phone command
    # can carry, which it drops and counts.
    back = json.loads(bridge("read", "vcard", out))
    want = [dict(r, name=r["name"].replace('"', "")) for r in book]
    expect(back["rows"] == want, "our round trip: %r" % back["rows"])
    expect(back["changed"] == 1 and back["skipped"] == [], "our round trip changes one name: %r" % back)

    # A name longer than the phone takes is written whole, and cut on loading.
    with open(src, "w", encoding="utf-8") as f:
        json.dump([{"row": 3, "number": "1", "name": "ÿ" * 40}], f)
    bridge("write", "vcard", src, out)
    expect(next(vobject.readComponents(open(out, encoding="utf-8").read())).fn.value == "ÿ" * 40, "long FN whole")
    back = json.loads(bridge("read", "vcard", out))
    expect(back["rows"] == [{"row": 3, "number": "1", "name": "ÿ" * 18}] and back["changed"] == 1,
           "long name cut: %r" % back)


def vobject_read_by_ours(tmp):
    cards = []

    def card(fn, name, tels):
        c = vobject.vCard()
        if fn is not None:
            c.add("fn").value = fn
        c.add("n").value = name
        for value, types in tels:
            t = c.add("tel")
            t.value = value
            if types:
                t.type_paramlist = types
        c.add("note").value = "x" * 200
        cards.append(c.serialize())

    card("Åsa Müller", vobject.vcard.Name(family="Müller", given="Åsa"), [("+46 70-123 45 67", ["CELL"])])
    card("Łukasz Żółć, \"Jr\"; x", vobject.vcard.Name(family="Żółć", given="Łukasz"),
         [("+48 601 234 567", ["CELL", "VOICE"]), ("22 123", ["HOME"]), ("(22) 456", ["WORK"]), ("789", [])])
    card("Bartholomew Fitzgerald-Longname", vobject.vcard.Name(family="X"), [("0701", None)])
    card("Mail Only", vobject.vcard.Name(family="Only", given="Mail"), [])
    path = os.path.join(tmp, "theirs.vcf")
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write("".join(cards))
    got = json.loads(bridge("read", "vcard", path))
    want = [
        {"row": 1, "number": "+46701234567", "name": "Åsa Müller"},
        {"row": 2, "number": "+48601234567", "name": "Lukasz Zólc, Jr;/M"},
        {"row": 3, "number": "22123", "name": "Lukasz Zólc, Jr;/H"},
        {"row": 4, "number": "22456", "name": "Lukasz Zólc, Jr;/W"},
        {"row": 5, "number": "789", "name": "Lukasz Zólc, Jr;/O"},
        {"row": 6, "number": "0701", "name": "Bartholomew Fitzge"},
    ]
    expect(got["known"], "vobject's file is a vCard")
    expect(got["rows"] == want, "vobject's cards: %r" % got["rows"])
    expect(got["read"] == 6 and got["changed"] == 5, "counts: %r" % got)
    expect(got["skipped"] == ['line %d: "Mail Only" has no phone number' % (1 + sum(c.count("\r\n") for c in cards[:3]))],
           "skipped: %r" % got["skipped"])

    # The same cards as Windows programs save them (UTF-16 either way round,
    # with its mark) and with the CR CR LF line ends of some phone exports.
    for encoding, text in (("utf-16", "".join(cards)), ("utf-16-be", "\ufeff" + "".join(cards)),
                           ("utf-8", "".join(cards).replace("\r\n", "\r\r\n"))):
        with open(path, "wb") as f:
            f.write(text.encode(encoding))
        again = json.loads(bridge("read", "vcard", path))
        expect(again["rows"] == want, "%s, %d line ends: %r" % (encoding, text.count("\r\r\n"), again["rows"]))


with tempfile.TemporaryDirectory() as tmp:
    ours_read_by_vobject(tmp)
    vobject_read_by_ours(tmp)

for f in failures:
    print("FAIL:", f)
if failures:
    sys.exit(1)
print("PASS: vCard files cross-checked with vobject", vobject.VERSION if hasattr(vobject, "VERSION") else "")
