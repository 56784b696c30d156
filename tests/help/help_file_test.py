#!/usr/bin/env python3
"""The help file read back against its source: a reader of this test's own walks the file as a
help viewer does (directory, B+ trees, topic blocks, paragraphs) and compares topics, titles,
browse sequence, text, jumps, keywords and context numbers with resources/help."""

# Runs natively (no Wine) from CTest; writes a report in the shape the test run counts:
#   help_file_test.py --hlp build/bin/hilfe.hlp --source resources/help --tool tools/make_help.py
#                     [--xml REPORT.xml]

import argparse
import configparser
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest
from xml.sax.saxutils import quoteattr

sys.dont_write_bytecode = True
ARGS = None

# The numbers the programs ask the viewer for (framework: HelpTopicContext).
PROGRAM_CONTEXTS = {'Index': 87893158, 'Icons_betrachten': 3711226831, 'Icon_zuweisen': 184723944,
                    'Anzeige': 349581951, 'Iconeditor': 3840439154}


# ---------------------------------------------------------------------------------------------
# The reader

class FormatError(Exception):
    pass


def u16(b, o):
    if o + 2 > len(b):
        raise FormatError('read past the end at %d' % o)
    return struct.unpack_from('<H', b, o)[0]


def u32(b, o):
    if o + 4 > len(b):
        raise FormatError('read past the end at %d' % o)
    return struct.unpack_from('<I', b, o)[0]


def strz(b, o):
    end = b.find(b'\0', o)
    if end < 0:
        raise FormatError('unterminated string at %d' % o)
    return b[o:end], end + 1


def lz77(packed):
    out = bytearray()
    i = 0
    while i < len(packed):
        flags = packed[i]
        i += 1
        for bit in range(8):
            if i >= len(packed):
                break
            if flags & (1 << bit):
                code = u16(packed, i)
                i += 2
                distance = (code & 0xFFF) + 1
                if distance > len(out):
                    raise FormatError('LZ77 reference before the start')
                for _ in range(3 + (code >> 12)):
                    out.append(out[-distance])
            else:
                out.append(packed[i])
                i += 1
    return bytes(out)


class Cursor:
    """Compressed numbers of paragraph records."""

    def __init__(self, b, o=0):
        self.b, self.o = b, o

    def byte(self):
        if self.o >= len(self.b):
            raise FormatError('paragraph data ends early')
        self.o += 1
        return self.b[self.o - 1]

    def word(self):
        v = u16(self.b, self.o)
        self.o += 2
        return v

    def dword(self):
        v = u32(self.b, self.o)
        self.o += 4
        return v

    def comp_long(self):
        if self.b[self.o] & 1:
            return (self.dword() - 0x80000001) // 2
        return (self.word() - 0x8000) // 2

    def comp_ushort(self):
        if self.b[self.o] & 1:
            return self.word() // 2
        return self.byte() // 2

    def comp_short(self):
        if self.b[self.o] & 1:
            return (self.word() - 0x8001) // 2
        return (self.byte() - 0x80) // 2


class Tree:
    """A B+ tree: `key_len(buf, pos)` and `value_len(buf, pos)` measure its entries."""

    def __init__(self, data, key_len, value_len):
        if u16(data, 0) != 0x293B:
            raise FormatError('no B+ tree')
        self.data = data
        self.page_size = u16(data, 4)
        self.root = u16(data, 26)
        self.pages = u16(data, 30)
        self.levels = u16(data, 32)
        self.count = u32(data, 34)
        self.key_len, self.value_len = key_len, value_len
        if 38 + self.pages * self.page_size > len(data):
            raise FormatError('B+ tree pages past the end of their file')

    def page(self, n):
        if n >= self.pages:
            raise FormatError('page %d of %d' % (n, self.pages))
        return self.data[38 + n * self.page_size:38 + (n + 1) * self.page_size]

    def leaf_entries(self, page):
        p = self.page(page)
        out = []
        o = 8
        for _ in range(u16(p, 2)):
            k = self.key_len(p, o)
            v = self.value_len(p, o + k)
            out.append((p[o:o + k], p[o + k:o + k + v]))
            o += k + v
        return out

    def first_leaf(self):
        page = self.root
        for _ in range(self.levels - 1):
            page = u16(self.page(page), 4)
        return page

    def entries(self):
        """Every entry, leaf after leaf along their chain."""
        out = []
        page = self.first_leaf()
        seen = set()
        while page != 0xFFFF:
            if page in seen:
                raise FormatError('the leaf chain loops')
            seen.add(page)
            out += self.leaf_entries(page)
            page = u16(self.page(page), 6)
        if len(out) != self.count:
            raise FormatError('%d entries in the leaves, the header says %d' % (len(out), self.count))
        return out

    def find(self, key, order):
        """The value under `key`, found by descending from the root as a viewer does; `order`
        maps a key to something that sorts like the tree."""
        page = self.root
        for _ in range(self.levels - 1):
            p = self.page(page)
            page = u16(p, 4)
            o = 6
            for _ in range(u16(p, 2)):
                k = self.key_len(p, o)
                if order(p[o:o + k]) > order(key):
                    break
                page = u16(p, o + k)
                o += k + 2
        for k, v in self.leaf_entries(page):
            if k == key:
                return v
        return None


