# The site on this machine's loopback address only, for `make serve-web` and
# the browser test: Python's static file server, telling the browser to ask
# again for every file before it uses a copy it keeps (Cache-Control:
# no-cache), so that a reload after a rebuild takes the new files.
# Usage: python3 web/serve.py SITE PORT
import functools
import http.server
import sys


class RevalidatingHandler(http.server.SimpleHTTPRequestHandler):
    def end_headers(self):
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()


site, port = sys.argv[1], int(sys.argv[2])
handler = functools.partial(RevalidatingHandler, directory=site)
with http.server.ThreadingHTTPServer(("127.0.0.1", port), handler) as server:
    print(f"Serving {site} at http://127.0.0.1:{port}/", flush=True)
    server.serve_forever()
