// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// A small HTTP server on 127.0.0.1 for the update check. It runs in the test's
// own thread: the check's waiting loop serves it. Every request gets the same
// page, or no answer at all, or the headers and the page followed by silence.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTcpServer>

class LocalHttpServer : public QObject {
  Q_OBJECT

 public:
  enum class Behaviour {
    Answer,             // a complete answer, then the connection is closed
    Silent,             // accepts the connection and never says a word
    StallAfterHeaders,  // promises more than the page and stops after it
  };

  explicit LocalHttpServer(Behaviour behaviour, const QByteArray& page = QByteArray());

  // "http://127.0.0.1:PORT/"
  QString Address() const;
  int Connections() const { return m_connections; }

  // An address on which nothing listens (a port that was just given back).
  static QString ClosedAddress();

 private:
  void OnConnection();

  Behaviour m_behaviour;
  QByteArray m_page;
  QTcpServer m_server;
  int m_connections = 0;
};
