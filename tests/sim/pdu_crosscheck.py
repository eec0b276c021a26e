#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Cross-checks mirvak-phonesim --decode-pdu against Debian's python3-gammu,
then the PDUs of mirvak-cli sms send --dry-run against both.

The first PDUs are built here from the GSM 03.40 / 03.38 rules, independently
of Mirvak's own builder, so a shared misreading would have to be made three
times. The program's own PDUs must read back, in gammu and in the simulator,
as exactly the text typed: every character of both GSM tables, UCS-2 with
emoji, and long messages at each part boundary.
Usage: pdu_crosscheck.py PATH_TO_MIRVAK_PHONESIM PATH_TO_MIRVAK_CLI
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
CLI = sys.argv[2]
NUMBER = "+46701234567"

GSM_BASIC = ("@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
             "¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà")
GSM_EXTENSION = "€[]{}\\~^|\f"
EMOJI = "\U0001F600"

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


def program_texts():
    """The texts whose PDUs the program builds: each (text, UCS-2?, parts)."""
    x, zhe = "x", "Ж"
    texts = [(GSM_BASIC, False, 1), (GSM_EXTENSION, False, 1), (GSM_BASIC + GSM_EXTENSION, False, 1),
             ((GSM_BASIC + GSM_EXTENSION) * 2, False, 2), ("€" * 80, False, 1), ("€" * 81, False, 2),
             ("Привет, мир! " + EMOJI, True, 1), (EMOJI * 35, True, 1), (EMOJI * 36, True, 2),
             ("Ж" * 69 + "ç", True, 1)]
    for n, parts in ((160, 1), (161, 2), (306, 2), (307, 3), (918, 6)):
        texts.append((x * n, False, parts))
    # An escape pair where a part ends: it goes whole to the next part.
    for n in (151, 152, 153, 304, 305):
        texts.append((x * n + "€" + x * 20, False, 2 + (n > 290)))
    for n, parts in ((70, 1), (71, 2), (134, 2), (135, 3), (402, 6)):
        texts.append((zhe * n, True, parts))
    # A surrogate pair where a part ends.
    for n in (65, 66, 67, 133):
        texts.append((zhe * n + EMOJI + zhe * 5, True, 2 + (n > 130)))
    return texts


def program_pdus(text):
    r = subprocess.run([CLI, "sms", "send", NUMBER, "-", "--dry-run"], input=(text + "\n").encode("utf-8"),
                       capture_output=True, timeout=60)
    if r.returncode != 0:
        raise AssertionError("sms send --dry-run exited %d: %r" % (r.returncode, r.stderr))
    return r.stdout.decode("ascii").split()


def gammu_text(d):
    """gammu's text of a decoded PDU. For 7-bit text python-gammu hands over
    as many characters as the message has septets, so with extension
    characters whatever follows the text's terminating NUL comes too; no GSM
    character reads as NUL, so the text ends there."""
    return d["Text"].split("\x00")[0] if d["Coding"] == "Default_No_Compression" else d["Text"]


def check_program_pdus(texts):
    failures = []
    runs = [(text, ucs2, parts, program_pdus(text)) for text, ucs2, parts in texts]
    rc, sim = decode_all([h for run in runs for h in run[3]])
    if rc != 0:
        failures.append("the simulator refused one of the program's PDUs")
    for text, ucs2, parts, pdus in runs:
        name = "%r (%d characters)" % (text[:20], len(text))
        decoded = [gammu.DecodePDU(bytes.fromhex(h), SMSC=True) for h in pdus]
        mine, sim = sim[:len(pdus)], sim[len(pdus):]
        problems = []
        if len(pdus) != parts:
            problems.append("%d parts, expected %d" % (len(pdus), parts))
        codings = {d["Coding"] for d in decoded}
        want = "Unicode_No_Compression" if ucs2 else "Default_No_Compression"
        if codings != {want}:
            problems.append("coding %r, expected %s" % (codings, want))
        if len(pdus) > 1:
            linked = gammu.LinkSMS([[d] for d in decoded])
            if len(linked) != 1 or len(linked[0]) != len(pdus):
                problems.append("gammu links the parts as %r" % [len(m) for m in linked])
            joined = "".join(gammu_text(d) for d in sorted(linked[0], key=lambda d: d["UDH"]["PartNumber"]))
            refs = {d["UDH"]["ID8bit"] for d in decoded}
            numbers = [(d["UDH"]["PartNumber"], d["UDH"]["AllParts"]) for d in decoded]
            if len(refs) != 1 or numbers != [(i + 1, len(pdus)) for i in range(len(pdus))]:
                problems.append("headers %r %r" % (refs, numbers))
            want_headers = [(decoded[0]["UDH"]["ID8bit"], i + 1, len(pdus)) for i in range(len(pdus))]
            if [(s.get("concatReference"), s.get("concatPart"), s.get("concatParts")) for s in mine] != want_headers:
                problems.append("simulator headers %r" % mine)
        else:
            joined = gammu_text(decoded[0])
            if decoded[0]["UDH"]["Type"] != "NoUDH":
                problems.append("a single message with a header")
        if joined != text:
            problems.append("gammu reads %r" % joined)
        if "".join(s.get("text", "") for s in mine) != text:
            problems.append("the simulator reads %r" % "".join(s.get("text", "") for s in mine))
        if problems:
            failures.append("%s: %s" % (name, "; ".join(problems)))
    return failures


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

    program_cases = program_texts()
    failures += check_program_pdus(program_cases)

    # A text longer than six parts is refused before anything is built.
    r = subprocess.run([CLI, "sms", "send", NUMBER, "x" * 919, "--dry-run"], capture_output=True, text=True,
                       timeout=60)
    if r.returncode != 2 or r.stdout or "7 SMS" not in r.stderr:
        failures.append("919 characters not refused: exit %d, %r %r" % (r.returncode, r.stdout, r.stderr))

    total = len(cases) + len(malformed) + len(program_cases) + 1
    for f in failures:
        print("FAIL:", f)
    print("%d passed, %d failed" % (total - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
