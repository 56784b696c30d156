#!/usr/bin/env python3
"""Writes the help file "hilfe.hlp" in the platform's classic help format from the German help
source in resources/help/ (a project file and one text file per topic)."""

# The help file is an internal file system: a header, then internal files, each with a small file
# header, found through a B+ tree directory. This writer makes the files the viewers need:
#   |SYSTEM    title, contents topic, compression flags
#   |TOPIC     topic headers and paragraphs, in 4 KB blocks of LZ77 data (literals only)
#   |FONT      the fonts the paragraphs switch between
#   |CONTEXT   B+ tree: hash of a topic name -> topic offset (jumps, -i on the command line)
#   |CTXOMAP   context numbers -> topic offset; a topic's number is the hash of its name, so a
#              program opens a topic by name with a context call, which every viewer carries out
#   |KWBTREE, |KWDATA, |KWMAP   the keyword index
#   |TTLBTREE  B+ tree: topic offset -> title
# Positions inside |TOPIC come in two forms: a TOPICPOS (block * 0x4000 + 12 + offset in the
# block's unpacked data) chains the records; a TOPICOFFSET (block * 0x8000 + characters of the
# paragraphs before it in its block) names a place for maps, keywords and browse sequences.
#
#   make_help.py --source resources/help --out DIR/hilfe.hlp
#
# Source: hilfe.ini holds [Hilfe] Titel= and Themen= (topic names in browse order); NAME.txt is
# one topic, in UTF-8:
#   # Title                      the first line: the topic's title, shown as its heading
#   Stichwörter: one; two        keywords for the index (any number of such lines)
#   ## Heading                   a sub-heading
#   - item, 1. item              a list item (lines indented below it continue it)
#   **bold**, [text](Topic)      bold text and a jump to another topic, inside any paragraph
# Blank lines separate paragraphs.

import argparse
import configparser
import os
import re
import struct
import sys
import time

ENCODING = 'cp1252'
TOPIC_BLOCK = 0x1000         # bytes of one |TOPIC block, its 12-byte header included
BLOCK_HEADER = 12
PAGE_SIZE = 1024             # B+ tree pages
NONE = 0xFFFFFFFF
INDENT = 24                  # a list item's hanging indent, in half points

# Fonts the paragraphs use: (face, half points, bold).
FONTS = [('Arial', 20, False), ('Arial', 20, True), ('Arial', 28, True), ('Arial', 22, True)]
F_TEXT, F_BOLD, F_TITLE, F_HEADING = range(4)

TOPIC_NAME = re.compile(r'^[A-Za-z0-9_.]+$')
NUMBERED = re.compile(r'^(\d+)\. ')
INLINE = re.compile(r'\*\*(?P<bold>.+?)\*\*|\[(?P<text>[^\]]+)\]\((?P<target>[^)\s]+)\)')


class HelpSourceError(Exception):
    pass


# ---------------------------------------------------------------------------------------------
# The source

class Paragraph:
    """One paragraph: its kind ('title', 'heading', 'text', 'item'), its runs of (text, bold,
    jump target or None) and, for a list item, the mark before it."""

    def __init__(self, kind, runs, mark=''):
        self.kind = kind
        self.runs = runs
        self.mark = mark

    def plain(self):
        return ''.join(r[0] for r in self.runs)


class Topic:
    def __init__(self, name, title, keywords, paragraphs):
        self.name = name
        self.title = title
        self.keywords = keywords
        self.paragraphs = paragraphs

    def jumps(self):
        return [target for p in self.paragraphs for _, _, target in p.runs if target]


