"""tools/package: the three release files named with the version; every signature verifying with a
certificate, all unsigned without one, and the command saying so. Leaves in ZOVI_DIST what the
installation tests install: this release signed with a certificate made here, and an older one."""

import os
import shutil
import struct
import subprocess
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
from zovi_e2e import run_test  # noqa: E402

ROOT, SCR, VERSION, DIST = (os.environ[k] for k in ("ZOVI_ROOT", "ZOVI_SCR", "ZOVI_VERSION", "ZOVI_DIST"))
OLDER, PEM, WORK = "0.9.0", os.path.join(DIST, "cert.pem"), os.path.join(DIST, "work")


def package(*args):
    done = subprocess.run([os.path.join(ROOT, "tools", "package"), *args, "--out", DIST], capture_output=True,
                          text=True)
    assert done.returncode == 0, done.stdout + done.stderr
    return done.stdout


def release(version):
    return [os.path.join(DIST, "zovi-%s%s" % (version, end)) for end in ("-setup.exe", ".msi", ".zip")]


def program_in(zip_path):
    with zipfile.ZipFile(zip_path) as archive:
        assert sorted(archive.namelist()) == ["INSTALL.txt", "zovi.scr"]
        return archive.read("zovi.scr")


def signed(path):
    verify = ["osslsigncode", "verify", "-CAfile", PEM, "-in", path]
    return subprocess.run(verify, capture_output=True).returncode == 0


def test_signed_release_and_unsigned_older_one():
    shutil.rmtree(DIST, ignore_errors=True)
    os.makedirs(WORK)
    key, pfx = os.path.join(WORK, "key.pem"), os.path.join(WORK, "cert.pfx")
    os.environ["ZOVI_SIGN_PASSWORD"] = "test password"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                    "/CN=Zovi test signing", "-addext", "extendedKeyUsage=codeSigning", "-keyout", key,
                    "-out", PEM], check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", PEM, "-out", pfx, "-passout",
                    "env:ZOVI_SIGN_PASSWORD"], check=True)
    said = package("--sign", pfx)
    assert "signed and verified: uninstall.exe" in said, said
    setup, msi, archive = release(VERSION)
    open(os.path.join(WORK, "zovi.scr"), "wb").write(program_in(archive))
    assert all(map(signed, (setup, msi, os.path.join(WORK, "zovi.scr"))))
    tables = subprocess.run(["msiinfo", "export", msi, "Property"], capture_output=True, text=True).stdout + \
        subprocess.run(["msiinfo", "export", msi, "File"], capture_output=True, text=True).stdout
    assert "ProductVersion\t%s\n" % VERSION in tables and "\t%s.0\t" % VERSION in tables, tables

    # The older program as its release carries it: the built one, its file version set to 0.9.0.0.
    older = bytearray(open(SCR, "rb").read())
    fixed = older.index(struct.pack("<I", 0xFEEF04BD))
    older[fixed + 8:fixed + 24] = struct.pack("<IIII", 9, 0, 9, 0)
    open(os.path.join(WORK, "older.scr"), "wb").write(older)
    said = package("--program", os.path.join(WORK, "older.scr"), "--version", OLDER)
    assert "unsigned" in said, said
    setup, msi, archive = release(OLDER)
    assert program_in(archive) == older and not signed(setup) and not signed(msi)
    shutil.rmtree(WORK)
    names = [os.path.basename(p) for v in (VERSION, OLDER) for p in release(v)] + ["cert.pem"]
    assert sorted(os.listdir(DIST)) == sorted(names)


if __name__ == "__main__":
    run_test(test_signed_release_and_unsigned_older_one)
