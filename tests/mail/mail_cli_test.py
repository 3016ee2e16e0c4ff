#!/usr/bin/python3
"""fiskon-cli mail against a real SMTP server on the loopback (aiosmtpd, tests/mail/smtp_test_server.py)
with STARTTLS, AUTH and a test CA made here by openssl, and the server's faults.

Each received message is parsed as a mail reader does: its recipient, its subject and text (no PESEL
in them), its attachment's name and bytes; the attachment must open with that recipient's PESEL and
with no other (qpdf), and the delivery record's Message-ID and SHA-256 must be what arrived.

Usage: mail_cli_test.py FISKON_CLI
Exits 77 (skipped) when aiosmtpd, openssl or qpdf are not installed.
"""
import csv
import email
import email.policy
import hashlib
import io
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

CLI = sys.argv[1]
HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "smtp_test_server.py")
PKI = None  # made once: ca.pem, server.pem/.key, and a server pair of an authority nobody trusts
SMTP_PASSWORD = "tajne-hasło"
SURNAMES = ["KOWALSKI", "WIŚNIEWSKA", "ZIELIŃSKI", "DĄBROWSKA", "LEWANDOWSKI", "SZYMAŃSKA", "WÓJCIK", "KAMIŃSKA"]
FIRST_NAMES = ["ANNA", "JAN", "EWA", "PIOTR", "ŻANETA"]


def pesel(number):
    digits = "%02d%02d%02d%04d" % (70 + number % 19, 1 + number % 12, 1 + number % 28, number)
    weights = [1, 3, 7, 9, 1, 3, 7, 9, 1, 3]
    return digits + str((10 - sum(int(d) * w for d, w in zip(digits, weights)) % 10) % 10)


def nip(number):
    weights = [6, 5, 7, 2, 3, 4, 5, 6, 7]
    for attempt in range(20):
        digits = "%09d" % (100000000 + number * 7919 + attempt)
        check = sum(int(d) * w for d, w in zip(digits, weights)) % 11
        if check != 10:
            return digits + str(check)


def write_register(path, count, without_address=()):
    """Taxpayers with distinct values in every field; the register is sorted by surname on opening,
    so each is returned with the address that identifies it."""
    people = []
    with open(path, "wb") as out:
        for number in range(1, count + 1):
            surname = SURNAMES[number % len(SURNAMES)] + "-" + "%03d" % number
            first = FIRST_NAMES[number % len(FIRST_NAMES)]
            address = "" if number in without_address else "osoba.%03d@example.pl" % number
            people.append({"surname": surname, "first": first, "pesel": pesel(number), "address": address})
            lines = ["[s%d]" % number, "nazwisko=" + surname, "imie1=" + first, "pesel=" + pesel(number),
                     "dataUr=19%s-%s-%s" % (pesel(number)[0:2], pesel(number)[2:4], pesel(number)[4:6]),
                     "kraj=POLSKA", "miejsc=KRAKÓW %d" % number, "nip=%s" % nip(number), "us=Pierwszy Urząd Skarbowy Kraków",
                     "p11_34=%d.%02d" % (40000 + 137 * number, number % 100)]
            if address:
                lines.append("email=" + address)
            out.write(("\r\n".join(lines) + "\r\n").encode("cp1250"))
        out.write(("\r\n[Parametry]\r\nLiczbaRekordow=%d\r\n" % count).encode("cp1250"))
    return sorted(people, key=lambda p: p["surname"])


def openssl(*arguments, cwd):
    subprocess.run(["openssl", *arguments], cwd=cwd, check=True, capture_output=True)


def make_pki(folder):
    for authority in ("ca", "obcy-ca"):
        openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Fiskon test " + authority,
                "-keyout", authority + ".key", "-out", authority + ".pem", cwd=folder)
        name = "server" if authority == "ca" else "obcy-server"
        openssl("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", name + ".key",
                "-out", name + ".csr", cwd=folder)
        with open(os.path.join(folder, "san.ext"), "w") as ext:
            ext.write("subjectAltName=IP:127.0.0.1,DNS:localhost\n")
        openssl("x509", "-req", "-in", name + ".csr", "-CA", authority + ".pem", "-CAkey", authority + ".key",
                "-CAcreateserial", "-days", "2", "-extfile", "san.ext", "-out", name + ".pem", cwd=folder)