def context_hash(name):
    """The viewers' hash of a topic name, as a signed 32-bit number."""
    h = 0
    for c in name:
        if 'A' <= c <= 'Z':
            x = ord(c) - ord('A') + 17
        elif 'a' <= c <= 'z':
            x = ord(c) - ord('a') + 17
        elif '1' <= c <= '9':
            x = ord(c) - ord('0')
        elif c == '0':
            x = 10
        elif c == '.':
            x = 12
        elif c == '_':
            x = 13
        else:
            x = 0
        if x:
            h = (h * 43 + x) & 0xFFFFFFFF
    return h - 0x100000000 if h & 0x80000000 else h


def parse_inline(text, where):
    runs = []
    pos = 0
    for m in INLINE.finditer(text):
        if m.start() > pos:
            runs.append((text[pos:m.start()], False, None))
        if m.group('bold') is not None:
            runs.append((m.group('bold'), True, None))
        else:
            target = m.group('target')
            if not TOPIC_NAME.match(target):
                raise HelpSourceError('%s: jump to "%s", which is no topic name' % (where, target))
            runs.append((m.group('text'), False, target))
        pos = m.end()
    if pos < len(text):
        runs.append((text[pos:], False, None))
    for run_text, _, _ in runs:
        if '**' in run_text or '](' in run_text:
            raise HelpSourceError('%s: unclosed mark-up in "%s"' % (where, run_text))
    return runs


def parse_topic(name, text, path='?'):
    """One topic from its source text."""
    lines = text.replace('\r\n', '\n').split('\n')
    if not lines or not lines[0].startswith('# '):
        raise HelpSourceError('%s:1: a topic starts with "# Title"' % path)
    title = lines[0][2:].strip()
    keywords = []
    paragraphs = [Paragraph('title', [(title, True, None)])]
    block = []          # (line number, text) of the paragraph being read
    kind = None
    mark = ''

    def flush():
        nonlocal block, kind, mark
        if block:
            where = '%s:%d' % (path, block[0][0])
            joined = ' '.join(t.strip() for _, t in block)
            paragraphs.append(Paragraph(kind, parse_inline(joined, where), mark))
        block, kind, mark = [], None, ''

    for number, line in enumerate(lines[1:], 2):
        stripped = line.strip()
        if not stripped:
            flush()
        elif stripped.startswith('Stichwörter:') and not block:
            keywords += [k.strip() for k in stripped[len('Stichwörter:'):].split(';') if k.strip()]
        elif stripped.startswith('## '):
            flush()
            kind = 'heading'
            block = [(number, stripped[3:])]
            flush()
        elif stripped.startswith('- ') or NUMBERED.match(stripped):
            flush()
            kind = 'item'
            numbered = NUMBERED.match(stripped)
            mark = numbered.group(1) + '.' if numbered else '\u2022'
            block = [(number, stripped[numbered.end() if numbered else 2:])]
        elif stripped.startswith('#'):
            raise HelpSourceError('%s:%d: only the first line is a title; use "## " for headings' % (path, number))
        else:
            if not block:
                kind = 'text'
            elif kind == 'item' and not line[:1].isspace():
                flush()
                kind = 'text'
            block.append((number, stripped))
    flush()
    if not title:
        raise HelpSourceError('%s:1: the topic has no title' % path)
    for text in keywords + [p.mark + r[0] for p in paragraphs for r in p.runs]:
        check_encoding(text, path)
    return Topic(name, title, keywords, paragraphs)


def check_encoding(text, where):
    try:
        text.encode(ENCODING)
    except UnicodeEncodeError as e:
        raise HelpSourceError('%s: "%s" cannot be written in Windows-1252' % (where, text[e.start:e.end]))


