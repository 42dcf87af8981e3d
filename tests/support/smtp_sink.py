"""An SMTP server on 127.0.0.1 for the mail tests.

Prints the port it listens on, then writes each message it accepts as
<folder>/<n>.json (envelope, headers, and each MIME leaf with its decoded
bytes in base64). A recipient starting with "refused@" is answered 550.
Ends when its standard input is closed.
"""
import asyncio
import base64
import email
import json
import os
import sys
from email import policy

from aiosmtpd.smtp import SMTP

FOLDER = sys.argv[1]


class Handler:
    def __init__(self):
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower().startswith('refused@'):
            return '550 5.1.1 Mailbox unavailable'
        envelope.rcpt_tos.append(address)
        return '250 OK'

    async def handle_DATA(self, server, session, envelope):
        message = email.message_from_bytes(envelope.content, policy=policy.compat32)
        headers = {}
        for name, value in message.items():
            headers.setdefault(name, []).append(value)
        parts = []
        for part in message.walk():
            if part.is_multipart():
                continue
            parts.append({
                'type': part.get_content_type(),
                'filename': part.get_filename() or '',
                'encoding': part.get('Content-Transfer-Encoding', ''),
                'data': base64.b64encode(part.get_payload(decode=True) or b'').decode(),
            })
        self.count += 1
        path = os.path.join(FOLDER, '%d.json' % self.count)
        with open(path + '.tmp', 'w') as out:
            json.dump({'from': envelope.mail_from, 'to': envelope.rcpt_tos,
                       'headers': headers, 'parts': parts}, out)
        os.rename(path + '.tmp', path)
        return '250 Message accepted'


async def main():
    loop = asyncio.get_running_loop()
    handler = Handler()
    server = await loop.create_server(lambda: SMTP(handler, hostname='sink.test'), '127.0.0.1', 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await loop.run_in_executor(None, sys.stdin.read)
    server.close()


asyncio.run(main())
