#!/usr/bin/env python3
"""Writes the binary seed corpora of the fuzz targets: zip archives for archive_walk_fuzz and
entry records for entry_names_fuzz (engine/fuzz_corpus/), painting runs for pixel_painter_fuzz
(skinui/core/fuzz_corpus/). The text seeds of the other targets are kept as they are. Run it again after changing a seed here; the output is deterministic.

usage: fuzz_seeds.py [REPOSITORY_ROOT]
"""
import io
import os
import struct
import sys
import zipfile
import zlib

UNIX_FILE = 0o100644 << 16
UNIX_DIRECTORY = (0o040755 << 16) | 0x10
DATE = (2021, 6, 15, 10, 16, 0)


def ut_block(flags, *times):
    data = bytes([flags]) + b"".join(struct.pack("<I", t) for t in times)
    return struct.pack("<HH", 0x5455, len(data)) + data


def entry(name, data=b"", method=zipfile.ZIP_DEFLATED, system=3, attributes=UNIX_FILE, extra=b""):
    info = zipfile.ZipInfo(name, DATE)
    info.compress_type = method
    info.create_system = system
    info.external_attr = attributes
    info.extra = extra
    return info, data


def archive(entries, comment=b""):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as out:
        for info, data in entries:
            out.writestr(info, data)
        out.comment = comment
    return buffer.getvalue()


def end_record_at(data):
    return data.rindex(b"PK\x05\x06")


def with_zip64_end(data, claimed=None):
    """The same archive with a zip64 end record and locator; the old record defers to them.
    The zip64 record announces the archive's own count unless another is claimed."""
    at = end_record_at(data)
    _, _, _, on_disk, total, size, offset, comment_length = struct.unpack("<IHHHHIIH", data[at:at + 22])
    if claimed is not None:
        on_disk = total = claimed
    zip64 = struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, 45, 45, 0, 0, on_disk, total, size, offset)
    locator = struct.pack("<IIQI", 0x07064B50, 0, at, 1)
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, comment_length)
    return data[:at] + zip64 + locator + end + data[at + 22:]


def with_wrong_crc(data, content):
    """The CRC of the entry holding `content` changed in both of its headers."""
    crc = struct.pack("<I", zlib.crc32(content))
    assert data.count(crc) == 2
    return data.replace(crc, struct.pack("<I", zlib.crc32(content) ^ 0x5A5A5A5A))


def with_name_bytes(data, placeholder, name):
    """zipfile cuts names at a zero byte; the stored bytes are put in afterwards."""
    assert len(placeholder) == len(name) and data.count(placeholder) == 2
    return data.replace(placeholder, name)


def with_second_record_on_first_data(data, name):
    """One more central record, named `name` (as long as the first entry's name), that points
    at the first entry's local header and data: two entries over one data."""
    at = end_record_at(data)
    _, _, _, on_disk, total, size, offset, comment_length = struct.unpack("<IHHHHIIH", data[at:at + 22])
    first = data[offset:offset + 46 + struct.unpack("<H", data[offset + 28:offset + 30])[0]]
    assert len(first) == 46 + len(name)
    copy = first[:46] + name
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, on_disk + 1, total + 1, size + len(copy), offset, comment_length)
    return data[:at] + copy + end + data[at + 22:]


def encrypted(info_and_data):
    """The entry marked as encrypted, its data left as it is."""
    info, data = info_and_data
    info.flag_bits |= 0x1
    return info, data


