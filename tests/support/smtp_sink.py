"""An SMTP server on 127.0.0.1 for the mail tests.

Prints the port it listens on, then writes each message it accepts as
<folder>/<n>.json (envelope, headers, and each MIME leaf with its decoded
bytes in base64). A recipient starting with "refused@" is answered 550.
Counts the connections it takes in <folder>/connections and those the
client ended in <folder>/closed, and keeps every byte the clients sent in
<folder>/transcript. Ends when its standard input is closed.

The optional second argument makes it misbehave:
  silent      takes connections and never says a word, not even hello
  stall-data  takes the message and never answers its final "."
  reject-data answers the final "." with 554
  stall-quit  takes the message and never answers QUIT
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
MODE = sys.argv[2] if len(sys.argv) > 2 else 'accept'
CONNECTIONS = [0]


def write_count(name, count):
    path = os.path.join(FOLDER, name)
    with open(path + '.tmp', 'w') as out:
        out.write(str(count))
    os.rename(path + '.tmp', path)


def count_connection():
    CONNECTIONS[0] += 1
    write_count('connections', CONNECTIONS[0])


CLOSED = [0]


def count_closed():
    CLOSED[0] += 1
    write_count('closed', CLOSED[0])


def record(data):
    with open(os.path.join(FOLDER, 'transcript'), 'ab') as out:
        out.write(data)


def forever():
    return asyncio.get_running_loop().create_future()


class Handler:
    def __init__(self):
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower().startswith('refused@'):
            return '550 5.1.1 Mailbox unavailable'
        envelope.rcpt_tos.append(address)
        return '250 OK'

    async def handle_QUIT(self, server, session, envelope):
        if MODE == 'stall-quit':
            await forever()
        return '221 Bye'

    async def handle_DATA(self, server, session, envelope):
        if MODE == 'stall-data':
            await forever()
        if MODE == 'reject-data':
            return '554 5.7.1 Message refused as spam'
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
                'disposition': str(part.get('Content-Disposition', '')),
                'data': base64.b64encode(part.get_payload(decode=True) or b'').decode(),
            })
        self.count += 1
        path = os.path.join(FOLDER, '%d.json' % self.count)
        with open(path + '.tmp', 'w') as out:
            json.dump({'from': envelope.mail_from, 'to': envelope.rcpt_tos,
                       'headers': headers, 'parts': parts}, out)
        os.rename(path + '.tmp', path)
        return '250 Message accepted'


class CountingSMTP(SMTP):
    def connection_made(self, transport):
        count_connection()
        super().connection_made(transport)

    def data_received(self, data):
        record(data)
        super().data_received(data)

    def connection_lost(self, error):
        count_closed()
        super().connection_lost(error)


class Silent(asyncio.Protocol):
    def connection_made(self, transport):
        count_connection()
        self.transport = transport


async def main():
    loop = asyncio.get_running_loop()
    handler = Handler()
    if MODE == 'silent':
        factory = Silent
    else:
        factory = lambda: CountingSMTP(handler, hostname='sink.test')
    server = await loop.create_server(factory, '127.0.0.1', 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await loop.run_in_executor(None, sys.stdin.read)
    server.close()


asyncio.run(main())
