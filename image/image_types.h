// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Image type codes and the extension table that picks a format class.
#pragma once

#include <string>

inline constexpr int IMAGE_UNKNOWN = -1;  // take the type from the extension
inline constexpr int IMAGE_BMP = 0;
inline constexpr int IMAGE_JPG = 1;
inline constexpr int IMAGE_GIF = 2;
inline constexpr int IMAGE_XPM = 3;  // known by name, but no class reads it
inline constexpr int IMAGE_PNG = 4;

// The text after the last "." of `path`; empty when the path ends with "."
// or holds no "." at all. A dot in a folder name counts like any other.
std::string FindExtension(const std::string& path);

// The type code of an extension (letter case ignored), IMAGE_UNKNOWN when the
// table does not hold it. Only BMP, GIF, JPG, PNG and XPM are known.
int ImageTypeFromExtension(const std::string& extension);
