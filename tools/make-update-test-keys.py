#!/usr/bin/env python3
"""Makes, for the update tests, two P-256 key pairs (the publisher's and a stranger's) with openssl, a small
Windows program image, and its signature by each key, into OUTDIR. Nothing made here is ever committed:
the private keys live in the build folder only.

Files: publisher.hex (the public key as the build option takes it: X then Y in hex), program.exe, and
program.publisher.sig / program.other.sig (r then s, 32 bytes each, as the update trailer carries them).
"""
import pathlib
import re
import subprocess
import sys


def openssl(*args, **kwargs):
    return subprocess.run(["openssl", *args], check=True, capture_output=True, **kwargs).stdout


def program_image(size=5000):
    """An AMD64 executable's headers (MZ, PE, machine 0x8664, executable image) and a byte pattern."""
    b = bytearray((k * 7 + 3) & 0xFF for k in range(size))
    b[0:2] = b"MZ"
    b[0x3C:0x40] = (0x80).to_bytes(4, "little")
    b[0x80:0x84] = b"PE\0\0"
    b[0x84:0x86] = (0x8664).to_bytes(2, "little")
    b[0x96:0x98] = (0x0022).to_bytes(2, "little")
    return bytes(b)


def raw_signature(der):
    """r and s from the DER signature openssl writes, each left-padded to 32 bytes."""
    text = openssl("asn1parse", "-inform", "DER", input=der).decode()
    numbers = re.findall(r"INTEGER\s+:([0-9A-F]+)", text)
    if len(numbers) != 2:
        sys.exit("unexpected signature from openssl: " + text)
    return b"".join(bytes.fromhex(n.rjust(64, "0"))[-32:] for n in numbers)


def main():
    out = pathlib.Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    program = out / "program.exe"
    program.write_bytes(program_image())
    for name in ("publisher", "other"):
        key = out / f"{name}.pem"
        openssl("ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", str(key))
        der = openssl("dgst", "-sha256", "-sign", str(key), str(program))
        (out / f"program.{name}.sig").write_bytes(raw_signature(der))
        if name == "publisher":
            public = openssl("ec", "-in", str(key), "-pubout", "-outform", "DER")
            # The DER public key ends with the uncompressed point: 04, X, Y.
            (out / "publisher.hex").write_text(public[-64:].hex())


if __name__ == "__main__":
    main()
