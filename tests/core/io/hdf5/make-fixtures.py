#!/usr/bin/python3
# Writes the small HDF5 scan files the reader tests use, with h5py (Debian's
# python3-h5py and the bitshuffle package; both only needed to remake them):
#     /usr/bin/python3 tests/core/io/hdf5/make-fixtures.py tests/core/io/hdf5
# The files are committed; the tests never run this script.
#
# Sample values follow formulas the tests repeat:
#   images  img[i, y, x]  = 1000 + 100 i + 10 y + x
#   flats   flat[i, y, x] = 5000 + 50 i + 3 y + 2 x
#   darks   dark[i, y, x] = 90 + 4 i + y
import os
import sys

import h5py
import numpy as np

out = sys.argv[1] if len(sys.argv) > 1 else "."


def images(n, h, w):
    i, y, x = np.indices((n, h, w))
    return 1000 + 100 * i + 10 * y + x


def flats(n, h, w):
    i, y, x = np.indices((n, h, w))
    return 5000 + 50 * i + 3 * y + 2 * x


def darks(n, h, w):
    i, y, _ = np.indices((n, h, w))
    return 90 + 4 * i + y


def path(name):
    return os.path.join(out, name)


def xanes(name, n=4, h=6, w=5, **extra):
    """The full-field XANES layout: /img_xanes, /img_bkg, /img_dark, /X_eng (keV)."""
    with h5py.File(path(name), "w", libver="latest") as f:
        f.create_dataset("img_xanes", data=images(n, h, w).astype(np.uint16), **extra)
        f.create_dataset("img_bkg", data=flats(n, h, w).astype(np.uint16))
        f.create_dataset("img_dark", data=darks(3, h, w).astype(np.uint16))
        f.create_dataset("X_eng", data=7.1 + 0.01 * np.arange(n))
        f["X_eng"].attrs["units"] = "keV"
    return path(name)


# Both known layouts.
xanes("xanes_layout.h5")
with h5py.File(path("exchange_layout.h5"), "w", libver="latest") as f:
    g = f.create_group("exchange")
    g.create_dataset("data", data=images(3, 4, 5).astype(np.float32))
    # Two flats for three images: averaged into one flat.
    g.create_dataset("data_white", data=flats(2, 4, 5).astype(np.uint16))
    g.create_dataset("data_dark", data=darks(2, 4, 5).astype(np.uint16))
    g.create_dataset("energy", data=np.array([7100.0, 7110.0, 7120.0]))
    g["energy"].attrs["units"] = "eV"

# The images compressed with bitshuffle/LZ4, two images to a chunk.
import bitshuffle.h5
xanes("bitshuffle_lz4.h5", n=5, h=8, w=8, chunks=(2, 8, 8),
      compression=bitshuffle.h5.H5FILTER, compression_opts=(0, bitshuffle.h5.H5_COMPRESS_LZ4))

# Bad files, one fault each.
with open(path("not_hdf5.h5"), "w") as f:
    f.write("just text, not an HDF5 file\n")
with h5py.File(path("wrong_rank.h5"), "w", libver="latest") as f:
    f.create_dataset("img_xanes", data=images(1, 6, 5)[0].astype(np.uint16))
    f.create_dataset("X_eng", data=[7.1])
with h5py.File(path("size_mismatch.h5"), "w", libver="latest") as f:
    f.create_dataset("img_xanes", data=images(4, 6, 5).astype(np.uint16))
    f.create_dataset("img_bkg", data=flats(4, 5, 5).astype(np.uint16))
    f.create_dataset("X_eng", data=7.1 + 0.01 * np.arange(4))
with h5py.File(path("energy_count.h5"), "w", libver="latest") as f:
    f.create_dataset("img_xanes", data=images(4, 6, 5).astype(np.uint16))
    f.create_dataset("X_eng", data=7.1 + 0.01 * np.arange(3))
with h5py.File(path("text_images.h5"), "w", libver="latest") as f:
    f.create_dataset("img_xanes", data=np.array([[[b"ab", b"cd"]]]))
    f.create_dataset("X_eng", data=[7.1])

