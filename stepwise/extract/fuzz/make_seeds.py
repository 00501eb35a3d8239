#!/usr/bin/env python3
"""Writes the small seed corpora of the cabinet fuzzers.

   make_seeds.py STEPWISE_CAB

Cabinets come from gcab (MSZIP, stored) and from our own writer (LZX); the codec seeds are
the data blocks of those cabinets in the codec fuzzers' block layout (u16 uncompressed size,
u16 compressed size, bytes), behind a window byte for LZX and Quantum. Quantum has no encoder
here, so its seeds are tiny hand-made streams.
"""
import os
import random
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def blocks(cab):
    """Yields (compression, [(uncompressed, bytes)]) per folder of a single cabinet."""
    (sig, _, size, _, files_off, _, minor, major, nfolders, nfiles, flags, set_id,
     index) = struct.unpack_from('<4sIIIIIBBHHHHH', cab, 0)
    pos = 36
    folder_res = data_res = 0
    if flags & 4:
        header_res, folder_res, data_res = struct.unpack_from('<HBB', cab, pos)
        pos += 4 + header_res
    for flag in (1, 2):
        if flags & flag:
            for _ in range(2):
                pos = cab.index(b'\0', pos) + 1
    for _ in range(nfolders):
        start, count, comp = struct.unpack_from('<IHH', cab, pos)
        pos += 8 + folder_res
        out, p = [], start
        for _ in range(count):
            _, cb, ucb = struct.unpack_from('<IHH', cab, p)
            p += 8 + data_res
            out.append((ucb, cab[p:p + cb]))
            p += cb
        yield comp, out


def codec_seed(window_byte, block_list):
    out = bytearray() if window_byte is None else bytearray([window_byte])
    for ucb, data in block_list:
        out += struct.pack('<HH', ucb, len(data)) + data
    return bytes(out)


def far_copy_blocks():
    """MSZIP blocks whose bytes are copied from 8 to 32 KB back, so the later blocks reach far
    into the first and copies of copies carry its bytes on: 32 KB of bytes from a small
    alphabet, then two short blocks of copies (kept small so that fuzzing stays fast)."""
    rng = random.Random(7)
    data = bytearray(rng.choice(b'abcdefghijklmnop') for _ in range(32768))
    sizes = [32768, 6000, 3000]
    while len(data) < sum(sizes):
        distance = rng.randrange(8192, 32768)
        for _ in range(rng.randrange(40, 400)):
            data.append(data[-distance])
        data.append(rng.getrandbits(8))
    out = []
    pos = 0
    for size in sizes:
        chunk = bytes(data[pos:pos + size])
        z = zlib.compressobj(6, zlib.DEFLATED, -15, zdict=bytes(data[max(0, pos - 32768):pos])) \
            if pos else zlib.compressobj(6, zlib.DEFLATED, -15)
        out.append((size, b'CK' + z.compress(chunk) + z.flush()))
        pos += size
    return out


def write(folder, name, data):
    os.makedirs(os.path.join(HERE, folder), exist_ok=True)
    with open(os.path.join(HERE, folder, name), 'wb') as f:
        f.write(data)


def main():
    tool = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as work:
        src = os.path.join(work, 'src')
        os.makedirs(src)
        words = b'cabinet folder data block window frame \xe8\x10\x00\x00\x00 '
        with open(os.path.join(src, 'text.txt'), 'wb') as f:
            f.write((words * 900)[:36000])  # two data blocks
        with open(os.path.join(src, 'bytes.bin'), 'wb') as f:
            f.write(bytes((i * 7 + (i >> 3)) & 0xFF for i in range(700)))
        inputs = [os.path.join('src', n) for n in ('text.txt', 'bytes.bin')]
        made = {}
        for name, cmd, files in (
                ('mszip.cab', ['gcab', '-c', '-z'], inputs),
                ('stored.cab', ['gcab', '-c'], inputs[1:]),
                ('lzx15.cab', [tool, 'create', '--compress', 'lzx:15'], inputs),
                ('lzx21.cab', [tool, 'create', '--compress', 'lzx:21'], inputs)):
            subprocess.run(cmd + [name] + files, cwd=work, check=True,
                           stdout=subprocess.DEVNULL)
            with open(os.path.join(work, name), 'rb') as f:
                made[name] = f.read()
    for name, cab in made.items():
        write('cab_reader_fuzz', name, cab)
        write('fdi_fuzz', name, cab)
    for comp, block_list in blocks(made['mszip.cab']):
        write('mszip_fuzz', 'gcab-blocks', codec_seed(None, block_list))
        write('mszip_differential_fuzz', 'gcab-blocks', codec_seed(None, block_list))
    for name in ('lzx15.cab', 'lzx21.cab'):
        for comp, block_list in blocks(made[name]):
            bits = (comp >> 8) & 0x1F
            write('lzx_fuzz', name.replace('.cab', '-blocks'), codec_seed(bits - 15, block_list))
    write('mszip_differential_fuzz', 'far-copies', codec_seed(None, far_copy_blocks()))
    # Quantum: a window byte, then one block of 64 bytes from a few stream bytes.
    write('quantum_fuzz', 'zeros', codec_seed(5, [(64, bytes(16))]))
    write('quantum_fuzz', 'pattern', codec_seed(0, [(200, bytes(range(0, 256, 7)))] * 2))


if __name__ == '__main__':
    main()
