#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""Installs the build into a scratch prefix and checks what a user's system gets.

usage: check_install.py CMAKE BUILD_DIR SOURCE_DIR APP_ID VERSION HARDENED

HARDENED is 1 for a build with Debian's hardening flags (an optimised one
without the sanitizers): lintian then must not name a hardening tag either.
"""
import configparser, gzip, os, re, select, shutil, signal, subprocess, sys, tempfile, time
import xml.etree.ElementTree as ET

cmake, build, source, app_id, version, hardened, sanitized = sys.argv[1:8]
hardened, sanitized = hardened == "1", sanitized == "1"
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
    return ok


def run(cmd, timeout=120, **kw):
    return subprocess.run(cmd, capture_output=True, text=True, timeout=timeout, **kw)


def read_until(stream, text, seconds):
    """What `stream` says up to the end of the line that holds `text`, taken as it comes."""
    said = b""
    deadline = time.monotonic() + seconds
    needle = text.encode()
    while needle not in said or b"\n" not in said[said.index(needle):]:
        ready, _, _ = select.select([stream], [], [], max(0, deadline - time.monotonic()))
        chunk = os.read(stream.fileno(), 4096) if ready else b""
        if not chunk:
            break
        said += chunk
    return said.decode(errors="replace")


def exe_of(pid):
    try:
        return os.readlink(f"/proc/{pid}/exe")
    except OSError:
        return None


def validator(name, package):
    path = shutil.which(name)
    if not path:
        sys.exit(f"{name} is missing: install the Debian package {package} (scripts/deps.sh lists it)")
    return path


tmp = tempfile.mkdtemp(prefix="mirvak-install-")
try:
    prefix = os.path.join(tmp, "usr")
    r = run([cmake, "--install", build, "--prefix", prefix])
    if r.returncode:
        sys.exit(f"cmake --install failed:\n{r.stdout}{r.stderr}")

    installed = {os.path.relpath(os.path.join(d, f), prefix)
                 for d, _, files in os.walk(prefix) for f in files}
    expected = {"bin/mirvak", "bin/mirvak-cli", "bin/mirvak-phonesim",
                f"share/applications/{app_id}.desktop",
                f"share/metainfo/{app_id}.metainfo.xml",
                f"share/icons/hicolor/scalable/apps/{app_id}.svg",
                "share/man/man1/mirvak.1.gz", "share/man/man1/mirvak-cli.1.gz",
                "share/man/man1/mirvak-phonesim.1.gz", "share/bash-completion/completions/mirvak-cli",
                "share/doc/mirvak/changelog.gz", "share/doc/mirvak/copyright",
                "share/doc/mirvak/backup-format.md", "share/doc/mirvak/backup.schema.json"}
    check(installed == expected, f"installed files: missing {sorted(expected - installed)}, "
                                 f"unexpected {sorted(installed - expected)}")
    if not expected <= installed:
        raise SystemExit
    share = os.path.join(prefix, "share")
    desktop = os.path.join(share, "applications", f"{app_id}.desktop")
    metainfo = os.path.join(share, "metainfo", f"{app_id}.metainfo.xml")

    # The two validators the distributions and software centres apply.
    for cmd in ([validator("desktop-file-validate", "desktop-file-utils"), desktop],
                [validator("appstreamcli", "appstream"), "validate", "--no-net", metainfo]):
        r = run(cmd)
        check(r.returncode == 0 and not r.stdout.strip().startswith(("E:", "W:")),
              f"{os.path.basename(cmd[0])} rejects {os.path.basename(cmd[-1])}:\n{r.stdout}{r.stderr}")

    # One id ties the entry, its icon, the metainfo and its launchable together.
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(desktop)
    e = entry["Desktop Entry"]
    check(e.get("Icon") == app_id, f"desktop Icon is {e.get('Icon')!r}, the icon file is {app_id}.svg")
    check((e.get("Exec") or "?").split() == ["mirvak", "--data-dir"], f"desktop Exec {e.get('Exec')!r}")
    check("Utility" in e.get("Categories", "").split(";"), "desktop Categories lack Utility")
    keywords = {k.lower() for k in e.get("Keywords", "").split(";")}
    check({"phone", "sms", "serial", "ericsson"} <= keywords, f"desktop Keywords {e.get('Keywords')!r}")

    icon = ET.parse(os.path.join(share, "icons/hicolor/scalable/apps", f"{app_id}.svg")).getroot()
    check(icon.tag == "{http://www.w3.org/2000/svg}svg", f"the icon's root is {icon.tag}")

    meta = ET.parse(metainfo).getroot()
    check(meta.findtext("id") == app_id, f"metainfo id {meta.findtext('id')!r}")
    check(meta.findtext("launchable") == f"{app_id}.desktop", f"launchable {meta.findtext('launchable')!r}")
    for b in meta.iterfind("provides/binary"):
        check(f"bin/{b.text}" in installed, f"metainfo provides {b.text}, not installed")
    releases = [r.get("version") for r in meta.iterfind("releases/release")]
    check(releases[:1] == [version], f"newest metainfo release {releases[:1]}, project version {version}")
    description = ET.tostring(meta.find("description"), encoding="unicode")
    for family in ("T28", "T2x", "R3x0"):
        check(family in description, f"metainfo description does not name the {family}")

    # Screenshots are named by their path in the source tree after a web base.
    shots = [i.text for i in meta.iterfind("screenshots/screenshot/image")]
    check(len(shots) == 7, f"{len(shots)} screenshots in the metainfo")
    folder = os.path.join(source, "docs", "screenshots")
    for url in shots:
        m = re.search(r"(docs/screenshots/[a-z-]+\.png)$", url)
        if check(m is not None, f"screenshot {url} is not under docs/screenshots") and os.path.isdir(folder):
            check(os.path.isfile(os.path.join(source, m.group(1))), f"screenshot {m.group(1)} is not in the tree")

    # The installed program runs on its own and reports the version the metainfo names.
    env = {k: v for k, v in os.environ.items() if not k.startswith("MIRVAK_")}
    env.update(QT_QPA_PLATFORM="offscreen", MIRVAK_TONE="none", PATH="/usr/bin:/bin")
    mirvak = os.path.join(prefix, "bin", "mirvak")
    r = run([mirvak, "--version"], env=env)
    check(r.returncode == 0 and f"({version})" in r.stdout, f"mirvak --version says {r.stdout!r}{r.stderr!r}")

    # The manual pages: clean for groff, and they explain every option of
    # their program's --help (Qt's own aside) and every variable Mirvak reads.
    pages = {}
    for program in ("mirvak", "mirvak-cli", "mirvak-phonesim"):
        with gzip.open(os.path.join(share, "man", "man1", f"{program}.1.gz"), "rt") as f:
            pages[program] = f.read()
        r = run(["groff", "-man", "-Tutf8", "-z", "-ww"], input=pages[program])
        check(r.returncode == 0 and not r.stderr, f"groff complains about {program}.1:\n{r.stderr}")
        check(f'"Mirvak {version}"' in pages[program], f"the header of {program}.1 lacks the version")
        plain = pages[program].replace("\\-", "-")
        usage = run([os.path.join(prefix, "bin", program), "--help"], env=env).stdout
        for option in sorted(set(re.findall(r"(?<![\w-])--[a-z-]+", usage)) - {"--help-all"}):
            check(option in plain, f"{program}.1 does not explain {option}")
    plain = pages["mirvak"].replace("\\-", "-")
    read = set()
    for d, _, files in os.walk(os.path.join(source, "src")):
        for f in files:
            with open(os.path.join(d, f), errors="replace") as src:
                read |= set(re.findall(r'(?:qgetenv|qEnvironmentVariable\w*)\(\s*(?:QStringLiteral\()?"(MIRVAK_[A-Z]+)', src.read()))
    check("MIRVAK_COM" in read and len(read) >= 4, f"variables found in the sources: {sorted(read)}")
    # Every source file names its licence.
    for top in ("src", "tools", "tests", "bench", "fuzz"):
        for d, _, files in os.walk(os.path.join(source, top)):
            for f in files:
                if f.endswith((".cpp", ".h", ".py", ".sh")) or f == "CMakeLists.txt":
                    with open(os.path.join(d, f), errors="replace") as text:
                        head = text.read(200)
                    check("SPDX-License-Identifier: GPL-2.0-or-later" in head,
                          f"{os.path.relpath(os.path.join(d, f), source)} has no SPDX line")
    for name in sorted(read):
        check(name in plain, f"mirvak.1 does not explain {name}")
    for topic in ("QXsms.phb", "dialout", "/dev/ttyUSB", "COM16"):
        check(topic in plain, f"mirvak.1 does not mention {topic}")
    cli_page = pages["mirvak-cli"].replace("\\-", "-")
    for topic in ("phonebook write", "--clear-others", "sms send", "melody store", "ports", "EXIT STATUS",
                  "could not be used", "no half-written file"):
        check(topic in cli_page, f"mirvak-cli.1 does not mention {topic}")
    for topic in ("--data-dir", "XDG_DATA_HOME", "Find phone", "ID_MM_DEVICE_IGNORE", "brltty"):
        check(topic in plain, f"mirvak.1 does not mention {topic}")

    # The licence: the text at the top of the tree, the metainfo's licence,
    # and a copyright file Debian's tools can read.
    with open(os.path.join(source, "LICENSE")) as f:
        check("GNU GENERAL PUBLIC LICENSE" in f.read(2000), "LICENSE is not the GPL")
    check(meta.findtext("project_license") == "GPL-2.0-or-later",
          f"metainfo project_license {meta.findtext('project_license')!r}")
    with open(os.path.join(share, "doc/mirvak/copyright")) as f:
        copyright = f.read()
    check(copyright.startswith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"),
          "the copyright file is not in the machine-readable format")
    check("License: GPL-2.0-or-later" in copyright, "the copyright file does not name GPL-2.0-or-later")

    # The completion file loads in bash and completes the commands.
    completion = os.path.join(share, "bash-completion/completions/mirvak-cli")
    r = run(["bash", "-n", completion])
    check(r.returncode == 0, f"bash rejects the completion file:\n{r.stderr}")
    if os.path.isfile("/usr/share/bash-completion/bash_completion"):
        script = (f"source /usr/share/bash-completion/bash_completion; source {completion}; "
                  "COMP_WORDS=(mirvak-cli phonebook ''); COMP_CWORD=2; COMP_LINE='mirvak-cli phonebook '; "
                  "COMP_POINT=${#COMP_LINE}; _mirvak_cli; echo \"${COMPREPLY[*]}\"")
        r = run(["bash", "-c", script])
        check(r.stdout.split() == ["read", "write"], f"completion after 'phonebook' offers {r.stdout!r}{r.stderr!r}")

    r = run([os.path.join(prefix, "bin", "mirvak-cli"), "--version"], env=env)
    check(r.returncode == 0 and r.stdout.strip() == f"mirvak-cli {version}", f"mirvak-cli --version says {r.stdout!r}")

    # Debian's checker on a package of this build, when it is installed.
    if shutil.which("lintian"):
        debs = os.path.join(tmp, "deb")
        r = run([os.path.join(os.path.dirname(cmake), "cpack"), "--config", os.path.join(build, "CPackConfig.cmake"), "-B", debs], timeout=600)
        found = [os.path.join(debs, f) for f in os.listdir(debs) if f.endswith(".deb")] if os.path.isdir(debs) else []
        if check(r.returncode == 0 and len(found) == 1, f"cpack made {found}:\n{r.stdout}{r.stderr}"):
            # lintian counts the hardening tags as information, shown with -I.
            # A sanitizer build is not position-independent, by choice.
            r = run(["lintian", "--fail-on", "error,warning"]
                    + (["-I"] if hardened else [])
                    + (["--suppress-tags", "hardening-no-pie"] if sanitized else []) + [found[0]], timeout=600)
            tags = [l for l in r.stdout.splitlines() if l[:2] in ("E:", "W:") or ": hardening-" in l]
            check(r.returncode == 0 and not tags, f"lintian on the package:\n{r.stdout}{r.stderr}")

    with gzip.open(os.path.join(prefix, "share/doc/mirvak/changelog.gz"), "rt") as f:
        check(f.readline().startswith(f"mirvak ({version})"), "the changelog's newest entry is not this version")

    # --demo from the installed tree finds the simulator beside it, nowhere else.
    env["PATH"] = "/nonexistent"
    sim = os.path.join(prefix, "bin", "mirvak-phonesim")
    # Started as the menu starts it: the book file goes to the data folder.
    env["XDG_DATA_HOME"] = os.path.join(tmp, "data")
    p = subprocess.Popen([mirvak, "--demo", "--data-dir"], cwd=tmp, env=env, stderr=subprocess.PIPE)
    said = read_until(p.stderr, "simulated phone", 60)
    check("simulated phone on /dev/" in said, f"installed mirvak --demo said {said!r}")
    # Its simulator, to be watched going away with it.
    sims = [pid for pid in filter(str.isdigit, os.listdir("/proc")) if exe_of(pid) == sim]
    check(len(sims) == 1, f"installed mirvak --demo runs {len(sims)} simulated phones")
    gone = [os.pidfd_open(int(pid)) for pid in sims]
    p.send_signal(signal.SIGTERM)
    try:
        p.communicate(timeout=60)
        check(p.returncode == 0, f"mirvak --demo exited with {p.returncode} on SIGTERM")
    except subprocess.TimeoutExpired:
        p.kill()
        p.communicate()
        check(False, "installed mirvak --demo did not close on SIGTERM")
    check(os.path.isfile(os.path.join(tmp, "data", "mirvak", "QXsms.phb")) and
          not os.path.exists(os.path.join(tmp, "QXsms.phb")),
          f"mirvak --data-dir kept its book file elsewhere: {sorted(os.listdir(tmp))}")
    # A pidfd turns readable when its process ends.
    if gone:
        ended, _, _ = select.select(gone, [], [], 10)
        check(len(ended) == len(gone), f"the simulated phone outlived mirvak: pids {sims}")
    for fd in gone:
        os.close(fd)
finally:
    shutil.rmtree(tmp, ignore_errors=True)

for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
