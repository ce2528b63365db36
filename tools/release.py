#!/usr/bin/env python3
"""The release archives' pieces, byte for byte the same from the same inputs, wherever and
whenever they are made.

    release.py text VERSION OUT SOURCE... [--bom]
                                                 the SOURCEs, a blank line apart, with
                                                 @PROJECT_VERSION@ filled and CR LF line ends (and
                                                 a UTF-8 byte-order mark), as Notepad on any
                                                 Windows reads them
    release.py zip EPOCH OUT.zip FILE...         FILEs, by their names, in the order given, each
                                                 dated EPOCH (seconds, UTC)
    release.py sums FOLDER                       FOLDER/SHA256SUMS for every .zip and .deb there

Exit status 0, 1 on a failure to read or write, 2 on bad usage.
"""

import hashlib
import os
import sys
import time
import zipfile

from common import write_if_changed

BOM = "\ufeff"


def windows_text(text, version, bom):
    text = text.replace("@PROJECT_VERSION@", version)
    lines = text.replace("\r\n", "\n").split("\n")
    return ((BOM if bom else "") + "\r\n".join(lines)).encode("utf-8")


def zip_time(epoch):
    # A zip holds local times from 1980 on, two seconds apart; the UTC calendar of EPOCH is used
    # so that the time zone of the build leaves no trace.
    return max(time.gmtime(epoch)[:6], (1980, 1, 1, 0, 0, 0))


def write_zip(out, epoch, files):
    stamp = zip_time(epoch)
    with zipfile.ZipFile(out, "w") as archive:
        for path in files:
            info = zipfile.ZipInfo(os.path.basename(path), stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3  # attributes given as Unix modes, whoever unzips it
            info.external_attr = 0o100644 << 16
            with open(path, "rb") as f:
                archive.writestr(info, f.read(), compresslevel=9)


def write_sums(folder):
    lines = []
    for name in sorted(os.listdir(folder)):
        if name.endswith((".zip", ".deb")):
            with open(os.path.join(folder, name), "rb") as f:
                lines.append("%s  %s\n" % (hashlib.sha256(f.read()).hexdigest(), name))
    write_if_changed(os.path.join(folder, "SHA256SUMS"), "".join(lines).encode("ascii"))


def main(argv):
    try:
        if len(argv) >= 5 and argv[1] == "text":
            bom = argv[-1] == "--bom"
            texts = []
            for path in argv[4:len(argv) - bom]:
                with open(path, encoding="utf-8") as f:
                    texts.append(f.read().rstrip("\n") + "\n")
            write_if_changed(argv[3], windows_text("\n".join(texts), argv[2], bom))
        elif len(argv) >= 5 and argv[1] == "zip" and argv[2].isdigit():
            write_zip(argv[3], int(argv[2]), argv[4:])
        elif len(argv) == 3 and argv[1] == "sums":
            write_sums(argv[2])
        else:
            print(__doc__.strip().split("\n\n")[1], file=sys.stderr)
            return 2
    except OSError as e:
        print("release.py: %s: %s" % (e.filename, e.strerror), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
