#!/usr/bin/python3
"""Compress a one-folder MSZIP cabinet again, tighter: the same files, names,
times and order, each 32 KB block deflated at level 9 with the previous
block as its history, as the MSZIP format allows (gcab, which wixl uses,
deflates each block alone at the default level).

    /usr/bin/python3 packaging/windows/recab.py IN.cab OUT.cab
"""
import struct
import sys
import zlib

BLOCK = 32768
MSZIP = 1


def checksum(data, seed=0):
    """The CFDATA checksum: the XOR of the data's 32-bit words, the last
    partial word taken big end first."""
    words = len(data) // 4
    total = seed
    for (word,) in struct.iter_unpack("<I", data[:words * 4]):
        total ^= word
    tail = 0
    for byte in data[words * 4:]:
        tail = (tail << 8) | byte
    return total ^ tail


def read(path):
    cab = open(path, "rb").read()
    (signature, size, files_at, minor, major, folders, count, flags) = struct.unpack_from("<4s4xI4xI4xBBHHH", cab)
    if signature != b"MSCF" or (major, minor) != (1, 3) or folders != 1 or flags:
        sys.exit(f"{path}: not a one-folder cabinet without reserves")
    data_at, blocks, compression = struct.unpack_from("<IHH", cab, 36)
    if compression != MSZIP:
        sys.exit(f"{path}: not MSZIP")
    files = []
    at = files_at
    for _ in range(count):
        length, offset, folder, date, time, attributes = struct.unpack_from("<IIHHHH", cab, at)
        end = cab.index(b"\0", at + 16)
        files.append((length, offset, date, time, attributes, cab[at + 16:end]))
        at = end + 1
    payload = bytearray()
    history = b""
    at = data_at
    for _ in range(blocks):
        _, packed, unpacked = struct.unpack_from("<IHH", cab, at)
        block = cab[at + 8:at + 8 + packed]
        if block[:2] != b"CK":
            sys.exit(f"{path}: an MSZIP block without its signature")
        inflate = zlib.decompressobj(-15, zdict=history) if history else zlib.decompressobj(-15)
        plain = inflate.decompress(block[2:]) + inflate.flush()
        if len(plain) != unpacked:
            sys.exit(f"{path}: a block of {len(plain)} bytes, not {unpacked}")
        payload += plain
        history = plain
        at += 8 + packed
    return files, bytes(payload)


def write(path, files, payload):
    entries = b"".join(struct.pack("<IIHHHH", length, offset, 0, date, time, attributes) + name + b"\0"
                       for length, offset, date, time, attributes, name in files)
    blocks = []
    history = b""
    for start in range(0, len(payload), BLOCK):
        plain = payload[start:start + BLOCK]
        deflate = (zlib.compressobj(9, zlib.DEFLATED, -15, 9, zlib.Z_DEFAULT_STRATEGY, history) if history
                   else zlib.compressobj(9, zlib.DEFLATED, -15, 9))
        packed = b"CK" + deflate.compress(plain) + deflate.flush()
        sizes = struct.pack("<HH", len(packed), len(plain))
        blocks.append(struct.pack("<I", checksum(sizes, checksum(packed))) + sizes + packed)
        history = plain
    files_at = 36 + 8
    data_at = files_at + len(entries)
    size = data_at + sum(len(b) for b in blocks)
    header = struct.pack("<4sIIIIIBBHHHHH", b"MSCF", 0, size, 0, files_at, 0, 3, 1, 1, len(files), 0, 0, 0)
    folder = struct.pack("<IHH", data_at, len(blocks), MSZIP)
    with open(path, "wb") as out:
        out.write(header + folder + entries + b"".join(blocks))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    files, payload = read(sys.argv[1])
    write(sys.argv[2], files, payload)


if __name__ == "__main__":
    main()
