"""Checks MIME composition against Python's email package.

Usage: mime_reference_test.py [--system-charsets] [EMULATOR...] PROBE
With --system-charsets (the probe converts through the system's code pages, as
under Wine) more charsets than UTF-8 and ISO 8859-1 are tried.
"""
import base64
import binascii
import email
import email.charset
import email.header
import email.policy
import random
import re
import subprocess
import sys

BASIC_CHARSETS = ["utf-8", "iso-8859-1"]
SYSTEM_CHARSETS = ["iso-8859-2", "windows-1251", "koi8-r", "shift_jis", "iso-8859-15"]

PLAIN = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,;:!?=_\"'()<>@-/\\"
EXTRA = "éèüßÿçñøÅÆŒœŠšŽžčřěĚąłżДЖЩЯжщяЁё€日本語テキスト漢字ひらがな😀–"


def alphabet_for(charset):
    python_name = charset
    usable = [c for c in EXTRA if can_encode(c, python_name)]
    return PLAIN, usable


def can_encode(ch, charset):
    try:
        ch.encode(charset)
        return True
    except UnicodeEncodeError:
        return False


def random_text(rng, charset, length, line_ends):
    plain, extra = alphabet_for(charset)
    out = []
    for _ in range(length):
        roll = rng.random()
        if roll < 0.25 and extra:
            out.append(rng.choice(extra))
        elif roll < 0.27 and line_ends:
            out.append(rng.choice(["\n", "\r\n", "\r", "\n\r", "\n\n"]))
        elif roll < 0.29:
            out.append("\t")
        else:
            out.append(rng.choice(plain))
    return "".join(out)


def field(text_bytes):
    return "x" + binascii.hexlify(text_bytes).decode()


def wire_words(value):
    return value.encode("ascii")


def normalise_line_ends(text):
    return re.sub(r"\r\n|\n\r|\r|\n", "\n", text)


