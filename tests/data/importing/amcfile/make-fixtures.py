#!/usr/bin/env python3
# Writes the .amc fixtures the way Ant Movie Catalog lays out its own file:
# a header of 65 characters, the owner's strings, (4.x) the custom fields,
# then each movie's integers, checked mark, strings and picture.
import datetime, os, struct

here = os.path.dirname(os.path.abspath(__file__))
png = open(os.path.join(here, '..', 'amc', 'brazil.png'), 'rb').read()

def header(version):
    text = ' AMC_%s Ant Movie Catalog %s.x   www.buypin.com    www.antp.be ' % (version, version)
    return text.ljust(65)[:65].encode('ascii')

def i32(n): return struct.pack('<i', n)
def s(text, encoding='cp1252'):
    data = text.encode(encoding)
    return i32(len(data)) + data
def day(y, m, d): return (datetime.date(y, m, d) - datetime.date(1899, 12, 30)).days

def movie35(number, added, rating, year, length, disks, checked, strings, picture):
    out = b''.join(i32(n) for n in (number, added, rating, year, length, 0, 0, disks))
    out += bytes([1 if checked else 0]) + b''.join(s(x) for x in strings)
    return out + i32(len(picture)) + picture

def movie4(number, added, watched, user, rating, year, length, disks, checked, strings, picture, custom):
    out = b''.join(i32(n) for n in (number, added, watched, user, 0, rating, year, length, 0, 0, disks))
    out += bytes([1 if checked else 0]) + b''.join(s(x) for x in strings)
    return out + i32(len(picture)) + picture + b''.join(s(x) for x in custom)

owner = s('Pat') + s('') + s('pat@example.org') + s('My films')
v35 = header('3.5') + owner
v35 += movie35(3, day(2004, 5, 1), 85, 1982, 117, 1, True,
               ['Box 7', 'DVD', 'Shop', 'Alex', 'Blade Runner', '', 'Ridley Scott', 'The Ladd Company', 'USA',
                'Sci-Fi, Thriller', 'Harrison Ford, Rutger Hauer, Sean Young',
                'https://www.imdb.com/title/tt0083658/', 'A blade runner must pursue four replicants.',
                "Director's cut", 'MPEG-2', 'AC3', '720x576', '25', 'English', 'French', '4.3 GB', '.png'], png)
v35 += movie35(4, 0, 0, 1963, 103, 2, False,
               ['Box 2', 'VHS', '', '', 'Le Mépris', 'Contempt', 'Jean-Luc Godard', '', 'France, Italy', 'Drama',
                'Brigitte Bardot\r\nMichel Piccoli\r\nJack Palance', '', '', '', '', '', '', '', 'French', '', '',
                ''], b'')
open(os.path.join(here, 'catalog35.amc'), 'wb').write(v35)

v41 = header('4.1') + owner + i32(1) + s('Edition') + s('Edition') + s('ftString') + s('')
v41 += movie4(10, day(2019, 3, 2), day(2023, 2, 14), 90, 81, 1997, 126, 1, True,
              ['Shelf B', 'Blu-ray', 'Gift', '', 'The Fifth Element', '', 'Luc Besson', 'Gaumont',
               'Luc Besson, Robert Mark Kamen', 'Éric Serra', 'PG-13', 'D:\\Films\\fifth.mkv', 'France', 'Action',
               'Bruce Willis\r\nMilla Jovovich\r\nGary Oldman', 'https://www.imdb.com/title/tt0119116/',
               'A cab driver becomes the key to saving the world.', 'Multipass!', 'H.264', 'DTS', '1920x1080',
               '24', 'English', 'French', '25 GB', 'covers/fifth.png'], b'', ["Collector's"])
open(os.path.join(here, 'catalog41.amc'), 'wb').write(v41)
