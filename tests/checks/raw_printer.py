"""A printer on a raw port (127.0.0.1:9100) for the package trial: it keeps every byte it is sent in the file named."""
import socket
import sys

with socket.create_server(("127.0.0.1", 9100)) as server, open(sys.argv[1], "ab") as kept:
    while True:
        connection, _ = server.accept()
        with connection:
            while data := connection.recv(65536):
                kept.write(data)
                kept.flush()