class Checker:
    def __init__(self, charsets, rng):
        self.charsets = charsets
        self.rng = rng
        self.cases = []

    def header_cases(self):
        for charset in self.charsets:
            for length in [1, 2, 3, 5, 20, 60]:
                for _ in range(8):
                    text = random_text(self.rng, charset, length, line_ends=False)
                    self.cases.append((("header", charset, text), self.check_header))
            _, extra = alphabet_for(charset)
            if extra:
                self.cases.append((("header", charset, "".join(extra[:6])), self.check_header))
                self.cases.append((("header", charset, "Log " + extra[0]), self.check_header))

    def check_header(self, request, answer):
        _, charset, text = request
        value = binascii.unhexlify(answer).decode("ascii")
        if all(ord(c) < 128 for c in text):
            return None if value == text else "plain text changed: %r" % value
        if "\n" in value or "\r" in value:
            return "folded: %r" % value
        decoded = email.header.decode_header(value)
        if len(decoded) != 1:
            return "not one encoded word: %r" % value
        data, word_charset = decoded[0]
        if word_charset.lower() != charset.lower():
            return "charset %r in %r" % (word_charset, value)
        if data.decode(charset) != text:
            return "decode_header gives %r for %r, expected %r" % (data.decode(charset), value, text)
        raw = text.encode(charset)
        b_length = len("=?%s?B?%s?=" % (charset, base64.b64encode(raw).decode()))
        q_length = len("=?%s?Q??=" % charset) + sum(
            1 if (32 <= b < 127 and chr(b) not in '=?_"') else 3 for b in raw)
        want = "B" if b_length < q_length else "Q"
        if value[len(charset) + 3] != want:
            return "%r is not the shorter word (B %d, Q %d)" % (value, b_length, q_length)
        return None

    def parse_cases(self):
        for charset in self.charsets:
            for _ in range(15):
                text = random_text(self.rng, charset, self.rng.randrange(1, 80), line_ends=False)
                text = text.replace("\t", " ")
                if email.charset.Charset(charset).get_output_charset() == charset:
                    header = email.header.Header(text, charset, maxlinelen=10000)
                    encoded = header.encode().replace("\r\n ", " ").replace("\n ", " ")
                else:  # Python would write another charset (iso-2022-jp for shift_jis)
                    encoded = "=?%s?b?%s?=" % (
                        charset, base64.b64encode(text.encode(charset)).decode())
                self.cases.append((("parse", encoded, text, charset), self.check_parse))

    def check_parse(self, request, answer):
        _, encoded, text, charset = request
        hex_text, _, answer_charset = answer.partition(" ")
        got = binascii.unhexlify(hex_text).decode("utf-8")
        if got != text:
            return "parse of %r gave %r, expected %r" % (encoded, got, text)
        if not all(ord(c) < 128 for c in text) and answer_charset.lower() != charset.lower():
            return "parse of %r kept charset %r" % (encoded, answer_charset)
        return None

    def message_cases(self):
        for charset in self.charsets:
            for encoding in ["base64", "quoted-printable"]:
                for length in [0, 1, 2, 3, 56, 57, 58, 75, 76, 77, 150, 600]:
                    text = random_text(self.rng, charset, length, line_ends=length > 100)
                    self.cases.append((("message", charset, encoding, text), self.check_message))
                self.cases.append((("message", charset, encoding, "x" * 150 + "\n" * 3 + "y "),
                                   self.check_message))

    def check_message(self, request, answer):
        _, charset, encoding, text = request
        lines = binascii.unhexlify(answer).decode("ascii").split("\n")[:-1]
        blank = lines.index("")
        body_lines = lines[blank + 1:]
        if any(len(line) > 76 for line in body_lines):
            return "%s line longer than 76: %r" % (encoding, max(body_lines, key=len))
        if encoding == "base64" and any(len(line) != 76 for line in body_lines[:-1]):
            return "base64 line not 76 long"
        if any(line.endswith((" ", "\t")) for line in body_lines):
            return "line ends in a blank, which transports may strip"  # RFC 2045, 6.7 (3)
        wire = "".join(line + "\r\n" for line in lines).encode("ascii")
        parsed = email.message_from_bytes(wire, policy=email.policy.compat32)
        if parsed.get_content_charset() != charset.lower():
            return "content charset %r" % parsed.get_content_charset()
        if parsed["Content-Transfer-Encoding"] != encoding:
            return "transfer encoding %r" % parsed["Content-Transfer-Encoding"]
        subject = email.header.make_header(email.header.decode_header(parsed["Subject"]))
        if str(subject) != subject_for(charset):
            return "subject %r" % str(subject)
        payload = parsed.get_payload(decode=True)
        if encoding == "base64":
            expected = text.encode(charset)
            return None if payload == expected else "base64 body %r, expected %r" % (
                payload[:60], expected[:60])
        got = normalise_line_ends(payload.decode(charset))
        expected = normalise_line_ends(text) + "\n" if text else ""
        return None if got == expected else "quoted-printable body %r, expected %r" % (
            got[:80], expected[:80])


def subject_for(charset):
    _, extra = alphabet_for(charset)
    return "Journal " + "".join(extra[:3])


def request_line(request):
    operation = request[0]
    if operation == "header":
        return "header %s %s" % (field(request[1].encode()), field(request[2].encode("utf-8")))
    if operation == "parse":
        return "parse %s" % field(request[1].encode("ascii"))
    return "message %s %s %s %s" % (field(request[1].encode()), field(request[2].encode()),
                                    field(request[3].encode("utf-8")),
                                    field(subject_for(request[1]).encode("utf-8")))


def main():
    args = sys.argv[1:]
    charsets = list(BASIC_CHARSETS)
    if args and args[0] == "--system-charsets":
        charsets += SYSTEM_CHARSETS
        args = args[1:]
    checker = Checker(charsets, random.Random(20261208))
    checker.header_cases()
    checker.parse_cases()
    checker.message_cases()

    requests = "".join(request_line(request) + "\n" for request, _ in checker.cases)
    result = subprocess.run(args, input=requests.encode(), stdout=subprocess.PIPE,
                            timeout=600, check=True)
    answers = result.stdout.decode("latin-1").replace("\r\n", "\n").split("\n")
    if len(answers) < len(checker.cases):
        print("probe answered %d of %d requests" % (len(answers), len(checker.cases)))
        return 1
    failures = []
    for (request, check), answer in zip(checker.cases, answers):
        failure = ("raised " + answer) if answer.startswith("ERR ") else check(request, answer)
        if failure:
            failures.append("%s %s: %s" % (request[0], request[1], failure))
    for failure in failures[:20]:
        print(failure)
    print("%d cases in %s, %d failures" % (len(checker.cases), ", ".join(charsets), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
