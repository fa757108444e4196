#!/usr/bin/env python3
"""Writes the seed files of the whole-load fuzzer: one small wave file of every shape the
reader accepts, and a few it refuses at each step of the header walk.

usage: make_wave_seeds.py FOLDER

Deterministic: the same files, byte for byte, on every run. Each file stays under the
fuzzer's 4096-byte input limit; the ones that claim more data than they hold are loaded by the
fuzzer again over silence up to their claim, which reaches the drawing's batched reads.
"""

import math
import os
import struct
import sys


def chunk(tag, body, pad=True):
    """A RIFF chunk; an odd body gets its pad byte unless `pad` is off."""
    out = tag + struct.pack("<I", len(body)) + body
    return out + b"\0" if pad and len(body) % 2 else out


def fmt(channels, bits, rate, tag=1, extra=b"", align=None):
    align = channels * (bits // 8) if align is None else align
    body = struct.pack("<hhiIh", tag, channels, rate, (rate * align) & 0xFFFFFFFF, align)
    return chunk(b"fmt ", body + struct.pack("<h", bits) + extra)


def samples(channels, bits, frames):
    """A sine of 1/16 of the rate, the right channel a fifth above."""
    out = bytearray()
    for i in range(frames):
        for c in range(channels):
            v = math.sin(2 * math.pi * i * (1 + c / 2) / 16)
            if bits == 16:
                out += struct.pack("<h", round(v * 20000))
            else:
                out += bytes([128 + round(v * 100)])
    return bytes(out)


def data(channels, bits, frames, claim=None):
    body = samples(channels, bits, frames)
    size = len(body) if claim is None else claim
    return b"data" + struct.pack("<I", size) + body


def riff(*chunks, form=b"WAVE"):
    body = form + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def seeds():
    out = {}
    for channels in (1, 2):
        for bits in (8, 16):
            name = f"{'mono' if channels == 1 else 'stereo'}{bits}"
            f = fmt(channels, bits, 8000)
            out[name] = riff(f, data(channels, bits, 200))
            # A recording that claims an hour: the rest is silence the fuzzer adds as a hole.
            hour = 8000 * 3600 * channels * bits // 8
            out[name + "_long"] = riff(f, data(channels, bits, 64, claim=hour))
            # One frame only.
            out[name + "_one"] = riff(f, data(channels, bits, 1))
    rates = {"rate1": 1, "rate44100": 44100, "rate96000": 96000, "rate_max": 0x7FFFFFFF}
    for name, rate in rates.items():
        out[name] = riff(fmt(1, 16, rate), data(1, 16, 100))
    # Longer format chunks: with cbSize, WAVE_FORMAT_EXTENSIBLE, IEEE float's tag.
    out["fmt18"] = riff(fmt(1, 16, 22050, extra=b"\0\0"), data(1, 16, 100))
    extensible = struct.pack("<hhI", 22, 16, 4) + b"\x01\0\0\0\0\0\x10\0\x80\0\0\xaa\0\x38\x9b\x71"
    out["extensible"] = riff(fmt(2, 16, 48000, tag=-2, extra=extensible), data(2, 16, 100))
    out["float_tag"] = riff(fmt(1, 16, 8000, tag=3), data(1, 16, 100))
    # Chunks before, between and after: the format scan and the data search step over them.
    out["junk_first"] = riff(chunk(b"JUNK", bytes(28)), fmt(1, 16, 8000), data(1, 16, 100))
    info = chunk(b"LIST", b"INFOINAM" + struct.pack("<I", 5) + b"Tone\0")
    out["list_between"] = riff(fmt(2, 8, 11025), info, data(2, 8, 100))
    out["fact_cue"] = riff(fmt(1, 8, 8000), chunk(b"fact", struct.pack("<I", 100)),
                           chunk(b"cue ", struct.pack("<I", 0)), data(1, 8, 100))
    out["after_data"] = riff(fmt(1, 16, 8000), data(1, 16, 100), chunk(b"smpl", bytes(36)),
                             chunk(b"LIST", b"adtl"))
    # Odd chunks: an odd body without its pad byte, decoys of "d" and "dat" before the data.
    out["odd_unpadded"] = riff(fmt(1, 8, 8000), chunk(b"note", b"odd", pad=False), data(1, 8, 101))
    out["odd_data"] = riff(fmt(2, 8, 8000), data(2, 8, 50) + b"\x80", chunk(b"LIST", b"INFO"))
    out["decoys"] = riff(fmt(1, 16, 8000), b"dd dat d\0\0\0", data(1, 16, 100))
    # No RIFF header at all: the reader finds "fmt " anyway.
    out["bare_fmt"] = fmt(1, 16, 8000) + data(1, 16, 100)
    # The format scan looks at every fourth byte up to offset 396: found at 368.
    out["fmt_late"] = riff(chunk(b"JUNK", bytes(348)), fmt(1, 8, 8000), data(1, 8, 100))
    # Block aligns that do not match the samples, and data cut short of its claim.
    out["align3"] = riff(fmt(1, 16, 8000, align=3), data(1, 16, 100))
    out["align_huge"] = riff(fmt(2, 16, 8000, align=0x7FFF), data(2, 16, 900, claim=0x7FFFFFFF))
    out["cut_short"] = riff(fmt(1, 16, 8000), data(1, 16, 100, claim=100000))
    # Refused at each step: channels, bits, no data, no frame, rate, align, too many frames.
    out["no_channels"] = riff(fmt(3, 16, 8000), data(3, 16, 10))
    out["bits24"] = riff(fmt(1, 24, 8000, align=3), data(1, 16, 10))
    out["no_data"] = riff(fmt(1, 16, 8000), chunk(b"LIST", bytes(200)))
    out["no_frames"] = riff(fmt(1, 16, 8000), data(1, 16, 0))
    out["rate0"] = riff(fmt(1, 16, 0), data(1, 16, 10))
    out["align0"] = riff(fmt(1, 16, 8000, align=0), data(1, 16, 10))
    out["many_frames"] = riff(fmt(1, 8, 8000, align=1), data(1, 8, 10, claim=0xFFFFFFFF))
    out["header_cut"] = riff(fmt(1, 16, 8000))[:30]
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, body in sorted(seeds().items()):
        assert len(body) <= 4096, name
        with open(os.path.join(folder, name + ".wav"), "wb") as f:
            f.write(body)


if __name__ == "__main__":
    main()
