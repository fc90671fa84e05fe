"""A scripted SMTP server for the client's tests.

Listens on 127.0.0.1, one port per scenario, and answers each command as the
scenario says: chosen failure codes, malformed or long replies, LF-only line
ends, replies cut into single bytes, silence, a connection closed at a chosen
point, endless positive replies to DATA, or reading that stops in the middle of
the data. Every line received (commands and message lines as they travel, before
any un-stuffing) is appended to DIR/<scenario>.log before the reply goes out, so
a client that got its reply can read the transcript at once.

    scripted_smtp_server.py DIR [FIRST_PORT]

Writes DIR/ports.txt ("<scenario> <port>" lines) once every port listens.
"""
import os
import socket
import sys
import threading
import time

DEFAULT_REPLIES = {
    "GREETING": ["220 mail.tvremover.example ESMTP scripted"],
    "EHLO": ["250-mail.tvremover.example", "250-8BITMIME", "250 SIZE 33554432"],
    "HELO": ["250 mail.tvremover.example"],
    "RSET": ["250 2.0.0 OK"],
    "MAIL": ["250 2.1.0 OK"],
    "RCPT": ["250 2.1.5 OK"],
    "DATA": ["354 End data with <CR><LF>.<CR><LF>"],
    "END": ["250 2.0.0 queued"],
    "QUIT": ["221 2.0.0 Bye"],
}

# Stage names as the client meets them; END is the line "." after the message.
STAGES = ["GREETING", "EHLO", "RSET", "MAIL", "RCPT", "DATA", "END"]


def failure_scenarios():
    """A 4xx and a 5xx reply at every stage: <stage>_4xx, <stage>_5xx."""
    scenarios = {}
    for stage in STAGES:
        scenarios[stage.lower() + "_4xx"] = {"replies": {stage: ["451 4.3.0 %s failed" % stage]}}
        scenarios[stage.lower() + "_5xx"] = {"replies": {stage: ["554 5.0.0 %s refused" % stage]}}
    return scenarios


SCENARIOS = {
    "accept": {},
    "own_address_greeting": {},
    "bare_greeting": {"replies": {"GREETING": ["220"]}},
    "helo_refused": {"replies": {"EHLO": ["500 5.5.1 unknown"], "HELO": ["550 5.7.1 go away"]}},
    "data_250_then_354": {"replies": {"DATA": ["250 not yet", "354 now"]}},
    "data_250_forever": {"endless": "DATA"},
    "stall_in_data": {"stall_after": 100},
    "continuation_128": {
        "replies": {"EHLO": ["250-capability %d" % i for i in range(128)] + ["250 done"]}
    },
    "continuation_129": {
        "replies": {"EHLO": ["250-capability %d" % i for i in range(129)] + ["250 done"]}
    },
    "lf_only": {"line_end": b"\n"},
    "split": {"split": True},
    "silent": {"silent": True},
    "close_in_transaction": {"close_on": "MAIL"},
    "close_before_quit_reply": {"close_on": "QUIT"},
}
SCENARIOS.update(failure_scenarios())


class transcript:
    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()

    def add(self, text):
        with self.lock, open(self.path, "ab") as f:
            f.write(text + b"\n")


def verb_of(line):
    return line.split(b" ", 1)[0].split(b":", 1)[0].decode("latin-1").upper()


class session:
    def __init__(self, conn, scenario, record):
        self.conn = conn
        self.scenario = scenario
        self.record = record
        self.pending = b""

    def reply_for(self, verb):
        return self.scenario.get("replies", {}).get(verb, DEFAULT_REPLIES.get(verb, ["500 5.5.2 what?"]))

    def send_reply(self, lines):
        line_end = self.scenario.get("line_end", b"\r\n")
        data = b"".join(line.encode("latin-1") + line_end for line in lines)
        if self.scenario.get("split"):
            for i in range(len(data)):
                self.conn.sendall(data[i : i + 1])
                time.sleep(0.003)
        else:
            self.conn.sendall(data)

    def read_line(self):
        while b"\r\n" not in self.pending:
            chunk = self.conn.recv(65536)
            if not chunk:
                return None
            self.pending += chunk
        line, self.pending = self.pending.split(b"\r\n", 1)
        return line

    def run(self):
        self.record.add(b"-- connected")
        if self.scenario.get("silent"):
            while self.conn.recv(65536):
                pass
            self.record.add(b"-- closed by client")
            return
        self.send_reply(self.reply_for("GREETING"))
        in_data = False
        received = 0
        while True:
            line = self.read_line()
            if line is None:
                self.record.add(b"-- closed by client")
                return
            self.record.add(line)
            if in_data:
                received += 1
                if received == self.scenario.get("stall_after"):
                    self.record.add(b"-- stopped reading")
                    time.sleep(120)
                    return
                if line != b".":
                    continue
                verb, in_data = "END", False
            else:
                verb = verb_of(line)
            if self.scenario.get("close_on") == verb:
                self.record.add(b"-- closed by server")
                return
            if self.scenario.get("endless") == verb:
                while True:
                    self.send_reply(["250 2.0.0 not yet"])
                    time.sleep(0.01)
            reply = self.reply_for(verb)
            self.send_reply(reply)
            if verb == "DATA" and reply[-1].startswith("354"):
                in_data = True
            if verb == "QUIT":
                return


def serve(listener, name, directory):
    record = transcript(os.path.join(directory, name + ".log"))
    while True:
        conn, _ = listener.accept()
        conn.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

        def handle(conn=conn):
            try:
                session(conn, SCENARIOS[name], record).run()
            except OSError as e:
                record.add(b"-- " + str(e).encode())
            finally:
                conn.close()

        threading.Thread(target=handle, daemon=True).start()


def main():
    directory = sys.argv[1]
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 2600
    ports = []
    for name in sorted(SCENARIOS):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", port))
        listener.listen(8)
        threading.Thread(target=serve, args=(listener, name, directory), daemon=True).start()
        ports.append("%s %d\n" % (name, port))
        port += 1
    with open(os.path.join(directory, "ports.txt.tmp"), "w") as f:
        f.writelines(ports)
    os.rename(os.path.join(directory, "ports.txt.tmp"), os.path.join(directory, "ports.txt"))
    threading.Event().wait()


if __name__ == "__main__":
    main()
