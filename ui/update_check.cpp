// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "ui/update_check.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "ui/language.h"
#include "ui/message_box.h"
#include "ui/site.h"

namespace {

const MessagePair kConnectFailed{"连接 %1 失败！", "connect %1 fail!"};
const MessagePair kUpToDate{"当前版本是最新的！", "current version is the lastest!"};
const MessagePair kNewVersion{"可以去 %1 下载最新版！", "visit %1 to download new version!"};

// The root page is small; anything beyond this is not a page worth reading.
constexpr qsizetype kPageLimitBytes = 4 * 1024 * 1024;

// The system's proxy settings, except for this machine itself.
QNetworkProxy ProxyFor(const QUrl& url) {
  const QHostAddress address(url.host());
  if (url.host() == QStringLiteral("localhost") || address.isLoopback()) return QNetworkProxy::NoProxy;
  const QList<QNetworkProxy> proxies = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
  return proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first();
}

// One connection: requests `url` and waits, with user input held back, until
// the server has answered (`body` null) or the page is complete (`body` given),
// or the time limit has passed. Returns whether the server answered at all:
// an HTTP status (an error page too) or any data.
bool Connect(const QString& url, int timeLimitMs, QByteArray* body) {
  const QUrl target(url);
  QNetworkAccessManager manager;
  manager.setProxy(ProxyFor(target));
  QNetworkReply* reply = manager.get(QNetworkRequest(target));

  bool answered = false;
  QEventLoop loop;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
    if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) answered = true;
    if (answered && !body) loop.quit();
  });
  QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
    answered = true;
    if (!body) {
      loop.quit();
      return;
    }
    body->append(reply->read(kPageLimitBytes - body->size()));
    if (body->size() >= kPageLimitBytes) loop.quit();
  });

  deadline.start(timeLimitMs);
  if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);

  if (reply->isFinished() && reply->error() == QNetworkReply::NoError) answered = true;
  if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) answered = true;
  if (body && answered) body->append(reply->read(kPageLimitBytes - body->size()));
  reply->abort();
  delete reply;
  return answered;
}

// The page's text with its line breaks taken out: the lines run on into one.
QString JoinLines(const QByteArray& bytes) {
  QString text = QString::fromUtf8(bytes);
  text.remove(QStringLiteral("\r\n"));
  text.remove(u'\n');
  return text;
}

}  // namespace

bool ProbeSite(const QString& url, int timeLimitMs) { return Connect(url, timeLimitMs, nullptr); }

bool ReadPage(QString& page, const QString& url, int timeLimitMs) {
  QByteArray body;
  if (!Connect(url, timeLimitMs, &body)) return false;
  page = JoinLines(body);
  return true;
}

std::optional<QString> PublishedVersionTag(const QString& page) {
  const QString marker = QString::fromLatin1(kUpdateMarker);
  const qsizetype markerAt = page.indexOf(marker);
  if (markerAt < 0) return std::nullopt;
  QString rest = page.mid(markerAt);
  const qsizetype closeAt = rest.indexOf(u'>');
  if (closeAt < 0) return std::nullopt;
  rest.truncate(closeAt);

  // Every leading character that occurs anywhere in the marker goes: for a
  // marker followed by digits, that is exactly the marker.
  qsizetype start = 0;
  while (start < rest.size() && marker.contains(rest[start])) ++start;
  rest.remove(0, start);

  const qsizetype blankAt = rest.indexOf(u' ');
  return blankAt < 0 ? QString() : rest.left(blankAt);
}

void CheckForUpdate(QWidget* parent, int timeLimitMs) {
  const QPointer<QWidget> owner(parent);
  const auto tell = [&](const QString& text) {
    // The window may have gone while the check waited for the network.
    if (parent && !owner) return;
    ShowMessageBox(owner, text, QMessageBox::NoIcon);
  };

  const QString site = SiteAddress();
  if (!ProbeSite(site, timeLimitMs)) {
    tell(QString::fromUtf8(kConnectFailed.Text()).arg(site));
    return;
  }
  QString page;
  ReadPage(page, site, timeLimitMs);
  const std::optional<QString> published = PublishedVersionTag(page);
  if (!published) return;
  if (*published == QString::fromLatin1(kVersionTag)) {
    tell(QString::fromUtf8(kUpToDate.Text()));
  } else {
    tell(QString::fromUtf8(kNewVersion.Text()).arg(site));
  }
}
