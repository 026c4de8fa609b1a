#!/usr/bin/env python3
"""Writes the hand-made local store under tests/data/mailstore/local/ (run from anywhere).

The bytes matter (charsets, folding, encodings), so they are written from here rather than
edited by hand. Modification times are not kept by git: the tests set them.
"""
import base64
import os
import shutil

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "local")


def write(relative, data):
    path = os.path.join(OUT, relative)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def maildir(relative):
    for part in ("cur", "new", "tmp"):
        os.makedirs(os.path.join(OUT, relative, part), exist_ok=True)
    write(os.path.join(relative, "tmp", ".keep"), b"")


def folded_base64(data, width, indent=b" "):
    text = base64.b64encode(data)
    return b"\n".join(indent + text[i:i + width] for i in range(0, len(text), width))


def photo(name):
    with open(os.path.join(HERE, "photos", name), "rb") as f:
        return f.read()


shutil.rmtree(OUT, ignore_errors=True)

# --- Mail: a Maildir++ root with nested, implicit and modified-UTF-7 folders -------------------
for box in ("Mail", "Mail/.Work", "Mail/.Work.Projects", "Mail/.Archive.2025", "Mail/.&BdQF0QXo-", "Mail/Lists"):
    maildir(box)

write("Mail/new/1700000001.M1P1.fixture", b"""From: Alice Example <alice@example.org>
To: reader@example.com
Subject: Plain hello
Date: Tue, 14 Nov 2023 10:00:00 +0000
Message-ID: <m1@fixture>
Content-Type: text/plain; charset=us-ascii

Line one
Line <two> & three
""")

write("Mail/cur/1700000002.M2P1.fixture:2,S", """From: "Bob" <bob@example.net>, carol@example.net
To: reader@example.com
Subject: =?UTF-8?B?Q2Fmw6kg4piV?=
Date: Wed, 15 Nov 2023 12:30:00 +0200
Message-ID: <m2@fixture>
MIME-Version: 1.0
Content-Type: text/html; charset=utf-8
Content-Transfer-Encoding: 8bit

<html><body><p>Hi <b>Bob</b> \u2014 caf\u00e9</p></body></html>
""".encode("utf-8"))

write("Mail/cur/1700000003.M3P1.fixture:2,", b"""From: reports@example.com
Subject: Weekly report
Date: Thu, 16 Nov 2023 08:15:00 -0500
Message-ID: <m3@fixture>
MIME-Version: 1.0
Content-Type: multipart/mixed; boundary="mix"

--mix
Content-Type: text/plain; charset=utf-8
Content-Transfer-Encoding: base64

""" + base64.b64encode("See the report \u2192 attached.\n".encode("utf-8")) + b"""
--mix
Content-Type: text/html; charset=utf-8; name=report.html
Content-Disposition: attachment; filename=report.html

<p>ATTACHED REPORT, NOT THE BODY</p>
--mix
Content-Type: application/pdf; name=report.pdf
Content-Disposition: attachment; filename=report.pdf
Content-Transfer-Encoding: base64

JVBERi0xLjQKJcfsj6IKMSAwIG9iago8PD4+CmVuZG9iagp0cmFpbGVyCjw8Pj4KJSVFT0YK
--mix--
""")

write("Mail/.Work/cur/1700000004.M4P1.fixture:2,RS", b"""From: =?windows-1255?Q?=E3=F0=E4?= <dana@example.org>
Subject: =?windows-1255?Q?=F9=EC=E5=ED?=
Date: Fri, 17 Nov 2023 09:00:00 +0200
Message-ID: <m4@fixture>
MIME-Version: 1.0
Content-Type: multipart/alternative; boundary="alt"

--alt
Content-Type: text/plain; charset=windows-1255
Content-Transfer-Encoding: quoted-printable

=F9=EC=E5=ED =F2=E5=EC=ED
--alt
Content-Type: text/html; charset=windows-1255
Content-Transfer-Encoding: quoted-printable

<p dir=3D"rtl">=F9=EC=E5=ED =F2=E5=EC=ED</p>
--alt--
""")

write("Mail/.Work/maildirfolder", b"")

