# What SetUp.exe takes from its Data folder, by name. Sourced by the distribution scripts and
# their tests; keep it in step with acad/demand_load_modules.h and the install/ copies.
# shellcheck shell=bash disable=SC2034  # the variables are read by the scripts that source this file

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  echo "usage: . scripts/payload-names.sh   (sourced by the distribution scripts; does nothing run alone)"
  exit 0
fi

# Copied into the Fonts folder of every selected AutoCAD installation.
TESSA_FONT_FILES=(Quilox_EN.shx Quilox_HZ.shx)
# Copied over AutoCAD 2008's Drv\pdfplot9.hdi.
TESSA_PLOT_DRIVER=Quilox.prt5
# The one sub-folder that is installed (its files only, not its sub-folders).
TESSA_DRAWING_LIBRARY=Quilox扩展绘图库
# The setup leaves these out of the payload copy.
TESSA_SETUP_NAME=SetUp.exe

# Every ARX module a demand-load entry names, with the AutoCAD releases whose entries name it.
TESSA_ARX_MODULES=(
  "Quilox2008.ARX:2007 2008 2009"
  "Quilox2009.ARX:2009"
  "Quilox2010.ARX:2010 2011 2012"
  "Quilox2010_32.ARX:2010"
  "Quilox2013.ARX:2013 2014"
  "Quilox2015.ARX:2015 2016"
  "Quilox2017.ARX:2017"
  "Quilox2018.ARX:2018"
  "Quilox2019.ARX:2019 2020"
  "Quilox2021.ARX:2021 2022 2023 2024"
  "Quilox2025.ARX:2025 2026"
  "Quilox2027.ARX:2027"
)

# The default install folder. Every payload path must fit below it; a user who picks a longer
# path has less room, and the setup then asks about the files that do not fit.
TESSA_DEFAULT_INSTALL_FOLDER='C:\Quilox\Tessarune'
# The setup formats paths into 260-byte buffers: 259 bytes of code page 936 and the NUL.
TESSA_MAX_PATH_BYTES=259