class Server:
    """One run of the test server, its received messages in `folder`."""

    def __init__(self, folder, *options, pair="server"):
        self.folder = folder
        os.makedirs(folder)
        self.log = open(os.path.join(folder, "server.log"), "w")
        self.process = subprocess.Popen(
            ["/usr/bin/python3", SERVER, "--dir", folder, "--cert", os.path.join(PKI, pair + ".pem"),
             "--key", os.path.join(PKI, pair + ".key"), "--password", SMTP_PASSWORD, *options], stdout=self.log, stderr=self.log)
        port_file = os.path.join(folder, "port")
        for _ in range(200):
            if os.path.exists(port_file):
                break
            if self.process.poll() is not None:
                raise RuntimeError("the test server did not start")
            time.sleep(0.05)
        with open(port_file) as port:
            scheme = "smtps" if "implicit" in options else "smtp"
            self.url = scheme + "://127.0.0.1:" + port.read().strip()

    def stop(self):
        self.process.terminate()
        self.process.wait(10)
        self.log.close()

    def received(self):
        """(envelope, parsed message, raw bytes) of every accepted message, in order."""
        log = os.path.join(self.folder, "received.jsonl")
        if not os.path.exists(log):
            return []
        messages = []
        with open(log) as lines:
            for line in lines:
                envelope = json.loads(line)
                with open(os.path.join(self.folder, envelope["file"]), "rb") as raw:
                    data = raw.read()
                messages.append((envelope, email.message_from_bytes(data, policy=email.policy.default), data))
        return messages

    def connections(self):
        with open(os.path.join(self.folder, "connections.log")) as log:
            return len(log.readlines())


def read_record(path):
    with open(path, encoding="cp1250", newline="") as record:
        rows = list(csv.reader(record, delimiter=";"))
    assert rows[0] == ["Lp", "Nazwisko", "Imię", "Adres", "Plik", "SHA-256 pliku", "Message-ID",
                       "Czas (yyyy-mm-dd hh:mm:ss)", "Odpowiedź serwera", "Stan"], rows[0]
    return {row[3]: dict(zip(rows[0], row)) for row in rows[1:]}


def attachment_of(message, raw):
    """The attachment's name as a reader of RFC 2231 shows it (filename*, else the plain filename)
    and its bytes."""
    parts = [part for part in message.iter_attachments()]
    assert len(parts) == 1, "one attachment"
    exact = re.search(rb"filename\*=UTF-8''([^;\s]+)", raw)
    name = urllib.parse.unquote(exact.group(1).decode("ascii")) if exact else parts[0].get_filename()
    return name, parts[0].get_content()


def opens_with(pdf_bytes, password, folder):
    path = os.path.join(folder, "sprawdzany.pdf")
    with open(path, "wb") as out:
        out.write(pdf_bytes)
    result = subprocess.run(["qpdf", "--password=" + password, "--decrypt", path, os.path.join(folder, "jawny.pdf")],
                            capture_output=True)
    return result.returncode in (0, 3)