def string_key(p, o):
    return strz(p, o)[1] - o


def fixed(n):
    return lambda p, o: n


class Paragraph:
    def __init__(self):
        self.runs = []      # (text, font number, jump hash or None)
        self.marks = []     # strings before a tab


class Topic:
    def __init__(self, title, header, pos, offset):
        self.title = title
        self.header = header        # the seven numbers of its header
        self.pos = pos
        self.offset = offset
        self.paragraphs = []


class HelpFile:
    def __init__(self, data):
        if len(data) < 16 or u32(data, 0) != 0x00035F3F:
            raise FormatError('no help file')
        if u32(data, 12) != len(data):
            raise FormatError('the header says %d bytes, the file has %d' % (u32(data, 12), len(data)))
        self.data = data
        directory = Tree(self.internal_at(u32(data, 4)), string_key, fixed(4))
        self.directory = directory
        self.files = {k[:-1].decode('ascii'): u32(v, 0) for k, v in directory.entries()}
        self.read_system()
        self.read_fonts()
        self.read_topics()

    def internal_at(self, offset):
        reserved, used = u32(self.data, offset), u32(self.data, offset + 4)
        if reserved != used + 9 or offset + reserved > len(self.data):
            raise FormatError('internal file at %d: reserved %d, used %d' % (offset, reserved, used))
        return self.data[offset + 9:offset + 9 + used]

    def file(self, name):
        if name not in self.files:
            raise FormatError('no internal file ' + name)
        return self.internal_at(self.files[name])

    def read_system(self):
        s = self.file('|SYSTEM')
        if u16(s, 0) != 0x036C or u16(s, 4) != 1:
            raise FormatError('not a |SYSTEM file')
        self.minor, self.flags = u16(s, 2), u16(s, 10)
        self.records = {}
        o = 12
        while o + 4 <= len(s):
            kind, size = u16(s, o), u16(s, o + 2)
            self.records[kind] = s[o + 4:o + 4 + size]
            o += 4 + size
        self.title = strz(self.records[1], 0)[0].decode('cp1252')
        self.contents = u32(self.records[3], 0)

    def read_fonts(self):
        f = self.file('|FONT')
        faces, count, face_at, desc_at = u16(f, 0), u16(f, 2), u16(f, 4), u16(f, 6)
        size = (desc_at - face_at) // faces
        self.fonts = []
        for i in range(count):
            d = f[desc_at + 11 * i:desc_at + 11 * (i + 1)]
            face = f[face_at + size * u16(d, 3):face_at + size * (u16(d, 3) + 1)].rstrip(b'\0')
            self.fonts.append({'bold': bool(d[0] & 1), 'half_points': d[1], 'face': face.decode('ascii')})

    def read_topics(self):
        if self.minor <= 16 or self.flags != 4:
            raise FormatError('expected the 3.1 format in 4 KB LZ77 blocks (minor %d, flags %d)' % (self.minor, self.flags))
        raw = self.file('|TOPIC')
        blocks = []
        for start in range(0, len(raw), 0x1000):
            block = raw[start:start + 0x1000]
            if len(block) < 0x44:
                raise FormatError('a last block of %d bytes' % len(block))
            blocks.append(lz77(block[12:]))
        self.block_headers = [struct.unpack_from('<III', raw, s) for s in range(0, len(raw), 0x1000)]
        self.topics = []
        self.records = []
        chars = {}          # characters of paragraphs read so far, per block
        pos = 0x0C
        seen = set()
        while pos != 0xFFFFFFFF:
            if pos in seen:
                raise FormatError('the record chain loops at %08x' % pos)
            seen.add(pos)
            block, offset = (pos - 12) >> 14, (pos - 12) & 0x3FFF
            if block >= len(blocks):
                raise FormatError('record %08x beyond the last block' % pos)
            data = blocks[block]
            size, len2, prev, nxt, len1 = struct.unpack_from('<IIIII', data, offset)
            if offset + size > len(data):
                raise FormatError('record %08x crosses the end of its block' % pos)
            rec = data[offset:offset + size]
            kind = rec[0x14]
            link1, link2 = rec[0x15:len1], rec[len1:size]
            if len(link2) != len2:
                raise FormatError('record %08x: text of %d bytes, %d stated' % (pos, len(link2), len2))
            self.records.append((pos, prev, kind))
            if kind == 0x02:
                header = struct.unpack('<7I', link1)
                title = link2.split(b'\0')[0].decode('cp1252')
                self.topics.append(Topic(title, header, pos, block * 0x8000 + chars.get(block, 0)))
            elif kind == 0x20:
                if not self.topics:
                    raise FormatError('a paragraph before the first topic')
                paragraph, length = self.paragraph(link1, link2)
                self.topics[-1].paragraphs.append(paragraph)
                chars[block] = chars.get(block, 0) + length
            else:
                raise FormatError('record type %02x' % kind)
            pos = nxt

    def paragraph(self, link1, link2):
        c = Cursor(link1)
        c.comp_long()
        length = c.comp_ushort()
        c.dword()
        bits = c.word()
        if bits & 0x0001:
            c.comp_long()
        for bit in (0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040):
            if bits & bit:
                c.comp_short()
        if bits & 0x0100:
            raise FormatError('borders are not expected here')
        if bits & 0x0200:
            for _ in range(c.comp_short()):
                if c.comp_ushort() & 0x4000:
                    c.comp_ushort()
        strings = link2.split(b'\0')
        if strings[-1] != b'':
            raise FormatError('paragraph text without its last NUL')
        strings = strings[:-1]
        p = Paragraph()
        font = None
        jump = None
        for s in strings:
            text = s.decode('cp1252')
            if text:
                p.runs.append((text, font, jump))
            command = c.byte()
            if command == 0xFF:
                break
            elif command == 0x80:
                font = c.word()
                if font >= len(self.fonts):
                    raise FormatError('font %d of %d' % (font, len(self.fonts)))
            elif command == 0x83:
                if text:    # a list item's mark
                    p.marks.append(p.runs.pop()[0])
            elif command in (0xE2, 0xE3):
                jump = c.dword()
            elif command == 0x89:
                if jump is None:
                    raise FormatError('end of a jump that did not begin')
                jump = None
            elif command not in (0x81, 0x82):
                raise FormatError('formatting command %02x' % command)
        if c.o != len(link1):
            raise FormatError('%d bytes of formatting left over' % (len(link1) - c.o))
        return p, length

    def topic_at(self, offset):
        for t in self.topics:
            if t.offset == offset:
                return t
        raise FormatError('no topic at offset %08x' % offset)

    def context_tree(self):
        return Tree(self.file('|CONTEXT'), fixed(4), fixed(4))

    def find_context(self, hash_value):
        key = struct.pack('<I', hash_value & 0xFFFFFFFF)
        found = self.context_tree().find(key, lambda k: struct.unpack('<i', k)[0])
        return None if found is None else self.topic_at(u32(found, 0))

    def context_map(self):
        m = self.file('|CTXOMAP')
        return {u32(m, 2 + 8 * i): self.topic_at(u32(m, 6 + 8 * i)) for i in range(u16(m, 0))}

    def keyword_tree(self):
        return Tree(self.file('|KWBTREE'), string_key, fixed(6))

    def keywords(self):
        data = self.file('|KWDATA')
        out = {}
        for k, v in self.keyword_tree().entries():
            count, at = u16(v, 0), u32(v, 2)
            out[k[:-1].decode('cp1252')] = [self.topic_at(u32(data, at + 4 * i)) for i in range(count)]
        return out


