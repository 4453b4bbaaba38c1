#!/usr/bin/env python3
"""Writes the committed seed corpora under fuzz/corpus/<target>/: excerpts of
the shipped content, small copies of the generated pictures (when
build/run/BMP exists and ImageMagick's convert is installed) and hand-made odd
cases. Run from anywhere; rerunning rewrites the same files."""
import os
import shutil
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")
CONTENT = os.path.join(ROOT, "content", "Data")
PICTURES = os.path.join(ROOT, "build", "run", "BMP")


def put(target, name, data):
    folder = os.path.join(CORPUS, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def content(name):
    with open(os.path.join(CONTENT, name), "rb") as f:
        return f.read().decode("latin-1")


# ---------------------------------------------------------------- scene files
def scene_seeds():
    for name in ("scene10e.txt", "scene10d.txt"):
        lines = content(name).splitlines()
        # The head of the file (ground, panel, first buildings) and a slice of
        # its enemies, closed again.
        enemies = [l for l in lines if "enemy{" in l.lower()]
        put("scene_file", name[:-4] + "-head.txt", "\n".join(lines[:40]) + "\n}\n")
        put("scene_file", name[:-4] + "-enemies.txt",
            "scene{\n" + "\n".join(enemies[:25]) + "\n}\n")
    put("scene_file", "crlf.txt",
        "scene{\r\n  ground{ position 0 0 0 }\r\n  enemy{ position 1 0 9 time 0 9000 "
        "texture Texture4.bmp }\r\n}\r\n")
    put("scene_file", "nested.txt",
        "SCENE{ building{ enemy{ position 0 0 5 time 10 5000 } size 2 3 4 texture "
        "Building1a.bmp } light{ position 5 5 5 } enemy{ } panel{ } Ground{ } }")
    put("scene_file", "unclosed.txt", "scene{ enemy{ time 0 100 building{ position 1 2 3")
    put("scene_file", "malformed.txt", "scene{ building{ position 1 x 3 } enemy{ time 5 } }")
    # The extremes the number reader accepts (floats up to 3.4e38 and down to
    # denormals, the ends of the int range): the whole file is read.
    put("scene_file", "extremes.txt",
        "scene{ enemy{ position 3.4e38 -3.4e38 1e-45 time -2147483648 2147483647 } "
        "building{ position -3.4e38 0 0 size 1e30 1e30 1e30 texture Nope.bmp } "
        "enemy{ position 0 0 1e-40 time 2147483000 -5 texture Bullet.bmp } }")
    # What it refuses (infinities, not-a-number, floats beyond the float
    # range): reading stops there, after the first enemy.
    for name, number in (("inf", "inf"), ("nan", "nan"), ("huge", "1e308")):
        put("scene_file", "nonfinite-" + name + ".txt",
            "scene{ enemy{ position 0 1 9 time 0 9000 texture Texture4.bmp } "
            "enemy{ position " + number + " 1 9 time 0 9000 } building{ size 1 1 1 } }")
    # Shooting an enemy whose window opened at the bottom of the int range.
    put("scene_file", "extreme-window.txt",
        "scene{ enemy{ position 0 0 8 time -2147483648 2147483647 texture Texture4.bmp } }")
    put("scene_file", "stray.txt", "} } scene{ } building{ }")
    put("scene_file", "empty.txt", "")
    put("scene_file", "bytes.txt", b"scene{ \x00\xff\x80{ enemy{ texture \xe9t\xe9.bmp } }")


# ---------------------------------------------------------------- path files
def path_seeds():
    put("path_file", "path10.txt", content("path10.txt"))
    put("path_file", "two.txt",
        "{ { time 0 position 0 1 0 lookat 0 0 1 worldup 0 1 0 } "
        "{ time 5000 position 0 1 10 } }")
    put("path_file", "single.txt", "{ time 100 position 1 2 3 lookat 0 0 1 worldup 0 1 0 }")
    put("path_file", "none.txt", "time 5 { }")
    put("path_file", "same-time.txt",
        "{ { time 7 position 0 0 0 } { time 7 position 9 9 9 } { time 7 } }")
    put("path_file", "extremes.txt",
        "{ { time -2147483648 position 3.4e38 3.4e38 3.4e38 lookat 0 0 0 worldup 0 0 0 } "
        "{ time 2147483647 position -3.4e38 1e-45 -0 lookat 1e-45 0 0 worldup 0 -1 0 } }")
    for name, number in (("inf", "-inf"), ("nan", "nan"), ("huge", "1e308")):
        put("path_file", "nonfinite-" + name + ".txt",
            "{ { time 0 position 0 1 0 lookat 0 0 1 worldup 0 1 0 } "
            "{ time 5000 position 0 1 " + number + " } { time 9000 } }")
    put("path_file", "unclosed.txt", "{ { time 0 position 1 2 3 } { time 50")
    put("path_file", "malformed.txt", "{ { time 1x0 position 1 2 } }")
    put("path_file", "crlf.txt",
        "{\r\n { TIME 0 Position 0 1 0 LookAt 0 0 1 WorldUp 0 1 0 }\r\n"
        " { time 900 position 0 1 5 }\r\n}\r\n")
    put("path_file", "backwards.txt",
        "{ { time 9000 position 0 1 0 } { time 0 position 5 1 0 } { time 4000 } }")


# ---------------------------------------------------------------- word lists
def word_seeds():
    for name in ("easy.txt", "normal.txt", "difficult.txt"):
        put("word_list", name, content(name))
    put("word_list", "crlf.txt", "able\r\nbee\r\nCab\r\n\r\n")
    put("word_list", "long-line.txt", "ok\n" + "a" * 300 + "\nbee\n" + "c" * 255 + "\n")
    put("word_list", "few-letters.txt", "apple\nAnt\nant\n")
    put("word_list", "blank.txt", "\n\n\n")
    put("word_list", "odd-starts.txt", "1up\n-x\n \n\tq\n\xe9t\xe9\n\xffz\nzed\n")
    put("word_list", "nul.txt", b"a\x00b\nbe\x00\n\x00x\n")
    put("word_list", "no-newline.txt", "zip")
    put("word_list", "empty.txt", "")


# ---------------------------------------------------------------- TGA
def tga(width, height, depth, image_type, pixels, descriptor=0, ident=b""):
    header = struct.pack("<BBBHHBHHHHBB", len(ident), 0, image_type, 0, 0, 0, 0, 0,
                         width, height, depth, descriptor)
    return header + ident + pixels


def tga_seeds():
    bgr = bytes([10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120])
    put("tga", "raw24.tga", tga(2, 2, 24, 2, bgr))
    put("tga", "raw32-topdown.tga",
        tga(2, 1, 32, 2, bytes([1, 2, 3, 254, 4, 5, 6, 255]), descriptor=0x28))
    put("tga", "rle32.tga",
        tga(4, 2, 32, 10, bytes([0x83, 9, 8, 7, 255, 0x02, 1, 1, 1, 0, 2, 2, 2, 128, 3, 3, 3, 200,
                                 0x80, 5, 5, 5, 5])))
    put("tga", "rle-across-rows.tga", tga(3, 2, 24, 10, bytes([0x85, 200, 100, 50])))
    put("tga", "id-field.tga", tga(1, 1, 24, 2, bytes([1, 2, 3]), ident=b"voskar"))
    put("tga", "truncated.tga", tga(64, 64, 32, 2, bytes([1, 2, 3])))
    put("tga", "depth16.tga", tga(2, 1, 16, 2, bytes([1, 2, 3, 4, 5, 6])))
    put("tga", "colour-mapped.tga", struct.pack("<BBBHHBHHHHBB", 0, 1, 1, 0, 2, 24, 0, 0, 1, 1,
                                                8, 0) + bytes([1, 2, 3, 4, 5, 6, 0]))
    put("tga", "huge-header.tga", tga(65535, 65535, 32, 10, bytes([0xFF, 0, 0, 0, 0])))
    put("tga", "short-header.tga", bytes([0, 0, 2, 0, 0]))


# ---------------------------------------------------------------- BMP
def bmp(width, height, bits, rows, colours=b"", compression=0, top_down=False):
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits,
                       compression, len(rows), 2835, 2835, len(colours) // 4, 0)
    offset = 14 + len(info) + len(colours)
    return struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset) + info + colours + rows


