#!/usr/bin/env python3
"""fiskon-cli pdf --sign with a real NSS database, a real card (SoftHSM2) and real verifiers.

Every signed file is verified twice: by pdfsig (poppler) with the taxpayer's PESEL, and apart from
poppler by `openssl cms -verify` over the bytes the signature's /ByteRange names, against the
test CA. qpdf shows that the file stays locked (R=6, AES-256) and opens with the PESEL only.

Usage: signing_cli_test.py FISKON_CLI MAKE_TEST_PKI
Exits 77 (skipped) when the card or NSS tools are not installed.
"""
import binascii
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

CLI, MAKE_PKI = sys.argv[1], sys.argv[2]
PKI = None  # the folder of make-test-pki, made once
CARD = "fiskon-karta:Karta Testowa"

SURNAMES = ["KOWALSKI", "WIŚNIEWSKA", "ZIELIŃSKI", "DĄBROWSKA", "LEWANDOWSKI", "SZYMAŃSKA", "WÓJCIK", "KAMIŃSKA"]


def pesel(number):
    """A PESEL with a right check digit, born in 1980-1988, distinct for each number."""
    digits = "%02d%02d%02d%04d" % (80 + number % 9, 1 + number % 12, 1 + number % 28, number)
    weights = [1, 3, 7, 9, 1, 3, 7, 9, 1, 3]
    check = (10 - sum(int(d) * w for d, w in zip(digits, weights)) % 10) % 10
    return digits + str(check)