def german_order(key):
    """Keys of the index as a German reader looks them up: case and umlauts do not count first."""
    text = key.rstrip(b'\0').decode('cp1252') if isinstance(key, bytes) else key
    folded = text.lower()
    for a, b in (('ä', 'a'), ('ö', 'o'), ('ü', 'u'), ('ß', 'ss')):
        folded = folded.replace(a, b)
    return (folded, text)


def plain(text):
    return re.sub(r'\s+', ' ', text).strip()


# ---------------------------------------------------------------------------------------------
# The source, read as a writer of help text sees it

JUMP = re.compile(r'\[([^\]]+)\]\(([^)\s]+)\)')
BOLD = re.compile(r'\*\*(.+?)\*\*')


def read_source(folder):
    ini = configparser.ConfigParser()
    ini.optionxform = str
    with open(os.path.join(folder, 'hilfe.ini'), encoding='utf-8') as f:
        ini.read_file(f)
    names = [n.strip() for n in ini.get('Hilfe', 'Themen').split(',')]
    topics = []
    for name in names:
        with open(os.path.join(folder, name + '.txt'), encoding='utf-8') as f:
            lines = f.read().split('\n')
        keywords = []
        body = []
        for line in lines[1:]:
            if line.startswith('Stichwörter:'):
                keywords += [k.strip() for k in line[len('Stichwörter:'):].split(';') if k.strip()]
            else:
                body.append(re.sub(r'^\s*(## |- |\d+\. )', '', line))
        text = '\n'.join(body)
        topics.append({'name': name, 'title': lines[0][2:].strip(), 'keywords': keywords,
                       'jumps': JUMP.findall(text), 'bold': BOLD.findall(text),
                       'text': plain(JUMP.sub(r'\1', BOLD.sub(r'\1', text)))})
    return ini.get('Hilfe', 'Titel'), topics