write("Mail/.Work.Projects/cur/1700000005.M5P1.fixture:2,", b"""From: =?ISO-8859-1?Q?J=FCrgen?= <juergen@example.de>
Subject: =?ISO-8859-1?Q?Gr=FC=DFe?=
Message-ID: <m5@fixture>
MIME-Version: 1.0
Content-Type: text/plain; charset=iso-8859-1
Content-Transfer-Encoding: 8bit

Gr\xfc\xdfe aus M\xfcnchen
""")

write("Mail/.Archive.2025/cur/1700000006.M6P1.fixture:2,S", b"""From: news@example.com
Subject: Old news
Date: Mon, 6 Jan 2025 07:00:00 +0000
Message-ID: <m6@fixture>

Archived text.
""")

write("Mail/Lists/cur/1700000007.M7P1.fixture:2,", """From: lists@example.org
Subject: R\u00e9sum\u00e9 ready
Date: Sat, 1 Mar 2025 18:45:00 +0100
Message-ID: <m7@fixture>
Content-Type: text/plain; charset=utf-8
Content-Transfer-Encoding: 8bit

The list digest.
""".encode("utf-8"))

write("Mail/.&BdQF0QXo-/cur/1700000008.M8P1.fixture:2,", ("""From: noa@example.co.il
Subject: =?UTF-8?B?""" + base64.b64encode("\u05d1\u05d3\u05d9\u05e7\u05d4".encode("utf-8")).decode() + """?=
Date: Sun, 2 Mar 2025 10:00:00 +0200
Message-ID: <m8@fixture>
Content-Type: text/html; charset=utf-8

<div dir=rtl>\u05d1\u05d3\u05d9\u05e7\u05d4</div>
""").encode("utf-8"))

# Bookkeeping and clutter that are neither messages nor folders.
write("Mail/dovecot-uidlist", b"3 V1700000000 N9\n1 1700000001.M1P1.fixture\n")
write("Mail/dovecot.index.log", b"\x01\x02\x00\x00binary")
write("Mail/dovecot-keywords", b"0 $Forwarded\n")
write("Mail/subscriptions", b"Work\nWork/Projects\n")
write("Mail/courierimapuiddb", b"1 1700000000 9\n")
write("Mail/.notes/todo.txt", b"not a folder: no cur/ or new/\n")
write("Mail/attachments-cache/blob.bin", b"not a folder either\n")

# --- Contacts: vCard 2.1, 3.0 and 4.0, two cards per file -----------------------------------------
write("Contacts/people.vcf", b"""BEGIN:VCARD
VERSION:2.1
N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Levi;Dana;;;
FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Dana =
Levi
EMAIL;INTERNET;PREF:dana@example.org
EMAIL;INTERNET;WORK:dana.levi@work.example
PHOTO;ENCODING=BASE64;TYPE=JPEG:
""" + folded_base64(photo("dana.jpg"), 72, b"  ") + b"""

END:VCARD
BEGIN:VCARD
VERSION:3.0
FN:\xc3\x89mile Zola
N:Zola;\xc3\x89mile;;;
EMAIL;TYPE=INTERNET,HOME:emile@example.fr
EMAIL;TYPE=INTERNET,WORK:e.zola@work.example
item1.EMAIL;TYPE=INTERNET:third@example.fr
EMAIL:fourth@example.fr
PHOTO;ENCODING=b;TYPE=PNG:""" + folded_base64(photo("emile.png"), 74)[1:] + b"""
END:VCARD
""".replace(b"\n", b"\r\n"))

write("Contacts/more.vcf", ("""BEGIN:VCARD
VERSION:4.0
FN:\u05e0\u05d5\u05e2\u05d4 \u05db\u05d4\u05df
EMAIL;TYPE=work:noa@example.co.il
PHOTO:data:image/png;base64,""" + folded_base64(photo("noa.png"), 60).decode()[1:] + """
END:VCARD
BEGIN:VCARD
VERSION:4.0
N:Mizrahi;Yossi;;;
EMAIL;PREF=1:yossi@example.com
END:VCARD
""").encode("utf-8"))
write("Contacts/notes.txt", b"not a vCard\n")
