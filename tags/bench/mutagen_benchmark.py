"""The work of ID3v2Benchmark done by mutagen, on the files of
`ID3v2Benchmark --write-sample DIR`: load the tag, save it in place, save it
into the untagged file (which makes room for it). Prints the median time."""
import shutil
import statistics
import sys
import time
from pathlib import Path

from mutagen.id3 import ID3


def median_ms(work, setup=lambda: None, runs=50):
    times = []
    for _ in range(runs):
        setup()
        start = time.perf_counter()
        work()
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times)


def main(folder):
    folder = Path(folder)
    tagged, untagged, rewrite = folder / "tagged.mp3", folder / "untagged.mp3", folder / "rewrite.mp3"
    tags = ID3(tagged)
    print(f"load:           {median_ms(lambda: ID3(tagged)):8.3f} ms")
    print(f"save in place:  {median_ms(lambda: tags.save(tagged, v2_version=3)):8.3f} ms")
    print(f"save, rewrite:  {median_ms(lambda: tags.save(rewrite, v2_version=3, padding=lambda info: 4096), lambda: shutil.copyfile(untagged, rewrite), runs=20):8.3f} ms")


if __name__ == "__main__":
    main(sys.argv[1])
