#!/bin/sh
# Regenerates the DDS samples of the DDS reader tests with ImageMagick. Each DDS file has a
# PNG twin decoded by ImageMagick itself, so the tests compare our reader with another one.
set -e
cd "$(dirname "$0")"
convert -seed 7 -size 37x21 plasma:red-blue -alpha set -channel A -fx 'i/w' +channel PNG32:rgba.png
convert -seed 11 -size 37x21 plasma:yellow-green -alpha off PNG24:rgb.png
convert rgba.png -define dds:compression=none -define dds:mipmaps=0 rgba_none.dds
convert rgba.png -define dds:compression=dxt1 -define dds:mipmaps=0 rgba_dxt1.dds
convert rgba.png -define dds:compression=dxt5 -define dds:mipmaps=0 rgba_dxt5.dds
convert rgb.png -define dds:compression=none -define dds:mipmaps=0 rgb_none.dds
convert rgb.png -define dds:compression=dxt1 -define dds:mipmaps=2 rgb_dxt1_mips.dds
for f in rgba_none rgba_dxt1 rgba_dxt5 rgb_none rgb_dxt1_mips; do
    convert "$f.dds" PNG32:"$f.dds.png"
done
