// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The update check against a real HTTP server on this machine: the pages it
// can meet, a closed port and a server that never answers.
#include <gtest/gtest.h>

#include "tests/ui/local_http_server.h"
#include "tests/ui/ui_test_support.h"
#include "ui/language.h"
#include "ui/update_check.h"

namespace {

// Long enough for a loaded machine to answer on loopback, short enough that
// the silent server's case ends quickly.
constexpr int kTestLimitMs = 3000;
constexpr int kSilentLimitMs = 300;

QString PageWithTag(const char* tag) {
  return QStringLiteral("<html><head><meta name=\"qorvex_updatedata_zrvplayer_%1 release\"></head></html>")
      .arg(QString::fromLatin1(tag));
}

class UpdateCheckTest : public ::testing::Test {
 protected:
  // Runs the whole check against `site` and returns the texts of the boxes it showed.
  std::vector<QString> CheckAgainst(const QString& site, int limitMs = kTestLimitMs) {
    const ScopedEnv siteVariable("ZRVPLAYER_SITE", site.toStdString());
    const size_t before = m_messages.boxes().size();
    CheckForUpdate(nullptr, limitMs);
    std::vector<QString> texts;
    for (size_t i = before; i < m_messages.boxes().size(); ++i) texts.push_back(m_messages.boxes()[i].text);
    return texts;
  }

  std::vector<QString> CheckPage(const QString& page) {
    LocalHttpServer server(LocalHttpServer::Behaviour::Answer, page.toUtf8());
    return CheckAgainst(server.Address());
  }

  RecordedMessages m_messages;
};

TEST_F(UpdateCheckTest, OurOwnTagIsUpToDate) {
  LocalHttpServer server(LocalHttpServer::Behaviour::Answer, PageWithTag("18").toUtf8());
  EXPECT_EQ(CheckAgainst(server.Address()), std::vector<QString>{QStringLiteral("当前版本是最新的！")});
  // One connection probes, a second one reads.
  EXPECT_EQ(server.Connections(), 2);

  ASSERT_EQ(m_messages.boxes().size(), 1u);
  EXPECT_EQ(m_messages.boxes()[0].caption, QStringLiteral("ZRV Player"));
  EXPECT_EQ(m_messages.boxes()[0].icon, QMessageBox::NoIcon);
}

TEST_F(UpdateCheckTest, AnyOtherTagAsksForTheDownload) {
  // Older and newer alike, and the empty tag of a marker closed without a blank.
  for (const QString& page : {PageWithTag("19"), PageWithTag("17"), QStringLiteral("<p qorvex_updatedata_zrvplayer_18>")}) {
    LocalHttpServer server(LocalHttpServer::Behaviour::Answer, page.toUtf8());
    EXPECT_EQ(CheckAgainst(server.Address()),
              std::vector<QString>{QStringLiteral("可以去 %1 下载最新版！").arg(server.Address())})
        << page.toStdString();
  }
}

TEST_F(UpdateCheckTest, PageWithoutMarkerOrCloseSaysNothing) {
  EXPECT_TRUE(CheckPage(QStringLiteral("<html><body>ZRV Player 1.8 </body></html>")).empty());
  EXPECT_TRUE(CheckPage(QStringLiteral("qorvex_updatedata_zrvplayer_18 but the tag never closes")).empty());
  EXPECT_TRUE(CheckPage(QString()).empty());
}

TEST_F(UpdateCheckTest, LinesRunTogetherWithoutSeparators) {
  // The tag is split over two lines, CR LF and LF: joined, it is "18" again.
  EXPECT_EQ(CheckPage(QStringLiteral("<meta qorvex_updatedata_zrvplayer_1\r\n8\n x\r\n>")),
            std::vector<QString>{QStringLiteral("当前版本是最新的！")});
}

TEST_F(UpdateCheckTest, UnreachableSiteFailsToConnect) {
  const QString closed = LocalHttpServer::ClosedAddress();
  EXPECT_EQ(CheckAgainst(closed), std::vector<QString>{QStringLiteral("连接 %1 失败！").arg(closed)});
}

TEST_F(UpdateCheckTest, SilentServerIsGivenUpAtTheTimeLimit) {
  LocalHttpServer server(LocalHttpServer::Behaviour::Silent);
  EXPECT_EQ(CheckAgainst(server.Address(), kSilentLimitMs),
            std::vector<QString>{QStringLiteral("连接 %1 失败！").arg(server.Address())});
}

TEST_F(UpdateCheckTest, PageThatStopsHalfwayIsReadAsFarAsItCame) {
  LocalHttpServer server(LocalHttpServer::Behaviour::StallAfterHeaders, PageWithTag("18").toUtf8());
  EXPECT_EQ(CheckAgainst(server.Address(), kSilentLimitMs),
            std::vector<QString>{QStringLiteral("当前版本是最新的！")});
}

TEST_F(UpdateCheckTest, EnglishMessages) {
  const ScopedLanguage english(kLanguageEnglish);
  EXPECT_EQ(CheckPage(PageWithTag("18")), std::vector<QString>{QStringLiteral("current version is the lastest!")});

  LocalHttpServer newer(LocalHttpServer::Behaviour::Answer, PageWithTag("19").toUtf8());
  EXPECT_EQ(CheckAgainst(newer.Address()),
            std::vector<QString>{QStringLiteral("visit %1 to download new version!").arg(newer.Address())});

  const QString closed = LocalHttpServer::ClosedAddress();
  EXPECT_EQ(CheckAgainst(closed), std::vector<QString>{QStringLiteral("connect %1 fail!").arg(closed)});
}

TEST(PublishedVersionTag, ReadsTheFirstMarkerUpToTheFirstBlank) {
  EXPECT_EQ(PublishedVersionTag(QStringLiteral("a qorvex_updatedata_zrvplayer_18 b>")), QStringLiteral("18"));
  // Only the first marker counts, and the tag ends at its first blank.
  EXPECT_EQ(PublishedVersionTag(QStringLiteral("qorvex_updatedata_zrvplayer_17 x qorvex_updatedata_zrvplayer_18 >")),
            QStringLiteral("17"));
  // The marker's letters go as a set: an "e" straight after it goes with them.
  EXPECT_EQ(PublishedVersionTag(QStringLiteral("qorvex_updatedata_zrvplayer_e18 >")), QStringLiteral("18"));
  EXPECT_EQ(PublishedVersionTag(QStringLiteral("qorvex_updatedata_zrvplayer_18>")), QString());
  EXPECT_EQ(PublishedVersionTag(QStringLiteral("QORVEX_UPDATEDATA_ZRVPLAYER_18 >")), std::nullopt);
  EXPECT_EQ(PublishedVersionTag(QStringLiteral("> qorvex_updatedata_zrvplayer_18 ")), std::nullopt);
}

}  // namespace