def archive_seeds():
    text = b"".join(b"line %d\n" % (i * 7919 % 1000) for i in range(3000))
    package = archive([
        entry("Bokrin.exe", b"MZ" + bytes(range(256)) * 4, extra=ut_block(7, 1600000000, 1650000000, 1500000000)),
        entry("readme.txt", "Bokrin阅读 1.13.6\r\n".encode(), method=zipfile.ZIP_STORED, system=11, attributes=0x21),
        entry("openglessl/", b"", method=zipfile.ZIP_STORED, attributes=UNIX_DIRECTORY),
        entry("openglessl/settings.txt", text),
        entry("资料/读我.txt", "中文内容".encode()),
    ])
    small = archive([entry("a.txt", b"alpha"), entry("b/", b"", attributes=UNIX_DIRECTORY)])
    return {
        "package.zip": package,
        "package_zip64_end.zip": with_zip64_end(small),
        "zip64_end_record_claiming_2g_entries.zip": with_zip64_end(small, claimed=0x7FFFFFFF),
        "empty.zip": archive([]),
        "empty_with_comment.zip": archive([], comment=b"no entries"),
        "wrong_crc.zip": with_wrong_crc(archive([entry("bad.txt", text), entry("ok.txt", b"fine")]), text),
        "hostile_names.zip": with_name_bytes(archive([
            entry("../escape.txt", b"x"), entry("C:\\Windows\\x.dll", b"x"), entry("a/../../b.txt", b"x"),
            entry("CON", b"x"), entry("dir/file:stream", b"x"), entry("..#/cut.txt", b"x"),
        ]), b"..#/cut.txt", b"..\0/cut.txt"),
        "stored_and_empty.zip": archive([
            entry("stored.bin", bytes(range(256)), method=zipfile.ZIP_STORED), entry("empty.txt", b""),
        ]),
        "client_name_cut_by_zero.zip": with_name_bytes(archive([
            entry("Bokrin.exe", b"MZ"), entry("Bokrin.exe#.txt", b"evil"), entry("CON#x.txt", b"evil"),
        ]), b"Bokrin.exe#.txt", b"Bokrin.exe\0.txt").replace(b"CON#x.txt", b"CON\0x.txt"),
        "names_windows_alters.zip": archive([
            entry("Bokrin.exe", b"MZ"), entry("Bokrin.exe" + " " * 300, b"evil"), entry("Bokrin.exe.", b"evil"),
            entry("COM\u00b9.txt", b"evil"), entry("LPT\u00b2", b"evil"), entry("a<b>|c?.txt", b"evil"),
            entry("skin /a.xml", b"evil"),
        ]),
        "encrypted_entry.zip": archive([entry("Bokrin.exe", b"MZ"), encrypted(entry("secret.txt", b"words"))]),
        "unknown_method.zip": archive([entry("Bokrin.exe", b"MZ"), entry("packed.bin", text, method=zipfile.ZIP_BZIP2)]),
        "two_records_on_one_data.zip": with_second_record_on_first_data(
            archive([entry("a.txt", text), entry("Bokrin.exe", b"MZ")]), b"b.txt"),
        "file_and_folder_of_one_name.zip": archive([
            entry("Bokrin.exe", b"MZ"), entry("lib", b"file"), entry("lib/x.dll", b"x"),
        ]),
        "client_is_a_folder.zip": archive([
            entry("Bokrin.exe/", b"", method=zipfile.ZIP_STORED, attributes=UNIX_DIRECTORY), entry("readme.txt", b"r"),
        ]),
    }


def record(name, made_by=0x031E, attributes=UNIX_FILE, dos=0x52CF5200, extra=b""):
    return struct.pack("<HIIH", made_by, attributes, dos, len(extra)) + extra + name.encode("utf-16-le")


def entry_name_seeds():
    leap_day = ((2000 - 1980) << 25) | (2 << 21) | (29 << 16) | (12 << 11) | (34 << 5) | 28
    return {
        "plain_file": record("Bokrin.exe", extra=ut_block(7, 1600000000, 1650000000, 1500000000)),
        "ntfs_read_only_hidden": record("docs/readme.txt", made_by=0x0B14, attributes=0x23, dos=leap_day),
        "unix_directory": record("res/skin/", attributes=UNIX_DIRECTORY, dos=0),
        "drive_and_upward_steps": record("C:\\tmp\\..\\..\\x"),
        "upward_at_start": record("../x"),
        "device_names": record("sub/nul.txt"),
        "dot_space_component": record("a/... /b"),
        "chinese_name": record("资料/读我.txt"),
        "long_name": record("dir/" + "a" * 300),
        "client_name_padded_with_blanks": record("Bokrin.exe" + " " * 300),
        "client_name_with_trailing_dot": record("Bokrin.exe."),
        "superscript_device": record("COM\u00b9.txt"),
        "forbidden_characters": record("a<b>|c?.txt"),
        "extra_blocks_then_cut_stamp": record(
            "x", extra=struct.pack("<HH", 0x7875, 3) + b"\x01\x04\xe8" + struct.pack("<HH", 0x5455, 13) + b"\x07\x01\x02"),
    }