def make_help(source, out):
    return subprocess.run([sys.executable, ARGS.tool, '--source', source, '--out', out],
                          capture_output=True, text=True)


def write_source(folder, title, topics):
    """topics: (name, text) in browse order."""
    with open(os.path.join(folder, 'hilfe.ini'), 'w', encoding='utf-8') as f:
        f.write('[Hilfe]\nTitel=%s\nThemen=%s\n' % (title, ', '.join(n for n, _ in topics)))
    for name, text in topics:
        with open(os.path.join(folder, name + '.txt'), 'w', encoding='utf-8') as f:
            f.write(text)


# ---------------------------------------------------------------------------------------------
# The tests

class ShippedHelpFile(unittest.TestCase):
    """The file the build wrote, against resources/help."""

    @classmethod
    def setUpClass(cls):
        with open(ARGS.hlp, 'rb') as f:
            cls.help = HelpFile(f.read())
        cls.title, cls.source = read_source(ARGS.source)

    def test_topics_titles_and_browse_sequence_follow_the_source(self):
        self.assertEqual(self.help.title, self.title)
        self.assertEqual([t.title for t in self.help.topics], [s['title'] for s in self.source])
        self.assertIs(self.help.topic_at(self.help.contents), self.help.topics[0], 'the contents topic')
        titles = dict(Tree(self.help.file('|TTLBTREE'), fixed(4), string_key).entries())
        for i, t in enumerate(self.help.topics):
            size, back, forward, number, non_scroll, scroll, next_topic = t.header
            self.assertEqual(number, i, t.title)
            self.assertEqual(back, self.help.topics[i - 1].offset if i else 0xFFFFFFFF, t.title)
            following = self.help.topics[i + 1] if i + 1 < len(self.help.topics) else None
            self.assertEqual(forward, following.offset if following else 0xFFFFFFFF, t.title)
            self.assertEqual(next_topic, following.pos if following else 0xFFFFFFFF, t.title)
            self.assertEqual(titles[struct.pack('<I', t.offset)], t.title.encode('cp1252') + b'\0')
            # The title is shown as the topic's first line, in the largest bold font.
            first = t.paragraphs[0].runs
            self.assertEqual([r[0] for r in first], [t.title])
            self.assertEqual(self.help.fonts[first[0][1]]['half_points'],
                             max(f['half_points'] for f in self.help.fonts))

    def test_the_text_of_every_topic_is_the_sources(self):
        for t, s in zip(self.help.topics, self.source):
            shown = plain(' '.join(''.join(r[0] for r in p.runs) for p in t.paragraphs[1:]))
            self.assertEqual(shown, s['text'], t.title)
            body = self.help.fonts[t.paragraphs[1].runs[0][1]]
            bold = [r[0] for p in t.paragraphs[1:] for r in p.runs
                    if self.help.fonts[r[1]]['bold'] and self.help.fonts[r[1]]['half_points'] == body['half_points']]
            self.assertEqual(bold, s['bold'], t.title)

    def test_jumps_lead_to_the_topics_the_source_names(self):
        for t, s in zip(self.help.topics, self.source):
            jumps = [(r[0], r[2]) for p in t.paragraphs for r in p.runs if r[2] is not None]
            self.assertEqual([text for text, _ in jumps], [text for text, _ in s['jumps']], t.title)
            by_name = {x['name']: x['title'] for x in self.source}
            for (text, hash_value), (_, target) in zip(jumps, s['jumps']):
                found = self.help.find_context(hash_value)
                self.assertIsNotNone(found, '%s: "%s"' % (t.title, text))
                self.assertEqual(found.title, by_name[target], '%s: "%s"' % (t.title, text))

    def test_the_programs_context_numbers_open_their_topics(self):
        mapped = self.help.context_map()
        by_name = {s['name']: s['title'] for s in self.source}
        self.assertEqual(set(PROGRAM_CONTEXTS), set(by_name))
        for name, number in PROGRAM_CONTEXTS.items():
            self.assertIn(number, mapped, name)
            self.assertEqual(mapped[number].title, by_name[name])
            self.assertEqual(self.help.find_context(number).title, by_name[name], 'jump by name to ' + name)

    def test_every_keyword_leads_to_the_topic_that_lists_it(self):
        keywords = self.help.keywords()
        expected = {}
        for s in self.source:
            for k in s['keywords']:
                expected.setdefault(k, []).append(s['title'])
        self.assertEqual({k: [t.title for t in v] for k, v in keywords.items()}, expected)
        order = [k for k, _ in self.help.keyword_tree().entries()]
        self.assertEqual(order, sorted(order, key=german_order), 'the index is in German dictionary order')
        # One topic per keyword: Wine's viewer refuses a keyword of several topics.
        self.assertEqual([k for k, v in keywords.items() if len(v) > 1], [])