# A filter this machine does not have: written with LZF, whose id (32000) in
# the filter pipeline message is then changed to Blosc's (32001), and the
# filter made mandatory (h5py marks LZF optional).
# The file keeps the oldest object headers, which carry no checksum.
with h5py.File(path("unknown_filter.h5"), "w", libver="earliest") as f:
    # Constant images, so that LZF does compress them (h5py stores a chunk
    # LZF cannot shrink unfiltered).
    f.create_dataset("img_xanes", data=np.full((2, 16, 16), 1000, np.uint16), chunks=(1, 16, 16),
                     compression="lzf")
    f.create_dataset("X_eng", data=[7.1, 7.11])
raw = bytearray(open(path("unknown_filter.h5"), "rb").read())
name = raw.find(b"lzf")
start = raw.rfind(b"\x00\x7d", 0, name)
assert name > 0 and 0 < name - start < 16, "LZF filter message not found"
raw[start:start + 2] = b"\x01\x7d"
raw[start + 4:start + 6] = b"\x00\x00"
open(path("unknown_filter.h5"), "wb").write(bytes(raw))

# Storage the loaders read straight from the file and storage they leave to
# the HDF5 library, with both chunk indexes (libver "latest": fixed array;
# "earliest": B-tree, as the C library writes by default, a few datasets
# only, its nodes being large). Every dataset holds 5 images of 6 x 7 samples
# (42, no multiple of 8) in some type and layout. Added later than the files
# above; to remake only these two, run the script into an empty folder and
# copy them.
def storage(name, libver, only=None):
    n, h, w = 5, 6, 7
    base = images(n, h, w)
    rng = np.random.default_rng(19)
    bslz4 = bitshuffle.h5.H5FILTER
    lz4 = bitshuffle.h5.H5_COMPRESS_LZ4
    with h5py.File(path(name), "w", libver=libver) as f:
        def put(key, values, **extra):
            if only is None or key in only:
                f.create_dataset(key, data=values, **extra)

        # Read straight from the file.
        put("contiguous_u16be", base.astype(">u2"))
        put("contiguous_u32", (base * 70001).astype("<u4"))
        put("contiguous_u8", (base % 251).astype("u1"))
        put("contiguous_i8", (base % 200 - 100).astype("i1"))
        put("contiguous_f32", (base / 7.0).astype("<f4"))
        put("one_image", base[0].astype("<u2"))
        put("chunks_one_image", base.astype("<u2"), chunks=(1, h, w))
        put("chunks_two_images", base.astype("<u2"), chunks=(2, h, w))
        put("chunks_i16be", (base - 3000).astype(">i2"), chunks=(3, h, w))
        put("chunks_f32be", (base / 3.0).astype(">f4"), chunks=(2, h, w))
        put("bslz4_one_image", base.astype("<u2"), chunks=(1, h, w), compression=bslz4, compression_opts=(0, lz4))
        # Blocks of 16 samples: several blocks, a short last one and samples
        # left over after it.
        put("bslz4_small_blocks", (base / 3.0).astype(">f4"), chunks=(2, h, w), compression=bslz4,
            compression_opts=(16, lz4))
        put("bslz4_u8", (base % 251).astype("u1"), chunks=(2, h, w), compression=bslz4, compression_opts=(0, lz4))
        # Noisy images larger than one default block (4096 samples).
        noisy = 1000 + rng.integers(0, 4, size=(3, 64, 70))
        put("bslz4_noisy", noisy.astype("<u2"), chunks=(1, 64, 70), compression=bslz4, compression_opts=(0, lz4))
        # Left to the library.
        put("contiguous_f64", base / 7.0)
        put("contiguous_i32", base.astype("<i4"))
        put("chunks_cut_rows", base.astype("<u2"), chunks=(1, 3, w))
        put("lz4_plugin", base.astype("<u2"), chunks=(1, h, w), compression=32004)
        if only is None:
            f.create_dataset("never_written", shape=(n, h, w), dtype="<u2", chunks=(1, h, w), fillvalue=7)
        part = f.create_dataset("half_written", shape=(n, h, w), dtype="<u2", chunks=(1, h, w), fillvalue=9)
        part[0:2] = base[0:2]


storage("storage_earliest.h5", "earliest", only=("chunks_two_images", "bslz4_small_blocks"))
storage("storage_latest.h5", "latest")

# damaged_links.h5 and looping_heap.h5 are not made here: they are
# storage_latest.h5 as a fuzzer left it after a few byte changes, files on
# which the HDF5 library crashes while it walks the root group's links, and
# loops for ever reading a string attribute from a broken global heap.
