"""Compares the codings with Python's own base64, binascii and quopri modules.

Usage: coding_reference_test.py [EMULATOR...] PROBE
The probe reads "<operation> <hex input>" lines and answers "<hex output>" or
"ERR <what>" per line.
"""
import base64
import binascii
import quopri
import random
import re
import subprocess
import sys


def edge_inputs():
    yield b""
    for n in (1, 2, 3, 4, 56, 57, 58, 59, 75, 76, 77):
        yield bytes(range(65, 65 + min(n, 26))) * (n // 26 + 1)
        yield bytes((200 + i) % 256 for i in range(n))
    yield bytes(range(256))
    yield bytes(range(255, -1, -1))
    yield b"a=b c\t?_\"\r\n.\x00\x7f\x80\xff"


def random_inputs(rng, count):
    for _ in range(count):
        yield bytes(rng.randrange(256) for _ in range(rng.randrange(300)))


def sprinkle(rng, text, junk):
    """Inserts junk characters at random places of an encoded text."""
    out = []
    for ch in text:
        if rng.random() < 0.1:
            out.append(rng.choice(junk))
        out.append(ch)
    return "".join(out)


def build_cases(rng):
    cases = []  # (operation, input bytes, expected bytes or "ERR ..." text, label)
    inputs = list(edge_inputs()) + list(random_inputs(rng, 300))
    for data in inputs:
        b64 = base64.b64encode(data)
        cases.append(("enc64", data, b64, "base64 of %r" % data[:20]))
        cases.append(("dec64", b64, data, "base64 back"))
        messy = sprinkle(rng, b64.decode(), ["\r\n", " ", "\t", "\n"]).encode()
        cases.append(("dec64", messy, base64.b64decode(messy), "base64 with line breaks"))
        mime_lines = base64.encodebytes(data)  # 76-character lines, as in mail
        cases.append(("dec64", mime_lines, binascii.a2b_base64(mime_lines), "base64 lines"))

        hexed = binascii.hexlify(data)
        cases.append(("enchex", data, hexed, "hex"))
        cases.append(("dechex", hexed.upper(), data, "upper-case hex back"))
        cases.append(("dechex", hexed, binascii.unhexlify(hexed), "hex back"))

        # Python's encoder inserts soft line breaks, which belong to the MIME
        # writer, not to the coding: take them out before decoding.
        python_qp = binascii.b2a_qp(data, quotetabs=True, istext=False, header=False)
        python_qp = python_qp.replace(b"=\r\n", b"").replace(b"=\n", b"")
        cases.append(("decqp", python_qp, data, "Python's quoted-printable back"))
        lower_qp = re.sub(rb"=[0-9A-F]{2}", lambda m: m.group(0).lower(), python_qp)
        cases.append(("decqp", lower_qp, data, "lower-case quoted-printable digits"))
        cases.append(("encqp", data, None, "quoted-printable of %r" % data[:20]))
    cases.append(("dechex", b"0g", "ERR translate.invalid_codeword[Invalid Codeword 0x67]",
                  "hex digit g"))
    for bad in (b"1x", b"zz", b"0\xe9"):
        first_bad = next(c for c in bad if chr(c) not in "0123456789abcdefABCDEF")
        cases.append(("dechex", bad, "ERR translate.invalid_codeword[Invalid Codeword 0x%02X]"
                      % first_bad, "hex with %r" % bad))
    cases.append(("decqp", b"ab=", b"ab=", "short tail"))
    cases.append(("decqp", b"=4", b"=4", "short tail"))
    cases.append(("decqp", b"=4j", "ERR translate.invalid_codeword[Invalid Codeword 0x6A]",
                  "bad quoted-printable digit"))
    return cases


# Characters an encoded header word may carry unescaped: printable ASCII and the
# blank, except "=", "?", "_" and the double quote.
QP_OUTPUT = re.compile(rb'\A(?:[ !#-<>@-^`-~]|=[0-9A-F]{2})*\Z')


def check(case, answer):
    operation, data, expected, label = case
    if answer.startswith("ERR "):
        if expected == answer:
            return None
        return "%s: %s raised %s" % (label, operation, answer)
    produced = binascii.unhexlify(answer)
    if operation == "encqp":
        if not QP_OUTPUT.match(produced):
            return "%s: unexpected characters in %r" % (label, produced)
        if quopri.decodestring(produced) != data and binascii.a2b_qp(produced) != data:
            return "%s: Python decodes %r differently" % (label, produced)
        return None
    if produced != expected:
        return "%s: %s gave %r, expected %r" % (label, operation, produced[:80], expected)
    return None


def main():
    command = sys.argv[1:]
    rng = random.Random(20261208)
    cases = build_cases(rng)
    requests = "".join("%s %s\n" % (op, binascii.hexlify(data).decode())
                       for op, data, _, _ in cases)
    result = subprocess.run(command, input=requests.encode(), stdout=subprocess.PIPE,
                            timeout=600, check=True)
    answers = result.stdout.decode("latin-1").replace("\r\n", "\n").split("\n")
    if len(answers) < len(cases):
        print("probe answered %d of %d requests" % (len(answers), len(cases)))
        return 1
    failures = [f for f in (check(c, a) for c, a in zip(cases, answers)) if f]
    for failure in failures[:20]:
        print(failure)
    print("%d cases, %d failures" % (len(cases), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
