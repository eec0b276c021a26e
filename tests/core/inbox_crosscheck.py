#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Cross-checks Mirvak's stored-message decoder against Debian's python3-gammu.

gammu.EncodeSMS and gammu.EncodePDU make the PDUs (deliver and submit, in
the three alphabets, whole and in parts, with and without the centre
address); gammu.DecodePDU reads each back, and Mirvak's decoder must agree
with both the text that went in and what gammu reads. Damaged PDUs must keep
what gammu reads of the whole ones, and public status reports must read as
gammu reads them.
Usage: inbox_crosscheck.py PATH_TO_SMS_DECODE_CLI
"""
import datetime
import json
import random
import subprocess
import sys

try:
    import gammu
except ImportError:
    sys.exit("FAIL: python3-gammu is not installed for %s (apt-get install python3-gammu; "
             "./test.sh installs it)" % sys.executable)

CLI = sys.argv[1]
rng = random.Random(1804)

PLAIN = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789 .,!?@$\n"
EXTENSION = "\u20ac[]{}\\~^|"
WIDE = "\u00e5\u00e4\u00f6\u0416\u4e2d\U0001F600\U0001F44D"


def number():
    digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(3, 15)))
    return "+" + digits if rng.random() < 0.5 else digits


def messages(text, unicode):
    return gammu.EncodeSMS({"Class": -1, "Unicode": unicode,
                            "Entries": [{"ID": "ConcatenatedTextLong" if len(text) > 70 else "Text",
                                         "Buffer": text}]})


def cases():
    out = []
    for n in range(60):
        kind = n % 3
        length = rng.choice([1, 7, 8, 40, 153, 160, 200, 400])
        if kind == 0:
            text = "".join(rng.choice(PLAIN) for _ in range(length))
        elif kind == 1:
            text = "".join(rng.choice(PLAIN + EXTENSION) for _ in range(min(length, 60)))
        else:
            text = "".join(rng.choice(PLAIN[:30] + WIDE) for _ in range(min(length, 100)))
        layout = "Deliver" if n % 4 else "Submit"
        zone = rng.choice([0, 1, -5, 9])
        when = datetime.datetime(2026, 12, 6, 17, 50, n % 60)
        for sms in messages(text, kind == 2):
            sms["Number"] = number()
            sms["SMSC"]["Number"] = "+46705008999"
            sms["DateTime"] = when
            sms["Type"] = layout
            sms["SMSC"]["Validity"] = "NA" if layout == "Deliver" else "Max"
            pdu = gammu.EncodePDU(sms, Layout=layout)
            out.append((pdu, layout, sms, text, zone))
    return out


def with_zone(pdu, layout, quarters):
    """gammu writes a zone of 0; the time-zone octet is set here, its sign in bit 3."""
    if layout != "Deliver":
        return pdu
    sca = pdu[0] + 1
    oa_digits = pdu[sca + 1]
    scts = sca + 1 + 2 + (oa_digits + 1) // 2 + 2
    q = abs(quarters * 4)
    tz = ((q % 10) << 4) | (q // 10) | (0x08 if quarters < 0 else 0)
    return pdu[:scts + 6] + bytes([tz]) + pdu[scts + 7:]


def main():
    built = cases()
    lines = []
    for pdu, layout, sms, text, zone in built:
        pdu = with_zone(pdu, layout, zone)
        # Every other one stored without its centre address.
        if len(lines) % 2:
            lines.append((pdu[pdu[0] + 1:], len(pdu) - pdu[0] - 1, pdu))
        else:
            lines.append((pdu, len(pdu) - pdu[0] - 1, pdu))
    feed = "".join("%s %d\n" % (p.hex().upper(), n) for p, n, _ in lines)
    r = subprocess.run([CLI], input=feed, capture_output=True, text=True, timeout=120)
    results = [json.loads(l) for l in r.stdout.splitlines()]
    if len(results) != len(lines):
        print("FAIL: %d answers for %d PDUs: %s" % (len(results), len(lines), r.stderr))
        return 1

    failures = []
    for (_, layout, sms, text, zone), (sent, _, whole), got in zip(built, lines, results):
        g = gammu.DecodePDU(whole, SMSC=True)
        problems = []
        want_kind = "deliver" if layout == "Deliver" else "submit"
        if got["kind"] != want_kind:
            problems.append("kind %s, built %s" % (got["kind"], want_kind))
        if got["number"].lstrip("+") != g["Number"].lstrip("+") or got["number"] != sms["Number"]:
            problems.append("number %r gammu %r built %r" % (got["number"], g["Number"], sms["Number"]))
        # gammu reads past the end of a text with extension characters; what
        # it reads first must still be the text.
        if got["text"] != sms["Text"] or not g["Text"].startswith(got["text"]):
            problems.append("text %r gammu %r built %r" % (got["text"], g["Text"], sms["Text"]))
        udh = g["UDH"]
        if udh["Type"].startswith("Concatenated"):
            ref = udh["ID8bit"] if udh["ID8bit"] >= 0 else udh["ID16bit"]
            if (got["reference"], got["total"], got["part"]) != (ref, udh["AllParts"], udh["PartNumber"]):
                problems.append("parts %r gammu %r" % ((got["reference"], got["total"], got["part"]), udh))
        elif got["total"] != 0:
            problems.append("parts where gammu sees none")
        if layout == "Deliver":
            want = g["DateTime"].strftime("%Y-%m-%dT%H:%M:%S") + "%s%02d:00" % ("-" if zone < 0 else "+", abs(zone))
            if got["time"] != want:
                problems.append("time %r, built %r" % (got["time"], want))
        if problems:
            failures.append("%s: %s" % (sent.hex().upper(), "; ".join(problems)))

    # Damaged PDUs keep what gammu reads of the whole one: the sender, the
    # time and the text as far as it goes. Input with nothing readable gives
    # an unreadable message, never a crash or a hang.
    good = next(p for p, layout, sms, text, _ in built
                if layout == "Deliver" and len(text) > 20 and all(c in PLAIN for c in text))
    g = gammu.DecodePDU(good, SMSC=True)
    hexed = good.hex().upper()
    damaged = [hexed[:-2], hexed[:-1], hexed + "0", hexed + "\x1a"]
    bad = [hexed[:20], "ZZ" + hexed[2:], "", "00", "0004"]
    r = subprocess.run([CLI], input="".join("%s -1\n" % b for b in damaged + bad), capture_output=True, text=True,
                       timeout=60)
    got = [json.loads(l) for l in r.stdout.splitlines()]
    for b, d in zip(damaged, got):
        if (d["kind"], d["number"], d["damaged"]) != ("deliver", g["Number"], True) or not g["Text"].startswith(d["text"]) \
                or d["time"][:19] != g["DateTime"].strftime("%Y-%m-%dT%H:%M:%S"):
            failures.append("damaged %s read as %r, gammu %r" % (b, d, g))
    if [d["kind"] for d in got[len(damaged):]] != ["unreadable"] * len(bad):
        failures.append("malformed PDUs read as %r" % got[len(damaged):])

    # Status reports from public test suites (pmarti/python-messaging,
    # frontlinesms/smslib): the recipient, both times and the outcome as gammu reads them.
    reports = ["07914306073011F006270B913426565711F7012081111345400120811174054043",
               "079144973770939906270C91449777621047012021216043000120212160930000",
               "0791527422050000060911818967454365878967F5112112213012E11121122130122140",
               "0006D60B911326880736F4111011719551401110117195714000"]
    r = subprocess.run([CLI], input="".join("%s -1\n" % h for h in reports), capture_output=True, text=True,
                       timeout=60)
    for h, line in zip(reports, r.stdout.splitlines()):
        d, g = json.loads(line), gammu.DecodePDU(bytes.fromhex(h), SMSC=True)
        stamp = lambda t: t.strftime("%Y-%m-%dT%H:%M:%S")
        if (d["kind"], d["number"], d["text"], d["time"][:19], d["report"][:19]) != \
                ("report", g["Number"], g["Text"], stamp(g["DateTime"]), stamp(g["SMSCDateTime"])):
            failures.append("report %s read as %r, gammu %r" % (h, d, g))
    lines += reports + damaged + bad

    for f in failures:
        print("FAIL:", f)
    print("%d PDUs, %d failures" % (len(lines), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
