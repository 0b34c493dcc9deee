"""Independent ID3 reader and writer for the tag tests, built on mutagen.

dump FILE            prints the ID3 frames of an MP3, WAV or AIFF file, one line each
dump1 FILE           prints the ID3v1 tag at the end of a file as frames, one line each
write FILE VERSION   writes a fixed set of frames as ID3v2.VERSION with 1000 bytes of padding
"""
import hashlib
import sys

from mutagen import File, id3
from mutagen.id3 import ParseID3v1


def describe(frame):
    kind = frame.FrameID
    if kind == "APIC":
        digest = hashlib.sha1(frame.data).hexdigest()
        return f"APIC mime={frame.mime} type={int(frame.type)} desc={frame.desc} data={digest}"
    if kind in ("COMM", "USLT"):
        return f"{kind} lang={frame.lang} desc={frame.desc} text={'|'.join(frame.text)}"
    if kind == "TXXX":
        return f"TXXX desc={frame.desc} text={'|'.join(str(t) for t in frame.text)}"
    if hasattr(frame, "text"):
        return f"{kind} text={'|'.join(str(t) for t in frame.text)}"
    return kind


def dump(path):
    # An MP3 tag is read as it stands: no ID3v1 merged in, no version 2.4 translation.
    if path.endswith(".mp3"):
        tags = id3.ID3(path, translate=False, load_v1=False)
    else:
        tags = File(path).tags
    if tags is None:
        print("no tag")
        return
    print(f"version={tags.version[0]}.{tags.version[1]}")
    for frame in tags.values():
        print(describe(frame))


def dump1(path):
    with open(path, "rb") as f:
        f.seek(-128, 2)
        frames = ParseID3v1(f.read())
    if frames is None:
        print("no tag")
        return
    for _, frame in sorted(frames.items()):
        line = describe(frame)
        print(line + (f" genres={'|'.join(frame.genres)}" if frame.FrameID == "TCON" else ""))


def write(path, version):
    tags = id3.ID3()
    tags.add(id3.TIT2(encoding=id3.Encoding.UTF16, text=["Été – 日本"]))
    tags.add(id3.TPE1(encoding=id3.Encoding.LATIN1, text=["Artist"]))
    tags.add(id3.TALB(encoding=id3.Encoding.UTF8, text=["Album ü"]))
    tags.add(id3.COMM(encoding=id3.Encoding.UTF16, lang="fra", desc="", text=["créé"]))
    tags.add(id3.TXXX(encoding=id3.Encoding.UTF16, desc="key", text=["value"]))
    tags.add(id3.APIC(encoding=id3.Encoding.UTF16, mime="image/png", type=3, desc="Cover", data=bytes(range(256)) * 4))
    tags.save(path, v2_version=version, padding=lambda info: 1000)


if __name__ == "__main__":
    if sys.argv[1] == "dump":
        dump(sys.argv[2])
    elif sys.argv[1] == "dump1":
        dump1(sys.argv[2])
    else:
        write(sys.argv[2], int(sys.argv[3]))
