// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/site.h"

#include <QUrl>

QString SiteAddress() {
  const QString configured = qEnvironmentVariable("ZRVPLAYER_SITE");
  return configured.isEmpty() ? QString::fromLatin1(kDefaultSiteAddress) : configured;
}

QString SiteHostName() {
  const QString address = SiteAddress();
  const QString host = QUrl(address).host();
  return host.isEmpty() ? address : host;
}
