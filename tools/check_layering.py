#!/usr/bin/env python3
"""Fails when a source file includes a header of a folder above its own, or a system header that
belongs behind the platform layer.

The libraries are layered platform <- controls, toolbar <- themed <- themes <- contacts; a header
of a later folder included from an earlier one would tie the lower layer to the program. Headers
are found by the path written in the include ("contacts/shared/Utility.h") or, for a bare name,
by the folder that holds a header of that name.

The window system, the image codec, the database engine and the message bus are reached through
src/platform only: no other folder includes their headers, and no header at all includes X11,
xcb or D-Bus headers (their macros and types would leak into everything that includes it).
"""
import os
import re
import sys

ORDER = {'platform': 0, 'controls': 1, 'toolbar': 1, 'themed': 2, 'themes': 3, 'contacts': 4}
SYSTEM = re.compile(r'^(X11/|xcb/|jpeglib\.h$|jerror\.h$|sqlite3\.h$|QDBus|QtDBus/|dbus/)')
IN_NO_HEADER = re.compile(r'^(X11/|xcb/|QDBus|QtDBus/|dbus/)')
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
                    rel = os.path.relpath(path, root)
                    if folder != 'platform' and SYSTEM.match(inc):
                        faults.append(f'{rel}: includes system header {inc} outside src/platform')
                    elif name.endswith('.h') and IN_NO_HEADER.match(inc):
                        faults.append(f'{rel}: includes system header {inc} in a header')
    for line in faults:
        print(line)
    if faults:
        print(f'{len(faults)} include(s) break the layering', file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..')))