class MailBatch(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="fiskon-poczta-test-")
        self.servers = []
        with open(os.path.join(self.work, "haslo-smtp.txt"), "w") as secret:
            secret.write(SMTP_PASSWORD + "\n")
        self.record = os.path.join(self.work, "wysylka.csv")

    def tearDown(self):
        for server in self.servers:
            server.stop()
        shutil.rmtree(self.work)

    def server(self, *options, pair="server"):
        self.started = getattr(self, "started", 0) + 1
        server = Server(os.path.join(self.work, "serwer%d" % self.started), *options, pair=pair)
        self.servers.append(server)
        return server

    def register(self, count, **options):
        path = os.path.join(self.work, "podatnicy.txt")
        return path, write_register(path, count, **options)

    def mail(self, register, server, *extra, password_file="haslo-smtp.txt", record=None, background=False):
        arguments = [CLI, "mail", register, "--form", "pit11", "--smtp", server.url, "--from", "kadry@firma.example.pl",
                     "--user", "kadry", "--smtp-password-file", os.path.join(self.work, password_file),
                     "--cafile", os.path.join(PKI, "ca.pem"), "--password", "pesel", "--record", record or self.record,
                     "--jobs", "2", *extra]
        env = dict(os.environ, FISKON_MAIL_RETRY_WAIT_MS="20")
        if background:
            return subprocess.Popen(arguments, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        return subprocess.run(arguments, env=env, capture_output=True, text=True, timeout=600)

    def check_delivered(self, people, messages, record, sample_others=True):
        """Each message to its own address with its own form, as the record says."""
        by_address = {person["address"]: person for person in people}
        for envelope, message, raw in messages:
            self.assertEqual(len(envelope["to"]), 1)
            person = by_address[envelope["to"][0]]
            self.assertIn(person["address"], message["To"])
            self.assertEqual(envelope["from"], "kadry@firma.example.pl")
            self.assertIn("PIT-11/8B", message["Subject"])
            text = message.get_body(preferencelist=("plain",)).get_content()
            self.assertIn("%s %s" % (person["first"], person["surname"]), text)
            for secret in (person["pesel"], SMTP_PASSWORD):
                self.assertNotIn(secret.encode(), raw)
                self.assertNotIn(secret, message["Subject"] + text)
            name, pdf = attachment_of(message, raw)
            row = record[person["address"]]
            # "niepewne": handed over, no reply came; what was handed over is in the record all the same
            self.assertIn(row["Stan"], ("wysłano", "niepewne"))
            self.assertEqual(name, row["Plik"])
            self.assertEqual(name, "%s_%s.pdf" % (person["surname"], person["first"]))
            self.assertEqual(hashlib.sha256(pdf).hexdigest(), row["SHA-256 pliku"])
            self.assertEqual(message["Message-ID"], row["Message-ID"])
            self.assertTrue(row["Message-ID"].endswith("@firma.example.pl>"))
            if row["Stan"] == "wysłano":
                self.assertTrue(row["Odpowiedź serwera"].startswith("250 "), row)
            self.assertNotIn(person["pesel"].encode(), pdf)
            self.assertTrue(opens_with(pdf, person["pesel"], self.work), name)
            if sample_others:
                other = people[(people.index(person) + 1) % len(people)]
                self.assertFalse(opens_with(pdf, other["pesel"], self.work), name)

    def test_faults_of_the_server(self):
        # fault options, how the client is run, exit code, rows by position (1-based in sorted order), text
        scenarios = [
            ("accepted", [], {}, 0, {}, "Wysłano 4 z 4 wiadomości."),
            ("TLS from the first byte", ["--tls", "implicit"], {}, 0, {}, "Wysłano 4 z 4 wiadomości."),
            ("4xx once", ["--temp-once"], {}, 0, {}, "Wysłano 4 z 4 wiadomości."),
            ("5xx for one", ["--reject", "ADDRESS2"], {}, 1, {2: "odrzucono"}, "Odrzucone przez serwer: 1."),
            ("dropped in DATA", ["--drop-data", "3"], {}, 1, {3: "niepewne"}, "Niepewne"),
            ("untrusted certificate", [], {"pair": "obcy-server"}, 1, {n: "nie wysłano" for n in range(1, 5)},
             "nie jest zaufany"),
            ("no STARTTLS", ["--tls", "none"], {}, 1, {n: "nie wysłano" for n in range(1, 5)},
             "Serwer nie obsługuje szyfrowania połączenia; nic nie wysłano."),
            ("wrong password", ["--password", "inne-hasło"], {}, 1, {n: "nie wysłano" for n in range(1, 5)},
             "odrzucił nazwę użytkownika lub hasło"),
        ]
        register, people = self.register(4)
        for title, options, server_options, code, states, said in scenarios:
            with self.subTest(title):
                if os.path.exists(self.record):
                    os.remove(self.record)
                options = [people[1]["address"] if o == "ADDRESS2" else o for o in options]
                server = self.server(*options, **server_options)
                result = self.mail(register, server)
                self.assertEqual(result.returncode, code, result.stderr + result.stdout)
                self.assertIn(said, result.stdout + result.stderr, result.stdout)
                record = read_record(self.record)
                for position, person in enumerate(people, 1):
                    self.assertEqual(record[person["address"]]["Stan"], states.get(position, "wysłano"), title)
                delivered = [m for m in server.received()]
                self.assertEqual(len(delivered), sum(1 for p in range(1, 5) if states.get(p, "wysłano") == "wysłano"))
                self.check_delivered(people, delivered, record)
                if title == "accepted":
                    self.assertEqual(server.connections(), 1, "one connection for the batch")
                if title == "dropped in DATA":
                    self.assertEqual(server.connections(), 2, "reopened after the drop")
                server.stop()
                self.servers.remove(server)

    def test_nothing_sent_to_anybody_when_one_has_no_address_or_the_record_exists(self):
        register, people = self.register(3, without_address={2})
        server = self.server()
        result = self.mail(register, server)
        self.assertEqual(result.returncode, 1)
        missing = next(p for p in people if not p["address"])
        self.assertIn("%s %s: brak adresu e-mail" % (missing["surname"], missing["first"]), result.stderr)
        self.assertFalse(os.path.exists(self.record))
        with open(self.record, "w") as earlier:
            earlier.write("zostaje\n")
        register, people = self.register(3)
        result = self.mail(register, server)
        self.assertEqual(result.returncode, 1)
        self.assertIn("już istnieje", result.stderr)
        with open(self.record) as earlier:
            self.assertEqual(earlier.read(), "zostaje\n")
        self.assertEqual(server.received(), [])
        usage = subprocess.run([CLI, "mail", register, "--form", "pit11", "--from", "kadry@firma.example.pl",
                                "--record", self.record], capture_output=True, text=True)
        self.assertEqual((usage.returncode, "Brakuje opcji --smtp" in usage.stderr), (2, True), usage.stderr)

    def test_killed_after_the_third_message_then_resumed(self):
        register, people = self.register(6)
        first = self.server("--hang-after", "3")
        client = self.mail(register, first, background=True)
        marker = os.path.join(first.folder, "hanging")
        for _ in range(1200):
            if os.path.exists(marker) or client.poll() is not None:
                break
            time.sleep(0.05)
        self.assertTrue(os.path.exists(marker), client.poll())
        client.send_signal(signal.SIGKILL)
        client.communicate()
        states = [read_record(self.record)[p["address"]]["Stan"] for p in people]
        self.assertEqual(states, ["wysłano", "wysłano", "niepewne", "nie wysłano", "nie wysłano", "nie wysłano"])

        second = self.server()
        result = self.mail(register, second, "--resume")
        self.assertEqual(result.returncode, 1, "one message left uncertain: " + result.stdout + result.stderr)
        self.assertIn("Pominięte niepewne z poprzedniej wysyłki: 1.", result.stdout)
        record = read_record(self.record)
        messages = first.received() + second.received()
        got = [envelope["to"][0] for envelope, _, _ in messages]
        for person in people:
            self.assertEqual(got.count(person["address"]), 1, person["address"])
        self.assertEqual(record[people[2]["address"]]["Stan"], "niepewne")
        self.check_delivered(people, messages, record)

    def test_three_hundred_taxpayers(self):
        register, people = self.register(300)
        server = self.server()
        result = self.mail(register, server)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("Wysłano 300 z 300 wiadomości.", result.stdout)
        messages = server.received()
        self.assertEqual(len(messages), 300)
        self.assertEqual(sorted(e["to"][0] for e, _, _ in messages), sorted(p["address"] for p in people))
        self.check_delivered(people, messages, read_record(self.record))


def main():
    global PKI
    if not (shutil.which("openssl") and shutil.which("qpdf")):
        return 77
    if subprocess.run(["/usr/bin/python3", "-c", "import aiosmtpd"], capture_output=True).returncode != 0:
        return 77
    PKI = tempfile.mkdtemp(prefix="fiskon-poczta-pki-")
    try:
        make_pki(PKI)
        program = unittest.main(argv=[sys.argv[0]] + sys.argv[2:], exit=False)
        return 0 if program.result.wasSuccessful() else 1
    finally:
        shutil.rmtree(PKI)


if __name__ == "__main__":
    sys.exit(main())
