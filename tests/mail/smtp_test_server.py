#!/usr/bin/python3
"""A real SMTP server on the loopback for the mail tests (Debian's python3-aiosmtpd).

STARTTLS (required before AUTH and mail) or TLS from the first byte, AUTH PLAIN/LOGIN with one user,
and the faults a batch must survive, chosen on the command line:
  --temp-once           the first RCPT gets "451" once
  --reject ADDRESS      RCPT of ADDRESS gets "550"
  --drop-data N         the N-th message: the connection is dropped after its data, no reply
  --hang-after N        the N-th message is kept, then no reply ever (the test kills the client)
  --tls none            no STARTTLS offered
Every accepted message is saved as DIR/NNNN.eml with a line in DIR/received.jsonl; every
connection adds a line to DIR/connections.log. The port is written to DIR/port once it listens.
"""
import argparse
import asyncio
import json
import os
import signal
import socket
import ssl
import sys
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Handler:
    def __init__(self, options):
        self.options = options
        self.temporary_done = False
        self.messages = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.options.temp_once and not self.temporary_done:
            self.temporary_done = True
            return "451 4.3.0 Spróbuj później"
        if address == self.options.reject:
            return "550 5.1.1 Nie ma takiej skrzynki"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.messages += 1
        number = self.messages
        if number == self.options.drop_data:
            server.transport.abort()
            return "421 dropped"
        name = "%04d.eml" % number
        with open(os.path.join(self.options.dir, name), "wb") as out:
            out.write(envelope.original_content)
        queued = "Q%06d" % number
        with open(os.path.join(self.options.dir, "received.jsonl"), "a") as log:
            log.write(json.dumps({"file": name, "from": envelope.mail_from, "to": envelope.rcpt_tos,
                                  "queued": queued}) + "\n")
        if number == self.options.hang_after:
            open(os.path.join(self.options.dir, "hanging"), "w").close()
            await asyncio.sleep(3600)
        return "250 2.0.0 Ok: queued as " + queued


class CountingSMTP(SMTP):
    def connection_made(self, transport):
        # Called again with the encrypted transport after STARTTLS: that is the same connection.
        if transport.get_extra_info("ssl_object") is None:
            with open(os.path.join(self.event_handler.options.dir, "connections.log"), "a") as log:
                log.write("%f\n" % time.time())
        super().connection_made(transport)


class TestController(Controller):
    def factory(self):
        return CountingSMTP(self.handler, **self.SMTP_kwargs)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--tls", choices=["starttls", "implicit", "none"], default="starttls")
    parser.add_argument("--user", default="kadry")
    parser.add_argument("--password", default="tajne-hasło")
    parser.add_argument("--temp-once", action="store_true")
    parser.add_argument("--reject")
    parser.add_argument("--drop-data", type=int, default=0)
    parser.add_argument("--hang-after", type=int, default=0)
    options = parser.parse_args()

    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login.decode() == options.user
              and auth_data.password.decode() == options.password)
        return AuthResult(success=ok, handled=False)

    context = None
    if options.tls != "none":
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(options.cert, options.key)
    # Over TLS from the first byte the server does not know its transport is encrypted: it is.
    kwargs = dict(authenticator=authenticate, auth_required=options.tls != "none",
                  auth_require_tls=options.tls == "starttls", data_size_limit=0)
    port = free_port()
    if options.tls == "implicit":
        controller = TestController(Handler(options), hostname="127.0.0.1", port=port, ssl_context=context, **kwargs)
    else:
        controller = TestController(Handler(options), hostname="127.0.0.1", port=port, tls_context=context,
                                    require_starttls=context is not None, **kwargs)
    controller.start()
    if os.path.exists(os.path.join(options.dir, "connections.log")):  # the controller's own probe
        os.remove(os.path.join(options.dir, "connections.log"))
    with open(os.path.join(options.dir, "port.tmp"), "w") as out:
        out.write(str(port))
    os.rename(os.path.join(options.dir, "port.tmp"), os.path.join(options.dir, "port"))
    signal.sigwait({signal.SIGTERM, signal.SIGINT})
    controller.stop()


if __name__ == "__main__":
    signal.pthread_sigmask(signal.SIG_BLOCK, {signal.SIGTERM, signal.SIGINT})
    main()
