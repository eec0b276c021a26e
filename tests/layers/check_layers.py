#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The layers only look down: app -> gui -> link or store -> core, link and
store side by side, neither knowing the other. A file's layer is the first
folder under src/, headers included; pages never touch the port, and link,
store, core and the command line never name a type of the window's, even
one they could see without an include (a forward declaration, a page id)."""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else '.'
src = os.path.join(root, 'src')
rank = {'core': 0, 'link': 1, 'store': 1, 'gui': 2, 'app': 3}
port_call = re.compile(r'\b(ComPort1|SerialPort\s*&\s*\w+)\b.*\b(open|close|write|read|bytesWaiting|purge|setDtr|setBreak|sendAhead)\s*\(')
comment = re.compile(r'//[^\n]*|/\*.*?\*/', re.S)


def layer_of(relpath):
    return relpath.split('/', 1)[0] if '/' in relpath else None


def gui_types():
    names = set()
    for folder, _, files in os.walk(os.path.join(src, 'gui')):
        for name in files:
            if name.endswith('.h'):
                text = comment.sub('', open(os.path.join(folder, name), encoding='utf-8', errors='replace').read())
                names.update(re.findall(r'^(?:class|struct|namespace|enum(?:\s+class)?)\s+(\w+)\s*[:{]', text, re.M))
    return names


window_types = gui_types()
window_word = re.compile(r'\b(' + '|'.join(sorted(window_types)) + r')\b') if window_types else None
faults = []
checked = 0
for folder, _, names in os.walk(src):
    for name in names:
        if not name.endswith(('.h', '.cpp')):
            continue
        path = os.path.join(folder, name)
        rel = os.path.relpath(path, src).replace(os.sep, '/')
        mine = layer_of(rel)
        if mine not in rank:
            faults.append(f'{rel}: not under one of {", ".join(rank)}')
            continue
        checked += 1
        text = open(path, encoding='utf-8', errors='replace').read()
        for inc in re.findall(r'#include "([^"]+)"', text):
            theirs = layer_of(inc)
            if theirs not in rank:
                faults.append(f'{rel}: includes "{inc}", which is not written from src/')
            elif rank[theirs] > rank[mine] or (rank[theirs] == rank[mine] and theirs != mine):
                faults.append(f'{rel}: {mine} includes {inc} of {theirs}')
            # The command line runs without a display: no page, no widget.
            if rel.startswith('app/cli/') and theirs == 'gui':
                faults.append(f'{rel}: the command line includes {inc}')
        code = comment.sub('', text)
        if mine == 'gui' and any(port_call.search(line) for line in code.splitlines()):
            faults.append(f'{rel}: a page talks to the serial port')
        if window_word and (mine in ('core', 'link', 'store') or rel.startswith('app/cli/')):
            code = re.sub(r'"(?:\\.|[^"\\])*"', '""', code)
            for m in sorted(set(window_word.findall(code))):
                faults.append(f'{rel}: {mine} names the window\'s type {m}')

for f in faults:
    print(f)
print(f'{checked} files checked, {len(faults)} faults')
sys.exit(1 if faults else 0)
