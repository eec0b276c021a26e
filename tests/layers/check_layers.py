#!/usr/bin/env python3
"""The layers only look down: gui -> link -> core. A file's layer is the
CMake target its .cpp is compiled into; pages never touch the serial port."""
import glob
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else '.'
src = os.path.join(root, 'src')
rank = {'mirvak_core': 0, 'mirvak_link': 1, 'mirvak_gui': 2}

layer = {}
for cmake in glob.glob(os.path.join(src, '**', 'CMakeLists.txt'), recursive=True):
    folder = os.path.dirname(cmake)
    for m in re.finditer(r'target_sources\((mirvak_\w+)\s+PRIVATE\s+([^)]*)\)', open(cmake).read()):
        for name in m.group(2).split():
            layer[os.path.normpath(os.path.join(folder, name))] = m.group(1)


def layer_of(path):
    return layer.get(path) or layer.get(os.path.splitext(path)[0] + '.cpp')


faults = []
pages = [os.path.join(src, 'Unit1', d) for d in ('shell', 'messaging', 'phonebooks', 'melodies', 'settings')]
for path in glob.glob(os.path.join(src, '**', '*.[ch]*'), recursive=True):
    path = os.path.normpath(path)
    text = open(path, encoding='utf-8', errors='replace').read()
    mine = layer_of(path)
    for inc in re.findall(r'#include "([^"]+)"', text):
        theirs = layer_of(os.path.normpath(os.path.join(src, inc)))
        if mine in rank and theirs in rank and rank[theirs] > rank[mine]:
            faults.append(f'{path}: {mine} includes {inc} of {theirs}')
    if mine == 'mirvak_gui' and any(path.startswith(p) for p in pages):
        if re.search(r'\bPort(Open|Close|Write|Read|Waiting|Purge|SetDtr|SetBreak|SendAhead)\s*\(', text):
            faults.append(f'{path}: a page talks to the serial port')

for f in faults:
    print(f)
print(f'{len(layer)} files checked, {len(faults)} faults')
sys.exit(1 if faults else 0)
