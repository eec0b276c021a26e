#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The layers only look down: app -> gui -> link -> core. A file's layer is
the first folder under src/, headers included; pages never touch the port."""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else '.'
src = os.path.join(root, 'src')
rank = {'core': 0, 'link': 1, 'gui': 2, 'app': 3}
port_call = re.compile(r'\bPort(Open|Close|Write|Read|Waiting|Purge|SetDtr|SetBreak|SendAhead)\s*\(')


def layer_of(relpath):
    return relpath.split('/', 1)[0] if '/' in relpath else None


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
            elif rank[theirs] > rank[mine]:
                faults.append(f'{rel}: {mine} includes {inc} of {theirs}')
            # The command line runs without a display: no page, no widget.
            if rel.startswith('app/cli/') and theirs == 'gui':
                faults.append(f'{rel}: the command line includes {inc}')
        if mine == 'gui' and port_call.search(text):
            faults.append(f'{rel}: a page talks to the serial port')

for f in faults:
    print(f)
print(f'{checked} files checked, {len(faults)} faults')
sys.exit(1 if faults else 0)