def read_source(folder):
    """The help's title and its topics in browse order."""
    project = configparser.ConfigParser()
    project.optionxform = str
    ini = os.path.join(folder, 'hilfe.ini')
    with open(ini, encoding='utf-8') as f:
        project.read_file(f)
    title = project.get('Hilfe', 'Titel')
    check_encoding(title, ini)
    names = [n.strip() for n in project.get('Hilfe', 'Themen').split(',') if n.strip()]
    if not names:
        raise HelpSourceError('%s: no topics under Themen=' % ini)
    topics = []
    for i, name in enumerate(names):
        if not TOPIC_NAME.match(name):
            raise HelpSourceError('%s: "%s" is no topic name (letters, digits, "_" and "." only)' % (ini, name))
        if name in names[:i]:
            raise HelpSourceError('%s: the topic "%s" is listed twice' % (ini, name))
        path = os.path.join(folder, name + '.txt')
        with open(path, encoding='utf-8') as f:
            topics.append(parse_topic(name, f.read(), path))
    hashes = {}
    for t in topics:
        other = hashes.setdefault(context_hash(t.name), t.name)
        if other != t.name:
            raise HelpSourceError('topics "%s" and "%s" have the same hash' % (other, t.name))
        for target in t.jumps():
            if target not in names:
                raise HelpSourceError('%s: jump to "%s", which is no topic of %s' % (t.name, target, ini))
    return title, topics


# ---------------------------------------------------------------------------------------------
# Small encodings

def u16(v):
    return struct.pack('<H', v & 0xFFFF)


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def comp_ushort(v):
    """A compressed unsigned short: one byte below 128, else two."""
    assert 0 <= v < 0x8000
    return bytes([v * 2]) if v < 0x80 else u16(v * 2 + 1)


def comp_short(v):
    assert -0x4000 <= v < 0x4000
    return bytes([v * 2 + 0x80]) if -0x40 <= v < 0x40 else u16(v * 2 + 0x8001)


def comp_long(v):
    assert -0x40000000 <= v < 0x40000000
    return u16(v * 2 + 0x8000) if -0x4000 <= v < 0x4000 else u32(v * 2 + 0x80000001)


def lz77_literals(data):
    """LZ77 data as the viewers unpack it, made of literals only: a zero flag byte before every
    eight bytes."""
    out = bytearray()
    for i in range(0, len(data), 8):
        out.append(0)
        out += data[i:i + 8]
    return bytes(out)


def file_header(data):
    """An internal file: reserved space (header included), used space, flags."""
    return u32(len(data) + 9) + u32(len(data)) + b'\x04' + data


# ---------------------------------------------------------------------------------------------
# B+ trees

def leaf_pages(entries):
    """Leaf entries packed into pages in order."""
    leaves = [[]]
    used = 8
    for e in entries:
        if 8 + len(e) > PAGE_SIZE:
            raise HelpSourceError('an index entry of %d bytes does not fit a page' % len(e))
        if used + len(e) > PAGE_SIZE and leaves[-1]:
            leaves.append([])
            used = 8
        leaves[-1].append(e)
        used += len(e)
    return leaves


def btree(entries, key_of, structure, flags=0x0002):
    """A B+ tree over `entries` (each an encoded leaf entry, in key order); `key_of(entry)` gives
    the encoded key an index page holds for the page the entry starts. Leaf pages come first."""
    leaves = leaf_pages(entries)
    pages = []
    for i, p in enumerate(leaves):
        body = b''.join(p)
        prev = i - 1 if i > 0 else 0xFFFF
        nxt = i + 1 if i + 1 < len(leaves) else 0xFFFF
        pages.append(u16(PAGE_SIZE - 8 - len(body)) + u16(len(p)) + u16(prev) + u16(nxt) + body)
    # One level of index pages after another until a single root is left.
    level = [(key_of(p[0]) if p else b'', i) for i, p in enumerate(leaves)]
    levels = 1
    while len(level) > 1:
        groups = [[]]
        used = 6
        for key, child in level:
            if groups[-1] and used + len(key) + 2 > PAGE_SIZE:
                groups.append([])
                used = 6
            groups[-1].append((key, child))
            used += len(key) + 2
        level = []
        for g in groups:
            body = b''.join(key + u16(child) for key, child in g[1:])
            level.append((g[0][0], len(pages)))
            pages.append(u16(PAGE_SIZE - 6 - len(body)) + u16(len(g) - 1) + u16(g[0][1]) + body)
        levels += 1
    root = level[0][1]
    header = (u16(0x293B) + u16(flags) + u16(PAGE_SIZE) + structure.encode('ascii').ljust(16, b'\0') +
              u16(0) + u16(0) + u16(root) + u16(0xFFFF) + u16(len(pages)) + u16(levels) + u32(len(entries)))
    return header + b''.join(p.ljust(PAGE_SIZE, b'\0') for p in pages)


