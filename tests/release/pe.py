"""Just enough of the PE file format to check a built executable: sections,
imported DLLs, the resource tree, icon groups and the version resource."""
import struct
from dataclasses import dataclass, field
from typing import Dict, List, Tuple

RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24


@dataclass
class Section:
    name: str
    virtual_size: int
    rva: int
    raw_size: int
    raw_offset: int


class PeFile:
    def __init__(self, data: bytes):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        self.machine, count, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        self.is64 = magic == 0x20B
        self.section_alignment, self.file_alignment = struct.unpack_from("<II", data, optional + 32)
        self.size_of_image = struct.unpack_from("<I", data, optional + 56)[0]
        self.checksum_offset = optional + 64
        self.checksum = struct.unpack_from("<I", data, self.checksum_offset)[0]
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        # The data directories follow fields that PE32+ makes wider.
        self.directory_table = optional + (112 if self.is64 else 96)
        self.directories = [struct.unpack_from("<II", data, self.directory_table + 8 * i)
                            for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(count):
            raw = data[table + 40 * i:table + 40 * i + 40]
            name = raw[:8].rstrip(b"\0").decode("ascii", "replace")
            vsize, rva, rsize, roffset = struct.unpack_from("<IIII", raw, 8)
            self.sections.append(Section(name, vsize, rva, rsize, roffset))

    def offset(self, rva):
        for s in self.sections:
            if s.rva <= rva < s.rva + max(s.virtual_size, s.raw_size):
                return s.raw_offset + rva - s.rva
        raise ValueError("RVA %#x is in no section" % rva)

    def c_string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def imports(self) -> List[str]:
        rva, size = self.directories[1]
        names, position = [], self.offset(rva) if size else None
        while position is not None:
            fields = struct.unpack_from("<IIIII", self.data, position)
            if not any(fields):
                break
            names.append(self.c_string(fields[3]))
            position += 20
        return names

    def resources(self) -> Dict[Tuple[int, int], bytes]:
        """{(type, id): data} for every resource with numeric type and id
        (the first language of each)."""
        rva, size = self.directories[2]
        if not size:
            return {}
        base = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                yield ident, target

        found = {}
        for kind, type_dir in entries(0):
            if kind & 0x80000000 or not type_dir & 0x80000000:
                continue
            for ident, name_dir in entries(type_dir & 0x7FFFFFFF):
                if ident & 0x80000000 or not name_dir & 0x80000000:
                    continue
                _, leaf = next(entries(name_dir & 0x7FFFFFFF))
                data_rva, data_size = struct.unpack_from("<II", self.data, base + leaf)
                start = self.offset(data_rva)
                found[(kind, ident)] = self.data[start:start + data_size]
        return found


def icon_group(data: bytes) -> List[Tuple[int, int, int]]:
    """An RT_GROUP_ICON -> [(width, height, RT_ICON id)]; 0 means 256."""
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1:
        raise ValueError("not an icon group")
    out = []
    for i in range(count):
        width, height, _, _, _, _, _, ident = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
        out.append((width or 256, height or 256, ident))
    return out


def icon_image(data: bytes):
    """An RT_ICON -> (width, height, count of opaque pixels, pixel count);
    the opaque count is None for a PNG image."""
    if data[:8] == b"\x89PNG\r\n\x1a\n":
        width, height = struct.unpack_from(">II", data, 16)
        return width, height, None, width * height
    header, width, height, _, bits = struct.unpack_from("<IiiHH", data, 0)
    height //= 2  # colour rows and mask rows
    if bits != 32:
        return width, height, None, width * height
    alpha = data[header + 3:header + 4 * width * height:4]
    return width, height, sum(1 for a in alpha if a >= 128), width * height


@dataclass
class VersionBlock:
    key: str
    value: bytes
    is_text: bool
    children: List["VersionBlock"] = field(default_factory=list)

    def text(self):
        return self.value.decode("utf-16-le").rstrip("\0")

    def find(self, key):
        return next((child for child in self.children if child.key == key), None)


def version_info(data: bytes, position=0) -> VersionBlock:
    """Parses a VS_VERSIONINFO block and its children."""
    def align(n):
        return (n + 3) & ~3

    def block(start):
        length, value_length, kind = struct.unpack_from("<HHH", data, start)
        key_end = start + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[start + 6:key_end].decode("utf-16-le")
        value_start = align(key_end + 2)
        value_size = value_length * 2 if kind == 1 else value_length
        node = VersionBlock(key, data[value_start:value_start + value_size], kind == 1)
        child = align(value_start + value_size)
        while child < start + length:
            child_length = struct.unpack_from("<H", data, child)[0]
            if child_length == 0:
                break
            node.children.append(block(child))
            child = align(child + child_length)
        return node

    return block(position)


def fixed_versions(root: VersionBlock):
    """(file version, product version) from VS_FIXEDFILEINFO as dotted text."""
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", root.value)
    if signature != 0xFEEF04BD:
        raise ValueError("no VS_FIXEDFILEINFO")

    def dotted(ms, ls):
        return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    return dotted(file_ms, file_ls), dotted(product_ms, product_ls)


def version_strings(root: VersionBlock) -> Dict[str, str]:
    """The strings of the first language block of StringFileInfo."""
    string_info = root.find("StringFileInfo")
    if not string_info or not string_info.children:
        return {}
    return {item.key: item.text() for item in string_info.children[0].children}
