"""tools/package's three files, signed and verified with a certificate, unsigned without: left for the install test."""

import os
import shutil
import struct
import subprocess
import zipfile

ROOT, SCR, VERSION, DIST = (os.environ[k] for k in ("ZOVI_ROOT", "ZOVI_SCR", "ZOVI_VERSION", "ZOVI_DIST"))
OLDER, PEM, WORK = "0.9.0", os.path.join(DIST, "cert.pem"), os.path.join(DIST, "work")


def package(version, *args):
    """What tools/package says, and the release it made: the setup, the MSI and the program in the zip."""
    run = subprocess.run([os.path.join(ROOT, "tools", "package"), *args, "--out", DIST], capture_output=True, text=True)
    assert run.returncode == 0, run.stdout + run.stderr
    setup, msi, archive = (os.path.join(DIST, "zovi-%s%s" % (version, end)) for end in ("-setup.exe", ".msi", ".zip"))
    with zipfile.ZipFile(archive) as files:
        assert sorted(files.namelist()) == ["INSTALL.txt", "zovi.scr"]
        return run.stdout, setup, msi, files.read("zovi.scr")


def signed(path):
    return subprocess.run(["osslsigncode", "verify", "-CAfile", PEM, "-in", path], capture_output=True).returncode == 0


def test_signed_release_and_unsigned_older_one():
    shutil.rmtree(DIST, ignore_errors=True)
    os.makedirs(WORK)
    key, pfx, program = (os.path.join(WORK, name) for name in ("key.pem", "cert.pfx", "zovi.scr"))
    os.environ["ZOVI_SIGN_PASSWORD"] = "test password"
    subprocess.run([*"openssl req -x509 -newkey rsa:2048 -nodes -days 2 -addext extendedKeyUsage=codeSigning".split(),
                    "-subj", "/CN=Zovi test signing", "-keyout", key, "-out", PEM], check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", PEM, "-out", pfx, "-passout",
                    "env:ZOVI_SIGN_PASSWORD"], check=True)
    said, setup, msi, built = package(VERSION, "--sign", pfx)
    assert "signed and verified: uninstall.exe" in said, said
    open(program, "wb").write(built)
    assert all(map(signed, (setup, msi, program)))
    tables = subprocess.run(["msiinfo", "export", msi, "Property"], capture_output=True, text=True).stdout + \
        subprocess.run(["msiinfo", "export", msi, "File"], capture_output=True, text=True).stdout
    assert "ProductVersion\t%s\n" % VERSION in tables and "\t%s.0\t" % VERSION in tables, tables

    # The older program as its release carries it: the built one, its file version set to 0.9.0.0.
    older = bytearray(open(SCR, "rb").read())
    fixed = older.index(struct.pack("<I", 0xFEEF04BD))
    older[fixed + 8:fixed + 24] = struct.pack("<IIII", 9, 0, 9, 0)
    open(program, "wb").write(older)
    said, setup, msi, built = package(OLDER, "--program", program, "--version", OLDER)
    assert "unsigned" in said and built == older and not signed(setup) and not signed(msi), said
    shutil.rmtree(WORK)
    assert sorted(os.listdir(DIST)) == sorted(["cert.pem"] + ["zovi-%s%s" % (v, end) for v in (VERSION, OLDER)
                                                              for end in ("-setup.exe", ".msi", ".zip")])


if __name__ == "__main__":
    test_signed_release_and_unsigned_older_one()
    print("passed: test_signed_release_and_unsigned_older_one")
