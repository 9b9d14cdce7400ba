#!/usr/bin/env python3
"""Fails when a source file includes a header of a folder above its own.

The libraries are layered platform <- controls, toolbar <- themed <- themes <- contacts; a header
of a later folder included from an earlier one would tie the lower layer to the program. Headers
are found by the path written in the include ("contacts/shared/Utility.h") or, for a bare name,
by the folder that holds a header of that name.
"""
import os
import re
import sys

ORDER = {'platform': 0, 'controls': 1, 'toolbar': 1, 'themed': 2, 'themes': 3, 'contacts': 4}
# Folders on the same level must not reach each other either.
FORBIDDEN_IN = {}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.M)


def main(root):
    src = os.path.join(root, 'src')
    owner = {}
    for folder in ORDER:
        for dirpath, _, files in os.walk(os.path.join(src, folder)):
            for name in files:
                if name.endswith('.h'):
                    rel = os.path.relpath(os.path.join(dirpath, name), os.path.join(src, folder))
                    owner.setdefault(name, folder)
                    owner[folder + '/' + rel] = folder
                    owner[rel] = folder
    faults = []
    for folder in ORDER:
        for dirpath, _, files in os.walk(os.path.join(src, folder)):
            for name in files:
                if not name.endswith(('.h', '.cpp')):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding='utf-8') as f:
                    text = f.read()
                for inc in INCLUDE.findall(text):
                    target = owner.get(inc)
                    if target and target != folder and ORDER[target] >= ORDER[folder]:
                        faults.append(f'{os.path.relpath(path, root)}: includes {inc} from {target}/')
                    banned = FORBIDDEN_IN.get(folder)
                    if banned and banned.match(inc):
                        faults.append(f'{os.path.relpath(path, root)}: includes system header {inc}')
    for line in faults:
        print(line)
    if faults:
        print(f'{len(faults)} include(s) break the layering', file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..')))