# ---------------------------------------------------------------------------------------------
# |TOPIC

def paragraph_record_data(p):
    """LinkData1 (after the record type) and LinkData2 of one paragraph: text strings, each
    followed by one formatting command."""
    base_font = {'title': F_TITLE, 'heading': F_HEADING}.get(p.kind, F_TEXT)
    strings = ['', '']
    commands = [b'\x80' + u16(base_font)]
    font = base_font
    if p.kind == 'item':
        strings[-1] = p.mark
        commands.append(b'\x83')            # tab to the hanging indent
        strings.append('')
    for text, bold, target in p.runs:
        want = F_BOLD if bold and base_font == F_TEXT else base_font
        if want != font:
            commands.append(b'\x80' + u16(want))
            strings.append('')
            font = want
        if target:
            commands.append(b'\xE3' + u32(context_hash(target)))   # jump, shown underlined
            strings.append('')
        strings[-1] += text
        if target:
            commands.append(b'\x89')        # end of the jump's text
            strings.append('')
    commands.append(b'\x82')                # end of paragraph
    strings.append('')
    commands.append(b'\xFF')
    text = b''.join(s.encode(ENCODING) + b'\0' for s in strings)

    # Spacing and indents in half points.
    bits = 0
    fields = b''
    space_before = {'title': 0, 'heading': 14, 'text': 8, 'item': 4}[p.kind]
    if space_before:
        bits |= 0x0002
        fields += comp_short(space_before)
    if p.kind == 'title':
        bits |= 0x0004
        fields += comp_short(8)
    if p.kind == 'item':
        bits |= 0x0010 | 0x0040 | 0x0200
        fields += comp_short(INDENT) + comp_short(-INDENT) + comp_short(1) + comp_ushort(INDENT)
    # The text's size and its length in characters (what TOPICOFFSETs count), four bytes that
    # readers skip (a byte, a byte biased by 0x80, a paragraph id: all zero here), the bits.
    link1 = (comp_long(len(text)) + comp_ushort(len(text)) + b'\x00\x80' + u16(0) + u16(bits) +
             fields + b''.join(commands))
    return link1, text


class Record:
    def __init__(self, kind, link1, link2, topic):
        self.kind = kind            # 0x02 topic header, 0x20 paragraph
        self.link1 = link1          # LinkData1 (for a topic header filled in later)
        self.link2 = link2
        self.topic = topic
        self.block = self.offset = 0
        self.chars_before = 0       # characters of the paragraphs before it in its block

    def size(self):
        return 0x15 + len(self.link1) + len(self.link2)

    def pos(self):
        return self.block * 0x4000 + BLOCK_HEADER + self.offset

    def topic_offset(self):
        return self.block * 0x8000 + self.chars_before

    def length(self):
        """Characters it adds to TOPICOFFSETs of later records in its block."""
        return len(self.link2) if self.kind == 0x20 else 0


