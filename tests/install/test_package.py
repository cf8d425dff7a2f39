"""tools/package: the three release files named with the project version; unsigned without a
certificate, and saying so; every signature verifying with one. Leaves in ZOVI_DIST what the
installation tests install: this release signed with a certificate made here, and an older one."""

import os
import struct
import subprocess
import sys
import tempfile
import zipfile

ROOT, SCR, VERSION, DIST = (os.environ[k] for k in ("ZOVI_ROOT", "ZOVI_SCR", "ZOVI_VERSION", "ZOVI_DIST"))
OLDER = "0.9.0"


def package(*args):
    done = subprocess.run([os.path.join(ROOT, "tools", "package"), *args], capture_output=True, text=True)
    assert done.returncode == 0, done.stdout + done.stderr
    return done.stdout


def release(folder, version=VERSION):
    return [os.path.join(folder, name % version) for name in ("zovi-%s-setup.exe", "zovi-%s.msi", "zovi-%s.zip")]


def program_in(zip_path):
    with zipfile.ZipFile(zip_path) as archive:
        assert sorted(archive.namelist()) == ["INSTALL.txt", "zovi.scr"]
        return archive.read("zovi.scr")


def verifies(path, ca):
    return subprocess.run(["osslsigncode", "verify", "-CAfile", ca, "-in", path],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def msi_table(path, table):
    return subprocess.run(["msiinfo", "export", path, table], capture_output=True, text=True, check=True).stdout


def older_program(path):
    """The built saver as an older release would carry it: its fixed version info says 0.9.0.0."""
    data = bytearray(open(SCR, "rb").read())
    fixed = data.index(struct.pack("<I", 0xFEEF04BD))
    data[fixed + 8:fixed + 24] = struct.pack("<IIII", 9, 0, 9, 0)
    open(path, "wb").write(data)


def main():
    os.makedirs(DIST, exist_ok=True)
    for name in os.listdir(DIST):
        os.remove(os.path.join(DIST, name))
    with tempfile.TemporaryDirectory() as work:
        said = package("--out", os.path.join(work, "unsigned"))
        assert "unsigned" in said, said
        setup, msi, archive = release(os.path.join(work, "unsigned"))
        assert sorted(os.listdir(os.path.join(work, "unsigned"))) == sorted(map(os.path.basename, (setup, msi, archive)))
        assert program_in(archive) == open(SCR, "rb").read()
        assert not verifies(setup, "/dev/null")
        assert "ProductVersion\t%s\n" % VERSION in msi_table(msi, "Property")
        assert "\t%s.0\t" % VERSION in msi_table(msi, "File"), "the program's file version"

        cert, pem = os.path.join(work, "cert.pfx"), os.path.join(DIST, "cert.pem")
        os.environ["ZOVI_SIGN_PASSWORD"] = "test password"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                        "/CN=Zovi test signing", "-addext", "extendedKeyUsage=codeSigning",
                        "-keyout", os.path.join(work, "key.pem"), "-out", pem], check=True, capture_output=True)
        subprocess.run(["openssl", "pkcs12", "-export", "-inkey", os.path.join(work, "key.pem"), "-in", pem,
                        "-out", cert, "-passout", "env:ZOVI_SIGN_PASSWORD"], check=True)
        said = package("--sign", cert, "--out", DIST)
        assert "signed and verified: uninstall.exe" in said, said
        setup, msi, archive = release(DIST)
        with open(os.path.join(work, "zovi.scr"), "wb") as scr:
            scr.write(program_in(archive))
        for path in (setup, msi, os.path.join(work, "zovi.scr")):
            assert verifies(path, pem), os.path.basename(path) + " is not signed by the certificate"

        older_program(os.path.join(work, "older.scr"))
        package("--program", os.path.join(work, "older.scr"), "--version", OLDER, "--out", DIST)
    print("passed: packages of %s (unsigned and signed) and of %s" % (VERSION, OLDER))


if __name__ == "__main__":
    try:
        main()
    except AssertionError as failure:
        print("FAILED:", failure)
        sys.exit(1)
