"""Checks, with Python's own e-mail parser, what the real SMTP server stored
from the client tests (see test_messages.h for the texts sent).

    check_delivered_mail.py MAILDIR
"""
import mailbox
import sys

RECIPIENT = "support@tvremover.example"
DOTTED_BODY = ["First line of the body.", ".", ".leading dot", "trailing dot.", "..two dots",
               " ", "", "Last line."]
LARGE_LINE_COUNT = 10500
LARGE_LINE_SIZE = 998


def large_line(index):
    line = ("." if index % 100 == 0 else "L") + "%08d " % index
    while len(line) < LARGE_LINE_SIZE:
        line += chr(ord("a") + (len(line) + index) % 26)
    return line


def body_lines(message):
    payload = message.get_payload()
    assert payload.endswith("\n"), "body does not end with a line end"
    return payload[:-1].split("\n")


def check(message, expected_body):
    assert message["From"] == "Remover tests <tests@tvremover.example>", message["From"]
    assert message["To"] == '"Remove-support mails" <%s>' % RECIPIENT, message["To"]
    assert message["X-MailFrom"] == "<>", "envelope sender %r" % message["X-MailFrom"]
    assert message["X-RcptTo"] == RECIPIENT, message["X-RcptTo"]
    assert message.get_content_type() == "text/plain"
    lines = body_lines(message)
    assert len(lines) == len(expected_body), "%d lines, expected %d" % (len(lines), len(expected_body))
    for number, (got, expected) in enumerate(zip(lines, expected_body)):
        assert got == expected, "line %d: %r, expected %r" % (number, got, expected)


def main():
    messages = {m["Subject"]: m for m in mailbox.Maildir(sys.argv[1], create=False)}
    assert sorted(messages) == ["Delivery test", "Ten megabytes"], sorted(messages)
    check(messages["Delivery test"], DOTTED_BODY)
    check(messages["Ten megabytes"], [large_line(i) for i in range(LARGE_LINE_COUNT)])
    print("check_delivered_mail: both messages arrived whole")


if __name__ == "__main__":
    main()