def layout_topics(topics):
    """The records of every topic, placed in blocks; no record crosses a block."""
    records = []
    headers = []
    for t in topics:
        header = Record(0x02, b'\0' * 28, t.title.encode(ENCODING) + b'\0', t)
        headers.append(header)
        records.append(header)
        for p in t.paragraphs:
            link1, link2 = paragraph_record_data(p)
            records.append(Record(0x20, link1, link2, t))
    # The most bytes whose packing (nine bytes for every eight) fits a block.
    capacity = (TOPIC_BLOCK - BLOCK_HEADER) // 9 * 8 + max(0, (TOPIC_BLOCK - BLOCK_HEADER) % 9 - 1)
    block, used, chars = 0, 0, 0
    for r in records:
        if r.size() > capacity:
            raise HelpSourceError('a paragraph of "%s" is too long (%d bytes, at most %d)' % (r.topic.name, r.size(), capacity))
        if used + r.size() > capacity:
            block, used, chars = block + 1, 0, 0
        r.block, r.offset, r.chars_before = block, used, chars
        used += r.size()
        chars += r.length()
    return records, headers


def topic_file(topics):
    records, headers = layout_topics(topics)
    by_topic = {h.topic.name: h for h in headers}
    # Topic headers, now that every place is known.
    for i, h in enumerate(headers):
        mine = [r for r in records if r.topic is h.topic]
        prev_t = headers[i - 1].topic_offset() if i > 0 else NONE
        next_t = headers[i + 1].topic_offset() if i + 1 < len(headers) else NONE
        next_pos = headers[i + 1].pos() if i + 1 < len(headers) else NONE
        scroll = mine[1].pos() if len(mine) > 1 else NONE
        h.link1 = (u32(sum(r.size() for r in mine)) + u32(prev_t) + u32(next_t) + u32(i) +
                   u32(NONE) + u32(scroll) + u32(next_pos))
    blocks = {}
    for i, r in enumerate(records):
        prev = records[i - 1].pos() if i > 0 else NONE
        nxt = records[i + 1].pos() if i + 1 < len(records) else NONE
        link = (u32(r.size()) + u32(len(r.link2)) + u32(prev) + u32(nxt) + u32(0x15 + len(r.link1)) +
                bytes([r.kind]) + r.link1 + r.link2)
        assert len(link) == r.size()
        blocks.setdefault(r.block, []).append((r, link))
    out = bytearray()
    last_link = NONE
    last_header = NONE
    count = max(blocks) + 1
    for b in range(count):
        items = blocks[b]
        raw = b''.join(link for _, link in items)
        out += u32(last_link) + u32(items[0][0].pos()) + u32(last_header)
        packed = lz77_literals(raw)
        # Full blocks are padded (zeros unpack to zeros after the last record); a reader takes
        # the last block to be at least 0x44 bytes long.
        room = TOPIC_BLOCK - BLOCK_HEADER if b + 1 < count else max(len(packed), 0x44 - BLOCK_HEADER)
        out += packed.ljust(room, b'\0')
        last_link = items[-1][0].pos()
        for r, _ in items:
            if r.kind == 0x02:
                last_header = r.pos()
    return bytes(out), by_topic


# ---------------------------------------------------------------------------------------------
# The other internal files

def system_file(title, contents_offset, gen_date):
    head = u16(0x036C) + u16(21) + u16(1) + u32(gen_date) + u16(4)   # 3.1 format, LZ77 in 4 KB blocks
    records = b''
    for kind, data in ((1, title.encode(ENCODING) + b'\0'), (3, u32(contents_offset))):
        records += u16(kind) + u16(len(data)) + data
    return head + records


def font_file():
    faces = []
    for face, _, _ in FONTS:
        if face not in faces:
            faces.append(face)
    names = b''.join(f.encode('ascii').ljust(20, b'\0') for f in faces)
    descriptors = b''
    for face, half_points, bold in FONTS:
        # attributes, size, family (swiss), face, foreground and background colour
        descriptors += (bytes([1 if bold else 0, half_points, 3]) + u16(faces.index(face)) +
                        bytes([0, 0, 0]) + bytes([255, 255, 255]))
    return u16(len(faces)) + u16(len(FONTS)) + u16(8) + u16(8 + len(names)) + names + descriptors