# The painter's input, read as pixel_painter_fuzz.cpp reads it: buffer and picture sizes less
# one, the picture's pixels big-endian, a 16 x 16 coverage mask, then calls. A coordinate byte
# is the value + 8 (for -8..31) or one of the ends of the 32-bit range.
PAINT_ENDS = {"max": 255, "min": 254, "max-1": 253, "min+1": 252}
RED, GREEN, BLUE, BLACK = 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFF000000
PUSH_CLIP, POP_CLIP, FILL, BORDER, PICTURE, COVERAGE = range(6)


def coordinate(value):
    return PAINT_ENDS[value] if isinstance(value, str) else value + 8


def paint_rect(*edges):
    return bytes(coordinate(edge) for edge in edges)


def paint_setup(buffer_size, picture_size, pixels):
    (buffer_width, buffer_height), (picture_width, picture_height) = buffer_size, picture_size
    return (bytes([buffer_width - 1, buffer_height - 1, picture_width - 1, picture_height - 1]) +
            b"".join(struct.pack(">I", pixel) for pixel in pixels) + bytes(range(256)))


def paint_call(operation, rect, *rest):
    return bytes([operation]) + paint_rect(*rect) + b"".join(rest)


def paint_color(argb):
    return struct.pack(">I", argb)


def picture_call(dest, source, corners, fade, blend):
    return paint_call(PICTURE, dest, paint_rect(*source), paint_rect(*corners), bytes([fade, 0 if blend else 1]))


def painter_seeds():
    # Red corners, green edges and a blue middle, one pixel wide each side.
    grid = [RED if (x in (0, 5)) and (y in (0, 5)) else GREEN if x in (0, 5) or y in (0, 5) else BLUE
            for y in range(6) for x in range(6)]
    plane = ("min", "min", "max", "max")
    return {
        "fill_and_border": paint_setup((16, 12), (2, 2), [RED] * 4) +
            paint_call(FILL, (1, 1, 10, 8), paint_color(0x80336699)) +
            paint_call(BORDER, (0, 0, 16, 12), bytes([coordinate(2)]), paint_color(BLACK)),
        "nine_grid_grown": paint_setup((20, 16), (6, 6), grid) +
            picture_call((1, 1, 19, 15), (0, 0, 6, 6), (1, 1, 1, 1), 255, False),
        "nine_grid_shrunk_faded": paint_setup((8, 8), (6, 6), grid) +
            picture_call((0, 0, 4, 3), (0, 0, 6, 6), (2, 2, 2, 2), 128, True),
        "copy_at_own_size": paint_setup((12, 10), (6, 6), grid) +
            picture_call((2, 3, 8, 9), (0, 0, 6, 6), (0, 0, 0, 0), 255, False),
        "strip_through_window": paint_setup((8, 4), (12, 2), [BLACK | i * 0x101010 for i in range(24)]) +
            picture_call((-3, 0, 9, 2), (0, 0, 12, 2), (0, 0, 0, 0), 255, False),
        "coverage_in_clips": paint_setup((16, 16), (1, 1), [RED]) +
            paint_call(PUSH_CLIP, (2, 2, 14, 14)) + paint_call(PUSH_CLIP, (-8, 4, 10, "max")) +
            paint_call(COVERAGE, (0, 0, 16, 16), paint_color(BLACK)) + paint_call(POP_CLIP, (0, 0, 0, 0)) +
            paint_call(COVERAGE, (3, 3, 9, 9), paint_color(0x80FFFFFF)),
        "hostile_rectangles": paint_setup((10, 10), (4, 4), [0x80402010] * 16) +
            paint_call(FILL, plane, paint_color(0x40FF0000)) +
            paint_call(BORDER, plane, bytes([coordinate("max")]), paint_color(GREEN)) +
            picture_call(("min+1", "min", "max", "max-1"), plane, ("max", "max", "max", "max"), 200, True) +
            picture_call((9, 9, "min", "min"), (0, 0, 4, 4), (0, 0, 0, 0), 255, False) +
            paint_call(COVERAGE, ("max-1", "max-1", "max", "max"), paint_color(BLACK)),
    }


def write(folder, seeds):
    os.makedirs(folder, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    write(os.path.join(root, "engine", "fuzz_corpus", "archive_walk_fuzz"), archive_seeds())
    write(os.path.join(root, "engine", "fuzz_corpus", "entry_names_fuzz"), entry_name_seeds())
    write(os.path.join(root, "skinui", "core", "fuzz_corpus", "pixel_painter_fuzz"), painter_seeds())


if __name__ == "__main__":
    main()