class Writer(unittest.TestCase):
    """Sources made up for the case at hand, written by the tool and read back."""

    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.source = os.path.join(self.folder.name, 'src')
        os.mkdir(self.source)
        self.out = os.path.join(self.folder.name, 'hilfe.hlp')

    def tearDown(self):
        self.folder.cleanup()

    def written(self, topics, title='Testhilfe'):
        write_source(self.source, title, topics)
        result = make_help(self.source, self.out)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(self.out, 'rb') as f:
            return HelpFile(f.read())

    def refused(self, topics, message):
        write_source(self.source, 'Testhilfe', topics)
        with open(self.out, 'wb') as f:
            f.write(b'old')
        result = make_help(self.source, self.out)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn(message, result.stderr)
        with open(self.out, 'rb') as f:
            self.assertEqual(f.read(), b'old', 'a refused source leaves the old file')

    def test_a_large_help_fills_many_blocks_and_deep_trees_that_a_viewer_can_search(self):
        words = ['Wort%03d' % i for i in range(400)] + ['Ärger', 'abend', 'Zebra', 'über']
        topics = []
        for i in range(40):
            paragraphs = '\n\n'.join('Absatz %d von Thema %d mit [Sprung](T%d) und **fett** %s.' % (j, i, (i * 7 + j) % 40,
                                                                                                 'x' * (j * 30))
                                     for j in range(12))
            keys = '; '.join(words[i::40])
            topics.append(('T%d' % i, '# Thema %d\nStichwörter: %s\n\n%s\n' % (i, keys, paragraphs)))
        h = self.written(topics)
        self.assertGreater(len(self.help_blocks(h)), 10)
        self.assertGreater(h.keyword_tree().levels, 1, 'the keyword tree has index pages')
        self.assertEqual([t.title for t in h.topics], ['Thema %d' % i for i in range(40)])
        kwtree = h.keyword_tree()
        data = h.file('|KWDATA')
        for w in words:
            found = kwtree.find(w.encode('cp1252') + b'\0', german_order)
            self.assertIsNotNone(found, w)
            self.assertEqual(h.topic_at(u32(data, u32(found, 2))).title, 'Thema %d' % (words.index(w) % 40), w)
        for i, t in enumerate(h.topics):
            jumps = [r[2] for p in t.paragraphs for r in p.runs if r[2] is not None]
            self.assertEqual(len(jumps), 12)
            for j, hash_value in enumerate(jumps):
                found = h.find_context(hash_value)
                self.assertEqual(found.title if found else None, 'Thema %d' % ((i * 7 + j) % 40))
        # The map that lists the keyword index names the first keyword of every leaf page.
        kwmap = h.file('|KWMAP')
        first = 0
        page = kwtree.first_leaf()
        for i in range(u16(kwmap, 0)):
            self.assertEqual((u32(kwmap, 2 + 6 * i), u16(kwmap, 6 + 6 * i)), (first, page))
            first += len(kwtree.leaf_entries(page))
            page = u16(kwtree.page(page), 6)
        self.assertEqual(first, kwtree.count)
        # Topics that begin in the middle of a block count the characters before them.
        self.assertTrue(any(t.offset & 0x7FFF for t in h.topics))

    def help_blocks(self, h):
        return range(0, len(h.file('|TOPIC')), 0x1000)

    def test_lists_keep_their_marks_and_a_tab_before_the_text(self):
        h = self.written([('A', '# A\n\n- eins\n  weiter\n- zwei\n\n1. erstens\n2. zweitens\n\nText.\n')])
        paragraphs = h.topics[0].paragraphs[1:]
        self.assertEqual([(p.marks, ''.join(r[0] for r in p.runs)) for p in paragraphs],
                         [(['\u2022'], 'eins weiter'), (['\u2022'], 'zwei'), (['1.'], 'erstens'),
                          (['2.'], 'zweitens'), ([], 'Text.')])

    def test_sources_the_file_cannot_hold_are_refused_and_the_old_file_stays(self):
        cases = [
            ([('A', '# A\n\nSiehe [B](B).\n')], 'jump to "B"'),
            ([('A', '# A\n\nPfeil \u2192 hier.\n')], 'Windows-1252'),
            ([('A', '# A\n\n' + 'lang ' * 1000 + '\n')], 'too long'),
            ([('A', 'Kein Titel\n')], 'starts with "# Title"'),
            ([('A', '# A\n\nText **fett.\n')], 'unclosed mark-up'),
            ([('A', '# A\n'), ('A', '# A\n')], 'listed twice'),
            ([('Index', '# A\n'), ('INDEX', '# B\n')], 'same hash'),
        ]
        for topics, message in cases:
            with self.subTest(message):
                self.refused(topics, message)


