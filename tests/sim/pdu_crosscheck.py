#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Cross-checks mirvak-phonesim --decode-pdu against Debian's python3-gammu.

The PDUs are built here from the GSM 03.40 / 03.38 rules, independently of
Mirvak's own builder, so a shared misreading would have to be made three times.
Usage: pdu_crosscheck.py PATH_TO_MIRVAK_PHONESIM
"""
import json
import random
import subprocess
import sys

try:
    import gammu
except ImportError:
    sys.exit("FAIL: python3-gammu is not installed for %s (apt-get install python3-gammu; "
             "./test.sh installs it)" % sys.executable)

SIM = sys.argv[1]

# Characters whose GSM 03.38 code equals their ASCII code, plus the two the
# program maps specially ('@' -> 0x00, '$' -> 0x02).
SAFE = (" !\"#%&'()*+,-./0123456789:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ"
        "abcdefghijklmnopqrstuvwxyz\n@$")


def septet(ch):
    return {"@": 0x00, "$": 0x02}.get(ch, ord(ch) & 0x7F)


def pack7(text):
    bits = 0
    nbits = 0
    out = bytearray()
    for ch in text:
        bits |= septet(ch) << nbits
        nbits += 7
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def address(number):
    digits = number.lstrip("+")
    toa = 0x91 if number.startswith("+") else 0x81
    padded = digits + ("F" if len(digits) % 2 else "")
    octets = bytes(int(padded[i + 1] + padded[i], 16) for i in range(0, len(padded), 2))
    return len(digits), toa, octets


def build(number, text, reply_path):
    n, toa, octets = address(number)
    first = 0x91 if reply_path else 0x11
    return (bytes([0x00, first, 0x00, n, toa]) + octets + bytes([0x00, 0x00, 0xC4, len(text)])
            + pack7(text))


def decode_sim(pdu_hex):
    r = subprocess.run([SIM, "--decode-pdu", pdu_hex], capture_output=True, text=True, timeout=30)
    try:
        return r.returncode, json.loads(r.stdout)
    except ValueError:
        raise AssertionError("no JSON from --decode-pdu %s: %r %r" % (pdu_hex, r.stdout, r.stderr))


def decode_all(pdus_hex):
    """The simulator's decoding of each PDU, all in one run (--decode-pdu -)."""
    r = subprocess.run([SIM, "--decode-pdu", "-"], input="".join(h + "\n" for h in pdus_hex),
                       capture_output=True, text=True, timeout=60)
    lines = r.stdout.splitlines()
    if len(lines) != len(pdus_hex):
        raise AssertionError("%d lines from --decode-pdu - for %d PDUs: %r" % (len(lines), len(pdus_hex), r.stderr))
    return r.returncode, [json.loads(line) for line in lines]


def expected_first_octet(g):
    first = 0x01
    if g["SMSC"]["Validity"] not in ("NA", ""):
        first |= 0x10
    # gammu leaves ReplyViaSameSMSC at 0 for a submit whatever TP-RP says, so
    # the reply-path bit is checked against the built PDU instead.
    if g["RejectDuplicates"]:
        first |= 0x04
    if g["UDH"]["Type"] != "NoUDH":
        first |= 0x40
    return first


def main():
    rng = random.Random(2870)
    cases = [("+123456789", "abc", False), ("0123456", "Hi @ $5", True)]
    for length in range(1, 161):
        text = "".join(rng.choice(SAFE) for _ in range(length))
        digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(3, 20)))
        if rng.random() < 0.5 and len(digits) < 20:
            digits = "+" + digits
        cases.append((digits, text, rng.random() < 0.3))
    # Both address types with odd and even digit counts, and the texts of
    # length 7 and 8 whose padding bits are easy to get wrong.
    cases += [("+46705008999", "x" * 7, False), ("46705008999", "@" * 8, False),
              ("+4670500899", "$" * 160, True), ("4670500899", "\n" * 3, False)]

    failures = []
    pdus = [build(number, text, reply) for number, text, reply in cases]
    rc, decoded = decode_all([pdu.hex().upper() for pdu in pdus])
    if rc != 0:
        failures.append("--decode-pdu - exited %d for PDUs that all decode" % rc)
    for (number, text, reply), pdu, s in zip(cases, pdus, decoded):
        g = gammu.DecodePDU(pdu, SMSC=True)
        problems = []
        if not s.get("ok"):
            problems.append("simulator refused it: %s" % s.get("error"))
        want_number = ("+" if number.startswith("+") else "") + g["Number"].lstrip("+")
        if s.get("number") != want_number or want_number != number:
            problems.append("number sim=%r gammu=%r built=%r" % (s.get("number"), g["Number"], number))
        if s.get("text") != g["Text"] or g["Text"] != text:
            problems.append("text sim=%r gammu=%r built=%r" % (s.get("text"), g["Text"], text))
        if (s.get("firstOctet", 0) & 0x7F) != expected_first_octet(g) or s.get("firstOctet") != pdu[1]:
            problems.append("first octet sim=%r gammu-derived=%r built=%r"
                            % (s.get("firstOctet"), expected_first_octet(g), pdu[1]))
        if s.get("replyPath") != reply:
            problems.append("reply path sim=%r built=%r" % (s.get("replyPath"), reply))
        if s.get("validity") != 196 or g["SMSC"]["Validity"] != "30D":
            problems.append("validity sim=%r gammu=%r" % (s.get("validity"), g["SMSC"]["Validity"]))
        if s.get("tpduLength") != len(pdu) - 1 or s.get("impliedTpduLength") != len(pdu) - 1:
            problems.append("TPDU length %r/%r, built %d" % (s.get("tpduLength"), s.get("impliedTpduLength"), len(pdu) - 1))
        if problems:
            failures.append("%s: %s" % (pdu.hex().upper(), "; ".join(problems)))

    # Malformed input is refused with a reason, never crashes or hangs; one
    # PDU on the command line answers by its exit status too.
    good = build("+123456789", "abc", False).hex().upper()
    malformed = [good[:-2], good + "00", good[:9], "0", "ZZ", "", "00" * 3, "0001" + good[4:]]
    rc, refused = decode_all(malformed[1:] + [good])
    if rc != 1 or not refused.pop().get("ok"):
        failures.append("--decode-pdu - exited %d for malformed PDUs and a good one" % rc)
    first_rc, first = decode_sim(malformed[0])
    if first_rc != 1 or decode_sim(good)[0] != 0:
        failures.append("--decode-pdu HEX does not answer by its exit status")
    for bad, s in zip(malformed, [first] + refused):
        if s.get("ok") or not s.get("error"):
            failures.append("malformed %r not refused: %r" % (bad, s))

    total = len(cases) + len(malformed)
    for f in failures:
        print("FAIL:", f)
    print("%d passed, %d failed" % (total - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