def bmp_seeds():
    two = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    put("bmp", "1bit.bmp", bmp(3, 2, 1, bytes([0xA0, 0, 0, 0, 0x40, 0, 0, 0]), two))
    sixteen = bytes(sum(([i * 16, 255 - i * 16, i * 8, 0] for i in range(16)), []))
    put("bmp", "4bit.bmp", bmp(3, 2, 4, bytes([0x12, 0x30, 0, 0, 0xAB, 0xC0, 0, 0]), sixteen))
    grey = bytes(sum(([i, i, i, 0] for i in range(256)), []))
    put("bmp", "8bit.bmp", bmp(2, 2, 8, bytes([0, 255, 0, 0, 128, 64, 0, 0]), grey))
    put("bmp", "rle8.bmp",
        bmp(4, 2, 8, bytes([2, 7, 0, 2, 1, 2, 0, 0, 4, 9, 0, 1]), grey, compression=1))
    put("bmp", "rle4.bmp", bmp(4, 2, 4, bytes([4, 0x12, 0, 0, 4, 0x34, 0, 1]), sixteen,
                               compression=2))
    put("bmp", "16bit.bmp", bmp(2, 1, 16, bytes([0x1F, 0x7C, 0xE0, 0x03])))
    put("bmp", "24bit-topdown.bmp",
        bmp(2, 2, 24, bytes([0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0]),
            top_down=True))
    put("bmp", "32bit.bmp", bmp(1, 1, 32, bytes([1, 2, 3, 0])))
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    bf = bmp(2, 1, 16, bytes([0x1F, 0xF8, 0xE0, 0x07]), compression=3)
    # Bit-field masks follow the 40-byte header.
    bf = bf[:54] + masks + bf[54:]
    bf = bf[:2] + struct.pack("<I", len(bf)) + bf[6:10] + struct.pack("<I", 66) + bf[14:]
    put("bmp", "bitfields.bmp", bf)
    os2 = struct.pack("<IHHHH", 12, 1, 1, 1, 24)
    put("bmp", "os2.bmp", struct.pack("<2sIHHI", b"BM", 14 + 12 + 4, 0, 0, 26) + os2 +
        bytes([9, 8, 7, 0]))
    put("bmp", "truncated.bmp", bmp(64, 64, 24, bytes(10)))
    put("bmp", "huge-rle8.bmp", bmp(16384, 16384, 8, bytes([0, 1]), grey, compression=1))


