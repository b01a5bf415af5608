#!/usr/bin/env python3
"""A router's FTP server on loopback: runs nothing, but answers every uploaded
"<name>.auto.rsc" with "<name>.auto.log" holding the text given by --log
(read from the file named by --log-file at the moment of the upload, when
given). Prints "PORT <n>" once it listens."""
import argparse
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--user", required=True)
    ap.add_argument("--password", required=True)
    ap.add_argument("--log", default="")
    ap.add_argument("--log-file", default="")
    ap.add_argument("--read-only", action="store_true", help="refuse every upload and delete")
    args = ap.parse_args()

    auth = DummyAuthorizer()
    auth.add_user(args.user, args.password, args.root, perm="elr" if args.read_only else "elradfmw")

    class Handler(FTPHandler):
        def on_file_received(self, file):
            if file.endswith(".auto.rsc"):
                text = args.log
                if args.log_file and os.path.exists(args.log_file):
                    with open(args.log_file, "rb") as f:
                        text = f.read().decode("latin-1")
                with open(file[: -len(".rsc")] + ".log", "wb") as f:
                    f.write(text.encode("latin-1"))

    Handler.authorizer = auth
    Handler.passive_ports = None
    Handler.masquerade_address = None
    server = FTPServer(("127.0.0.1", 0), Handler)
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    sys.stdout.flush()
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    import logging
    logging.basicConfig(level=logging.ERROR)
    main()
