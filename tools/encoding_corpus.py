#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Builds a corpus of legacy-encoded text files from real text Debian ships and checks
how Zendral reads it: encoding_corpus.py CHECKER [FOLDER].

The text comes from the translated message catalogs (/usr/share/locale), the translated
manual pages (/usr/share/man/LANG) and the locale definitions (/usr/share/i18n/locales),
each written with iconv in the legacy encodings of its language, next to its UTF-8
source. CHECKER is bench_encodings, which opens and saves each file as the editor does.
"""
import glob, gzip, os, re, struct, subprocess, sys, tempfile

# The legacy encodings each language's text is written in.
ENCODINGS = {
    'ja': ['SHIFT_JIS', 'EUC-JP'], 'zh_CN': ['GB18030', 'GBK'], 'zh_TW': ['BIG5'], 'ko': ['EUC-KR'],
    'ru': ['CP1251', 'KOI8-R'], 'uk': ['CP1251', 'KOI8-U'], 'bg': ['CP1251'], 'sr': ['CP1251'],
    'pl': ['CP1250', 'ISO-8859-2'], 'cs': ['CP1250', 'ISO-8859-2'], 'hu': ['CP1250', 'ISO-8859-2'],
    'sk': ['CP1250', 'ISO-8859-2'], 'sl': ['CP1250', 'ISO-8859-2'], 'hr': ['CP1250', 'ISO-8859-2'],
    'ro': ['CP1250'], 'el': ['CP1253', 'ISO-8859-7'], 'he': ['CP1255'], 'tr': ['CP1254', 'ISO-8859-9'],
    'lt': ['CP1257'], 'lv': ['CP1257'], 'de': ['CP1252', 'ISO-8859-15'], 'fr': ['CP1252', 'ISO-8859-15'],
    'es': ['CP1252', 'ISO-8859-15'], 'it': ['CP1252'], 'pt': ['CP1252'], 'pt_BR': ['CP1252', 'ISO-8859-15'],
    'nl': ['CP1252'], 'sv': ['CP1252', 'ISO-8859-15'], 'da': ['CP1252'], 'fi': ['CP1252', 'ISO-8859-15'],
    'ca': ['CP1252'], 'vi': ['CP1258'], 'th': ['TIS-620'], 'ar': ['CP1256'],
}
PER_PAIR = 12          # files per language and encoding and source kind
SIZE = 6000            # bytes of text per file, about


def catalog_texts(path):
    """The translations in a .mo message catalog."""
    data = open(path, 'rb').read()
    magic = struct.unpack('<I', data[:4])[0]
    order = '<' if magic == 0x950412de else '>'
    count, _, table = struct.unpack(order + 'III', data[8:20])
    for i in range(1, count):   # the first entry is the catalog's header
        length, offset = struct.unpack(order + 'II', data[table + 8 * i:table + 8 * i + 8])
        yield data[offset:offset + length].split(b'\0')[0].decode('utf-8', 'replace')


def man_texts(path):
    yield from gzip.open(path).read().decode('utf-8', 'replace').splitlines()


def locale_texts(path):
    for line in open(path, encoding='utf-8', errors='replace'):
        for s in re.findall(r'"([^"]*<U[0-9A-F]{4,8}>[^"]*)"', line):
            yield re.sub(r'<U([0-9A-F]{4,8})>', lambda m: chr(int(m.group(1), 16)), s).replace(';', ' ')


def sources():
    for lang in ENCODINGS:
        mos = sorted(glob.glob(f'/usr/share/locale/{lang}/LC_MESSAGES/*.mo'))
        yield lang, 'po', [(os.path.basename(p), catalog_texts(p)) for p in mos[:PER_PAIR * 3]]
        mans = sorted(glob.glob(f'/usr/share/man/{lang}/man*/*.gz'))
        yield lang, 'man', [(os.path.basename(p), man_texts(p)) for p in mans[:PER_PAIR * 3]]
        locales = sorted(glob.glob(f'/usr/share/i18n/locales/{lang}_*'))
        yield lang, 'locale', [(os.path.basename(p), locale_texts(p)) for p in locales[:PER_PAIR]]


def fits(line, encoding):
    try:
        line.encode(encoding)
        return True
    except (UnicodeEncodeError, LookupError):
        return False


def iconv(text, encoding):
    done = subprocess.run(['iconv', '-f', 'UTF-8', '-t', encoding], input=text.encode(), capture_output=True)
    return done.stdout if done.returncode == 0 else None


def build(folder):
    made = 0
    for lang, kind, items in sources():
        written = {e: 0 for e in ENCODINGS[lang]}
        for name, texts in items:
            lines = [t for t in texts if t.strip() and any(ord(c) > 127 for c in t)]
            text = '\n'.join(lines)[:SIZE]
            for encoding in ENCODINGS[lang]:
                if written[encoding] >= PER_PAIR or len(text) < 20:
                    continue
                # Only what the encoding can hold: drop the lines it cannot.
                kept = [l for l in text.split('\n') if fits(l, encoding)]
                source = '\n'.join(kept) + '\n'
                raw = iconv(source, encoding)
                if raw is None or raw == source.encode() or len(kept) < 2:
                    continue
                base = os.path.join(folder, f'{lang}.{encoding}.{kind}.{name}.txt')
                open(base, 'wb').write(raw)
                open(base + '.utf8', 'wb').write(source.encode())
                written[encoding] += 1
                made += 1
    return made


def check(checker, folder):
    os.makedirs(folder, exist_ok=True)
    print(f'{build(folder)} files in {folder}')
    return subprocess.run([checker, folder]).returncode


def main():
    if len(sys.argv) > 2:   # a folder given is kept, to look at
        sys.exit(check(sys.argv[1], sys.argv[2]))
    with tempfile.TemporaryDirectory(prefix='zendral-corpus-') as folder:
        sys.exit(check(sys.argv[1], folder))


if __name__ == '__main__':
    main()