def keyword_sort_key(word):
    folded = word.casefold()
    for a, b in (('ä', 'a'), ('ö', 'o'), ('ü', 'u'), ('ß', 'ss')):
        folded = folded.replace(a, b)
    return (folded, word)


def keyword_files(topics, headers):
    """|KWBTREE, |KWDATA and |KWMAP: each keyword once, with the topics that list it."""
    places = {}
    for t in topics:
        for k in t.keywords:
            lst = places.setdefault(k, [])
            offset = headers[t.name].topic_offset()
            if offset not in lst:
                lst.append(offset)
    words = sorted(places, key=keyword_sort_key)
    entries = []
    data = b''
    for w in words:
        entries.append(w.encode(ENCODING) + b'\0' + u16(len(places[w])) + u32(len(data)))
        data += b''.join(u32(o) for o in places[w])
    tree = btree(entries, lambda e: e[:e.index(b'\0') + 1], 'z4')
    # The map names the first keyword of every leaf page, for lists that scroll through the index.
    kwmap = b''
    first = 0
    for page, keys in enumerate(leaf_pages(entries)):
        kwmap += u32(first) + u16(page)
        first += len(keys)
    return tree, data, u16(len(kwmap) // 6) + kwmap


def context_file(topics, headers):
    pairs = sorted((context_hash(t.name), headers[t.name].topic_offset()) for t in topics)
    entries = [struct.pack('<iI', h, o) for h, o in pairs]
    return btree(entries, lambda e: e[:4], 'L4')


def ctxomap_file(topics, headers):
    out = u16(len(topics))
    for t in topics:
        out += struct.pack('<iI', context_hash(t.name), headers[t.name].topic_offset())
    return out


def title_file(topics, headers):
    pairs = sorted((headers[t.name].topic_offset(), t.title) for t in topics)
    entries = [u32(o) + title.encode(ENCODING) + b'\0' for o, title in pairs]
    return btree(entries, lambda e: e[:4], 'Lz')


def help_file(title, topics, gen_date=0):
    """The bytes of the help file."""
    topic_data, headers = topic_file(topics)
    contents = headers[topics[0].name].topic_offset()
    kwbtree, kwdata, kwmap = keyword_files(topics, headers)
    files = {
        '|CONTEXT': context_file(topics, headers),
        '|CTXOMAP': ctxomap_file(topics, headers),
        '|FONT': font_file(),
        '|KWBTREE': kwbtree,
        '|KWDATA': kwdata,
        '|KWMAP': kwmap,
        '|SYSTEM': system_file(title, contents, gen_date),
        '|TOPIC': topic_data,
        '|TTLBTREE': title_file(topics, headers),
    }
    out = bytearray(16)
    directory = []
    for name in sorted(files, key=lambda n: n.encode('ascii')):
        directory.append(name.encode('ascii') + b'\0' + u32(len(out)))
        out += file_header(files[name])
    directory_start = len(out)
    out += file_header(btree(directory, lambda e: e[:e.index(b'\0') + 1], 'z4', 0x0402))
    out[0:16] = u32(0x00035F3F) + u32(directory_start) + u32(NONE) + u32(len(out))
    return bytes(out)


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument('--source', required=True, help='the folder with hilfe.ini and the topics')
    ap.add_argument('--out', required=True, help='the help file to write')
    args = ap.parse_args()
    try:
        title, topics = read_source(args.source)
    except (HelpSourceError, OSError, configparser.Error) as e:
        sys.exit('make_help.py: %s' % e)
    # The date tells a viewer's cache that the file changed; it follows the sources.
    stamp = int(max(os.path.getmtime(os.path.join(args.source, n))
                    for n in ['hilfe.ini'] + [t.name + '.txt' for t in topics]))
    data = help_file(title, topics, stamp)
    tmp = args.out + '.tmp'
    with open(tmp, 'wb') as f:
        f.write(data)
    os.replace(tmp, args.out)


if __name__ == '__main__':
    main()