def write_register(path, count):
    people = []
    with open(path, "wb") as out:
        for number in range(1, count + 1):
            surname = SURNAMES[number % len(SURNAMES)] + "-" + "ABCDEFGHIJ"[number % 10] * (1 + number // 10 % 3)
            first = ["ANNA", "JAN", "EWA", "PIOTR", "ZOFIA"][number % 5]
            person = (surname, first, pesel(number))
            people.append(person)
            lines = ["[s%d]" % number, "nazwisko=" + surname, "imie1=" + first, "pesel=" + person[2],
                     "dataUr=19%s-%s-%s" % (person[2][0:2], person[2][2:4], person[2][4:6]), "kraj=POLSKA",
                     "us=Pierwszy Urząd Skarbowy Kraków", "p11_34=%d.%02d" % (40000 + 137 * number, number % 100), ""]
            out.write("\r\n".join(lines).encode("cp1250"))
        out.write(("\r\n[Parametry]\r\nLiczbaRekordow=%d\r\n" % count).encode("cp1250"))
    return people


def read(path):
    with open(path, "rb") as file:
        return file.read()


def write(path, data):
    with open(path, "wb") as file:
        file.write(data)


def run(*arguments, **options):
    env = dict(os.environ, SOFTHSM2_CONF=os.path.join(PKI, "softhsm2.conf"))
    return subprocess.run([CLI, *arguments], capture_output=True, text=True, env=env, **options)


def signatures(path):
    """The /ByteRange of every signature, and the bytes and CMS of the last."""
    data = read(path)
    ranges = [tuple(map(int, r)) for r in
              re.findall(rb"/ByteRange\s*\[\s*(\d+)\s+(\d+)\s+(\d+)\s+(\d+)\s*\]", data)]
    return data, ranges


class SignedFiles(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="fiskon-podpis-test-")
        self.register = os.path.join(self.work, "podatnicy.txt")
        self.people = write_register(self.register, 5)
        with open(os.path.join(self.work, "zly-pin.txt"), "w") as wrong:
            wrong.write("9999\n")

    def tearDown(self):
        shutil.rmtree(self.work)

    def assertSignedWhole(self, path, password):
        data, ranges = signatures(path)
        self.assertEqual(len(ranges), 1, path)
        a, b, c, d = ranges[0]
        self.assertEqual((a, c + d), (0, len(data)), "the signature covers the whole file")
        placeholder = data[a + b:c].strip()
        self.assertTrue(placeholder.startswith(b"<") and placeholder.endswith(b">"))
        cms = os.path.join(self.work, "podpis.der")
        content = os.path.join(self.work, "tresc.bin")
        write(cms, binascii.unhexlify(placeholder[1:-1]))  # BER: zero padding after its end
        write(content, data[a:a + b] + data[c:c + d])
        verified = subprocess.run(["openssl", "cms", "-verify", "-binary", "-inform", "DER", "-in", cms,
                                   "-content", content, "-CAfile", os.path.join(PKI, "ca.pem"), "-purpose", "any",
                                   "-out", os.devnull], capture_output=True, text=True)
        self.assertEqual(verified.returncode, 0, verified.stderr)
        pdfsig = subprocess.run(["pdfsig", "-nssdir", "sql:" + os.path.join(PKI, "verifydb"), "-upw", password, path],
                                capture_output=True, text=True)
        self.assertIn("Signature Validation: Signature is Valid.", pdfsig.stdout)
        self.assertIn("Total document signed", pdfsig.stdout)
        self.assertIn("Signing Hash Algorithm: SHA-256", pdfsig.stdout)
        return pdfsig.stdout

    def assertLockedWith(self, path, password):
        shown = subprocess.run(["qpdf", "--show-encryption", "--password=" + password, path],
                               capture_output=True, text=True).stdout
        self.assertIn("R = 6", shown)
        self.assertIn("file encryption method: AESv3", shown)
        self.assertIn("Supplied password is user password", shown)
        refused = subprocess.run(["qpdf", "--check", "--password=00000000000", path], capture_output=True, text=True)
        self.assertNotEqual(refused.returncode, 0)

    def test_each_file_locked_and_signed_on_the_card(self):
        folder = os.path.join(self.work, "pliki")
        done = run("pdf", self.register, "--form", "pit11", "--each", folder, "--password", "pesel",
                   "--sign", CARD, "--pin-file", os.path.join(PKI, "pin.txt"), "--nss-db", os.path.join(PKI, "nssdb"))
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertNotIn("NSS", done.stderr)  # nothing of the libraries' own shutdown
        files = sorted(os.listdir(folder))
        self.assertEqual(len(files), len(self.people))
        for person in self.people:
            name = "%s_%s.pdf" % (person[0].replace(" ", "_"), person[1])
            self.assertIn(name, files)
            path = os.path.join(folder, name)
            shown = self.assertSignedWhole(path, person[2])
            self.assertIn("Signer Certificate Common Name: Karta Testowa", shown)
            self.assertLockedWith(path, person[2])
            # An invisible signature carries no font of its own: the file stays near its unsigned size.
            self.assertLess(os.path.getsize(path), 60_000)

    def test_one_pdf_signed_with_a_key_of_the_database(self):
        out = os.path.join(self.work, "wszyscy.pdf")
        done = run("pdf", self.register, out, "--form", "pit40", "--tax-year", "2006", "--sign", "Podpis Testowy",
                   "--nss-db", os.path.join(PKI, "nssdb"))
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn("Signer Certificate Common Name: Podpis Testowy", self.assertSignedWhole(out, ""))
        rewritten = subprocess.run(["qpdf", "--qdf", "--object-streams=disable", out, "-"], capture_output=True).stdout
        reason = b"/Reason <feff" + binascii.hexlify("PIT-40 za rok 2006".encode("utf-16-be")) + b">"
        self.assertTrue(reason in rewritten, "the reason names the form and the year")

    def test_visible_signature_in_the_foot_of_the_first_page(self):
        out = os.path.join(self.work, "widoczny.pdf")
        done = run("pdf", self.register, out, "--form", "pit11", "--records", "2", "--sign", "Podpis Testowy",
                   "--nss-db", os.path.join(PKI, "nssdb"), "--visible-signature")
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertSignedWhole(out, "")
        text = subprocess.run(["pdftotext", "-f", "1", "-l", "1", out, "-"], capture_output=True, text=True).stdout
        self.assertIn("Podpisano elektronicznie:", " ".join(text.split()))

    def test_what_stops_before_the_first_file(self):
        nssdb = os.path.join(PKI, "nssdb")
        cases = [
            ("wrong PIN", [CARD, "--pin-file", os.path.join(self.work, "zly-pin.txt")], 1, "Nieprawidłowy PIN karty"),
            ("expired", ["Wygasły Testowy"], 1, "certyfikat wygasł 2021-01-01"),
            ("not for signing", ["Szyfrowanie Testowe"], 1, "nie służy do podpisu"),
            ("unknown", ["Nie Ma Takiego"], 1, "nie ma certyfikatu „Nie Ma Takiego”"),
            ("no PIN file", [CARD], 2, "--pin-file"),
        ]
        for label, sign, code, message in cases:
            with self.subTest(label):
                folder = os.path.join(self.work, "pliki-" + label.replace(" ", "-"))
                done = run("pdf", self.register, "--form", "pit11", "--each", folder, "--password", "pesel",
                           "--nss-db", nssdb, "--sign", *sign)
                self.assertEqual(done.returncode, code, done.stderr)
                self.assertIn(message, done.stderr)
                self.assertFalse(os.path.exists(folder) and os.listdir(folder), "no file written")
        # One wrong PIN was tried once and no more: the card still opens with the right one.
        done = run("pdf", self.register, os.path.join(self.work, "po.pdf"), "--form", "pit11", "--sign", CARD,
                   "--pin-file", os.path.join(PKI, "pin.txt"), "--nss-db", nssdb)
        self.assertEqual(done.returncode, 0, done.stderr)

    def test_certificates_lists_each_with_whether_it_signs(self):
        done = run("certificates", "--nss-db", os.path.join(PKI, "nssdb"))
        self.assertEqual(done.returncode, 0, done.stderr)
        rows = {line.split(";")[0]: line.split(";") for line in done.stdout.splitlines()}
        self.assertEqual(sorted(rows), sorted([CARD, "Podpis Testowy", "Szyfrowanie Testowe", "Wygasły Testowy"]))
        self.assertEqual(rows[CARD][1:3], ["Karta Testowa", "Testowe CA Fiskon"])
        self.assertEqual(rows[CARD][4], "tak")
        self.assertEqual(rows["Wygasły Testowy"][3:], ["2021-01-01", "nie: certyfikat wygasł 2021-01-01"])
        self.assertTrue(rows["Szyfrowanie Testowe"][4].startswith("nie: certyfikat nie służy do podpisu"))
        self.assertRegex(rows["Podpis Testowy"][3], r"^\d{4}-\d{2}-\d{2}$")


class CardTakenOut(unittest.TestCase):
    def test_card_removed_mid_batch_leaves_whole_signed_files(self):
        work = tempfile.mkdtemp(prefix="fiskon-karta-test-")
        pki = os.path.join(work, "pki")
        subprocess.run([MAKE_PKI, pki], check=True)
        register = os.path.join(work, "podatnicy.txt")
        people = write_register(register, 400)
        folder = os.path.join(work, "pliki")
        env = dict(os.environ, SOFTHSM2_CONF=os.path.join(pki, "softhsm2.conf"))
        messages = open(os.path.join(work, "komunikaty.txt"), "w+")  # a pipe nobody reads would stop the batch
        batch = subprocess.Popen([CLI, "pdf", register, "--form", "pit11", "--each", folder, "--password", "pesel",
                                  "--sign", CARD, "--pin-file", os.path.join(pki, "pin.txt"), "--nss-db",
                                  os.path.join(pki, "nssdb"), "--jobs", "2"],
                                 stdout=subprocess.DEVNULL, stderr=messages, text=True, env=env)
        deadline = time.time() + 120
        while batch.poll() is None and time.time() < deadline and not (os.path.isdir(folder) and os.listdir(folder)):
            time.sleep(0.02)
        subprocess.run(["softhsm2-util", "--delete-token", "--token", "fiskon-karta"], check=True, env=env,
                       capture_output=True)
        batch.wait(timeout=300)
        messages.seek(0)
        err = messages.read().splitlines()[-1]  # the findings of the forms come first
        messages.close()
        written = sorted(os.listdir(folder))
        self.assertEqual(batch.returncode, 1, err)
        self.assertIn("Karta „fiskon-karta” została wyjęta", err)
        self.assertRegex(err, r"Zapisano %d z 400 plików PDF" % len(written))
        self.assertTrue(0 < len(written) < 400, len(written))
        by_pesel = {p[2]: p for p in people}
        for name in written:  # whole and signed, each with its own PESEL
            path = os.path.join(folder, name)
            data, ranges = signatures(path)
            self.assertEqual(len(ranges), 1, name)
            self.assertEqual(ranges[0][2] + ranges[0][3], len(data), name)
        shutil.rmtree(work)


if __name__ == "__main__":
    if not all(shutil.which(tool) for tool in ("softhsm2-util", "certutil", "pk12util", "modutil", "pdfsig", "qpdf")):
        print("skipped: softhsm2, libnss3-tools, poppler-utils or qpdf not installed")
        sys.exit(77)
    holder = tempfile.mkdtemp(prefix="fiskon-pki-")
    PKI = os.path.join(holder, "pki")
    subprocess.run([MAKE_PKI, PKI], check=True)
    try:
        outcome = unittest.main(argv=[sys.argv[0], "-v"], exit=False)
    finally:
        shutil.rmtree(holder)
    sys.exit(0 if outcome.result.wasSuccessful() else 1)
