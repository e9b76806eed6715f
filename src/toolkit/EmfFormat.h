// SPDX-License-Identifier: GPL-3.0-or-later
// EmfFormat: the record types and constants of the published enhanced-metafile format that our
// writer emits and our player understands.
#pragma once

#include <cstdint>

namespace Emf {

// Record types.
constexpr std::uint32_t EMR_HEADER = 1;
constexpr std::uint32_t EMR_POLYGON = 3;
constexpr std::uint32_t EMR_POLYLINE = 4;
constexpr std::uint32_t EMR_POLYPOLYLINE = 7;
constexpr std::uint32_t EMR_POLYPOLYGON = 8;
constexpr std::uint32_t EMR_SETWINDOWEXTEX = 9;
constexpr std::uint32_t EMR_SETWINDOWORGEX = 10;
constexpr std::uint32_t EMR_SETVIEWPORTEXTEX = 11;
constexpr std::uint32_t EMR_SETVIEWPORTORGEX = 12;
constexpr std::uint32_t EMR_EOF = 14;
constexpr std::uint32_t EMR_SETMAPMODE = 17;
constexpr std::uint32_t EMR_SETBKMODE = 18;
constexpr std::uint32_t EMR_SETPOLYFILLMODE = 19;
constexpr std::uint32_t EMR_SETSTRETCHBLTMODE = 21;
constexpr std::uint32_t EMR_SETTEXTALIGN = 22;
constexpr std::uint32_t EMR_SETTEXTCOLOR = 24;
constexpr std::uint32_t EMR_SAVEDC = 33;
constexpr std::uint32_t EMR_RESTOREDC = 34;
constexpr std::uint32_t EMR_SELECTOBJECT = 37;
constexpr std::uint32_t EMR_CREATEPEN = 38;
constexpr std::uint32_t EMR_CREATEBRUSHINDIRECT = 39;
constexpr std::uint32_t EMR_DELETEOBJECT = 40;
constexpr std::uint32_t EMR_RECTANGLE = 43;
constexpr std::uint32_t EMR_BEGINPATH = 59;
constexpr std::uint32_t EMR_ENDPATH = 60;
constexpr std::uint32_t EMR_SELECTCLIPPATH = 67;
constexpr std::uint32_t EMR_EXTSELECTCLIPRGN = 75;
constexpr std::uint32_t EMR_STRETCHDIBITS = 81;
constexpr std::uint32_t EMR_EXTCREATEFONTINDIRECTW = 82;
constexpr std::uint32_t EMR_EXTTEXTOUTW = 84;
constexpr std::uint32_t EMR_EXTCREATEPEN = 95;

constexpr std::uint32_t ENHMETA_SIGNATURE = 0x464D4520; // " EMF"
constexpr std::uint32_t HeaderSize = 108; // header with both extensions, before the description

// Stock objects.
constexpr std::uint32_t WHITE_BRUSH = 0x80000000;
constexpr std::uint32_t BLACK_BRUSH = 0x80000004;
constexpr std::uint32_t NULL_BRUSH = 0x80000005;
constexpr std::uint32_t WHITE_PEN = 0x80000006;
constexpr std::uint32_t BLACK_PEN = 0x80000007;
constexpr std::uint32_t NULL_PEN = 0x80000008;
constexpr std::uint32_t SYSTEM_FONT = 0x8000000D;

constexpr std::uint32_t MM_TEXT = 1;
constexpr std::uint32_t MM_ANISOTROPIC = 8;
constexpr std::uint32_t TRANSPARENT = 1;
constexpr std::uint32_t ALTERNATE = 1;
constexpr std::uint32_t WINDING = 2;
constexpr std::uint32_t RGN_AND = 1;
constexpr std::uint32_t RGN_COPY = 5;
constexpr std::uint32_t TA_BASELINE = 24;
constexpr std::uint32_t TA_BOTTOM = 8;
constexpr std::uint32_t TA_CENTER = 6;
constexpr std::uint32_t TA_RIGHT = 2;
constexpr std::uint32_t COLORONCOLOR = 3;
constexpr std::uint32_t SRCCOPY = 0x00CC0020;

constexpr std::uint32_t PS_NULL = 5;
constexpr std::uint32_t PS_STYLE_MASK = 0xF;
constexpr std::uint32_t PS_ENDCAP_SQUARE = 0x100;
constexpr std::uint32_t PS_ENDCAP_FLAT = 0x200;
constexpr std::uint32_t PS_ENDCAP_MASK = 0xF00;
constexpr std::uint32_t PS_JOIN_BEVEL = 0x1000;
constexpr std::uint32_t PS_JOIN_MITER = 0x2000;
constexpr std::uint32_t PS_JOIN_MASK = 0xF000;
constexpr std::uint32_t PS_GEOMETRIC = 0x10000;
constexpr std::uint32_t BS_SOLID = 0;
constexpr std::uint32_t BS_NULL = 1;

/// Size of a LogFontPanose, the font description our font records carry.
constexpr std::uint32_t LogFontPanoseSize = 320;

} // namespace Emf
