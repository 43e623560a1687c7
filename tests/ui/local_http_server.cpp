// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tests/ui/local_http_server.h"

#include <QTcpSocket>
#include <memory>

LocalHttpServer::LocalHttpServer(Behaviour behaviour, const QByteArray& page)
    : m_behaviour(behaviour), m_page(page) {
  m_server.listen(QHostAddress::LocalHost, 0);
  connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::OnConnection);
}

QString LocalHttpServer::Address() const {
  return QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort());
}

QString LocalHttpServer::ClosedAddress() {
  QTcpServer server;
  server.listen(QHostAddress::LocalHost, 0);
  const quint16 port = server.serverPort();
  server.close();
  return QStringLiteral("http://127.0.0.1:%1/").arg(port);
}

void LocalHttpServer::OnConnection() {
  while (QTcpSocket* socket = m_server.nextPendingConnection()) {
    ++m_connections;
    socket->setParent(this);
    if (m_behaviour == Behaviour::Silent) continue;
    auto request = std::make_shared<QByteArray>();
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
      request->append(socket->readAll());
      if (!request->contains("\r\n\r\n")) return;
      const bool complete = m_behaviour == Behaviour::Answer;
      const qsizetype promised = m_page.size() + (complete ? 0 : 1000);
      socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                    QByteArray::number(promised) + "\r\nConnection: close\r\n\r\n" + m_page);
      if (complete) socket->disconnectFromHost();
      request->clear();
    });
  }
}