# ---------------------------------------------------------------- pictures
def picture_copies():
    convert = shutil.which("convert")
    if not convert or not os.path.isdir(PICTURES):
        print("no generated pictures or no convert: picture copies skipped", file=sys.stderr)
        return
    for name in sorted(os.listdir(PICTURES)):
        source = os.path.join(PICTURES, name)
        stem, extension = os.path.splitext(name)
        if extension.lower() == ".bmp":
            for bits, option in ((24, "BMP3:"), (8, "BMP3:")):
                out = os.path.join(CORPUS, "bmp", "%s-%d.bmp" % (stem, bits))
                os.makedirs(os.path.dirname(out), exist_ok=True)
                args = [convert, source, "-resize", "24x24!"]
                if bits == 8:
                    args += ["-colors", "16", "-type", "Palette"]
                subprocess.run(args + [option + out], check=True)
        elif extension.lower() == ".tga":
            out = os.path.join(CORPUS, "tga", stem + "-small.tga")
            os.makedirs(os.path.dirname(out), exist_ok=True)
            subprocess.run([convert, source, "-resize", "32x16!", "-compress", "RLE", out],
                           check=True)
            with open(source, "rb") as f:
                head = f.read()
            if len(head) <= 16384:
                put("tga", name, head)


if __name__ == "__main__":
    scene_seeds()
    path_seeds()
    word_seeds()
    tga_seeds()
    bmp_seeds()
    picture_copies()