# ---------------------------------------------------------------------------------------------

class Report(unittest.TextTestResult):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.cases = []

    def addSuccess(self, test):
        super().addSuccess(test)
        self.cases.append((test.id(), None))

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self.cases.append((test.id(), self._exc_info_to_string(err, test)))

    def addError(self, test, err):
        super().addError(test, err)
        self.cases.append((test.id(), self._exc_info_to_string(err, test)))

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        if err is not None:
            self.cases.append((subtest.id(), self._exc_info_to_string(err, test)))


def write_report(path, result):
    failed = len(result.failures)
    errors = len(result.errors)
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<testsuites tests="%d" failures="%d" disabled="0" errors="%d" name="help">' % (result.testsRun, failed, errors)]
    for name, failure in result.cases:
        if failure is None:
            lines.append('  <testcase name=%s/>' % quoteattr(name))
        else:
            lines.append('  <testcase name=%s><failure message=%s/></testcase>' % (quoteattr(name), quoteattr(failure)))
    lines.append('</testsuites>')
    with open(path, 'w', encoding='utf-8') as f:
        f.write('\n'.join(lines) + '\n')


def main():
    global ARGS
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument('--hlp', required=True)
    ap.add_argument('--source', required=True)
    ap.add_argument('--tool', required=True)
    ap.add_argument('--xml')
    ARGS, rest = ap.parse_known_args()
    suite = unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__])
    result = unittest.TextTestRunner(resultclass=Report, verbosity=2, stream=sys.stdout).run(suite)
    if ARGS.xml:
        os.makedirs(os.path.dirname(os.path.abspath(ARGS.xml)), exist_ok=True)
        write_report(ARGS.xml, result)
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == '__main__':
    main()
