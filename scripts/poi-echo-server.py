#!/usr/bin/env python3
"""A local stand-in for the fan site's submission form, to try "Post POI" without the site.

Listens on 127.0.0.1 only, prints every POST it receives (headers and the exact body bytes, the
trailing zero byte included) and answers with a page that lists the fields it read.

  python3 scripts/poi-echo-server.py [port]      (default port 8765)

Then put POIURL=http://127.0.0.1:8765/submitpoi.php into the [CONFIG] section of the editor's
configuration file, open an icon page, select a POI and choose POI > Post POI.
"""

import html
import sys
from http.server import BaseHTTPRequestHandler, HTTPServer

DEFAULT_PORT = 8765


class SubmitHandler(BaseHTTPRequestHandler):
    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        print(f"POST {self.path}")
        print(self.headers, end="")
        print(f"body ({len(body)} bytes): {body!r}", flush=True)
        fields = body.rstrip(b"\0").decode("utf-8", "replace").split("&")
        rows = "".join(f"<li>{html.escape(field)}</li>" for field in fields)
        page = f"<html><body><h3>Received {len(body)} bytes</h3><ul>{rows}</ul></body></html>"
        data = page.encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)


def main():
    port = int(sys.argv[1]) if len(sys.argv) > 1 else DEFAULT_PORT
    server = HTTPServer(("127.0.0.1", port), SubmitHandler)
    print(f"listening on http://127.0.0.1:{port}/submitpoi.php", flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
