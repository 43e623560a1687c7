// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// What a screen reader hears of a slider whose range is a technical scale
// (the volume's 0..65535): its position as a percentage, 0 to 100.
#pragma once

class QSlider;

// From now on `slider` reports its value to assistive technologies as a
// percentage of its range.
void ReportValueAsPercent(QSlider* slider);
