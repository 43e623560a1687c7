// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// Handing a link's target to the desktop's application for it, and learning
// whether that really happened.
#pragma once

#include <QString>

// Asks the desktop (xdg-open, which defers to the desktop's own opener) to
// open `target`. Returns kOpenSucceeded once the target was handed to an
// application: the opener ended successfully, or is still running that
// application after a short wait. Otherwise the reason in the codes of the
// link's error box: kOpenErrorFileNotFound for a file that does not exist,
// kOpenErrorNoAssociation when nothing handles the target or no opener can
// be run.
int OpenWithDesktop(const QString& target);
