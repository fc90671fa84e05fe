"""Checks with Python's e-mail parser what aiosmtpd stored from the submission
tests: for each file pair expected/<version>.txt and .from that the tests left
("no-version" for the subject's "NUL"), one message whose subject carries that
version, with exactly the submission's
headers in their order and a base64 body that decodes to the expected text.
Read again with the e-mail package's default policy, the Date and Message-ID
parse and no header line is longer than 78 characters; and SpamAssassin finds
no rule with a positive score in the messages of ordinary size.

    check_submitted_mail.py MAIL_DIR
"""
import base64
import email
import email.policy
import email.utils
import mailbox
import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "mail"))
from spam_check import positive_rules  # noqa: E402

SUBJECT = re.compile(r"^OVFRemover\.exe log OVF:(.*)  OS:\d+\.\d+$")
HEADERS = ["Date", "Message-ID", "From", "Subject", "To", "MIME-Version",
           "Content-Transfer-Encoding", "Content-Type"]
MESSAGE_ID = re.compile(r"^<\d{14}\.[0-9a-f]{16}@tvremover\.example>$")
# SpamAssassin reads big messages slowly, and filters leave them unscored anyway.
SCORED_SIZE = 512 * 1024
# Added by aiosmtpd's Mailbox handler, not sent by the tool.
SERVER_HEADERS = {"X-Peer", "X-MailFrom", "X-RcptTo"}
SUPPORT = "support@tvremover.example"


# Keys whose test noted when the offer was answered (seconds since 1970).
answered_at = {}


def expected_messages(directory):
    expected = {}
    for name in os.listdir(directory):
        if name.endswith(".txt"):
            key = name[: -len(".txt")]
            with open(os.path.join(directory, name), "rb") as f:
                text = f.read()
            with open(os.path.join(directory, key + ".from"), "r") as f:
                sender = f.read()
            answered = os.path.join(directory, key + ".answered")
            if os.path.exists(answered):
                with open(answered) as f:
                    answered_at[key] = int(f.read())
            expected[key] = (text, sender)
    return expected


def check_as_read_today(raw):
    message = email.message_from_bytes(raw, policy=email.policy.default)
    head = raw.split(b"\r\n\r\n" if b"\r\n\r\n" in raw else b"\n\n", 1)[0]
    long_lines = [line for line in head.splitlines() if len(line) > 78]
    assert not long_lines, "header lines over 78 characters: %r" % long_lines
    assert message["Date"].datetime is not None and message["Date"].datetime.tzinfo is not None, \
        "Date %r" % message["Date"]
    assert MESSAGE_ID.match(str(message["Message-ID"])), "Message-ID %r" % message["Message-ID"]
    assert message["MIME-Version"] == "1.0"
    return message


def check(message, text, sender):
    names = [n for n in message.keys() if n not in SERVER_HEADERS]
    assert names == HEADERS, "headers %r" % names
    assert message["From"] == sender, message["From"]
    assert message["To"] == '"Remove-support mails" <%s>' % SUPPORT, message["To"]
    assert message["Content-Transfer-Encoding"] == "base64"
    assert message["Content-Type"] == 'text/plain; charset="utf-8"', message["Content-Type"]
    assert message["X-MailFrom"] == "<>", "envelope sender %r" % message["X-MailFrom"]
    assert message["X-RcptTo"] == SUPPORT, message["X-RcptTo"]
    lines = message.get_payload().splitlines()
    assert all(len(line) == 76 for line in lines[:-1]), "base64 lines not 76 characters"
    assert 0 < len(lines[-1]) <= 76
    body = base64.b64decode("".join(lines), validate=True)
    assert body == text, "body differs: %d bytes, expected %d" % (len(body), len(text))
    assert message.get_payload(decode=True) == text


def main():
    mail_dir = sys.argv[1]
    expected = expected_messages(os.path.join(mail_dir, "expected"))
    arrived = {}
    box = mailbox.Maildir(os.path.join(mail_dir, "maildir"), factory=None, create=False)
    message_ids = set()
    for key in box.keys():
        message = box[key]
        raw = box.get_bytes(key)
        read = check_as_read_today(raw)
        assert read["Message-ID"] not in message_ids, "Message-ID repeated"
        message_ids.add(read["Message-ID"])
        if len(raw) < SCORED_SIZE:
            score, rules = positive_rules(raw)
            print("check_submitted_mail: SpamAssassin score %.1f for %r" % (score, read["Subject"]))
            assert not rules, "SpamAssassin rules hit: %r" % rules
        match = SUBJECT.match(read["Subject"])
        assert match, "subject %r" % message["Subject"]
        key = "no-version" if match.group(1) == "NUL" else match.group(1)
        assert key not in arrived, "two messages for %s" % key
        arrived[key] = message
    assert sorted(arrived) == sorted(expected), "arrived %r, expected %r" % (sorted(arrived), sorted(expected))
    for key, (text, sender) in expected.items():
        check(arrived[key], text, sender)
        if key in answered_at:
            date = email.utils.parsedate_to_datetime(arrived[key]["Date"])
            assert date.timestamp() >= answered_at[key], "Date %s is before the answer" % date
    print("check_submitted_mail: %d messages arrived whole" % len(expected))


if __name__ == "__main__":
    main()
