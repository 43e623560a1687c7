// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The KIO thumbnail plugin: KDE's file managers, file dialogs and image
// browsers show a clip's preview made by the same code as zrvtool thumbnail.
#include <KIO/ThumbnailCreator>
#include <KPluginFactory>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "image/clip_preview.h"
#include "kde/kf_adapter.h"

namespace {

// The thumbnail worker runs every plugin inside one process for many files;
// a clip bigger than this is not read whole into it for a preview.
constexpr qint64 kLargestClip = qint64(256) << 20;
// KIO asks for at most a few hundred pixels; a wrong request must not cost
// a picture of gigabytes.
constexpr int kLargestSide = 4096;

}  // namespace

class ZrvThumbnailCreator : public KIO::ThumbnailCreator {
  Q_OBJECT

 public:
  ZrvThumbnailCreator(QObject* parent, const QVariantList& args) : KIO::ThumbnailCreator(parent, args) {}

  KIO::ThumbnailResult create(const KIO::ThumbnailRequest& request) override {
    if (!request.url().isLocalFile()) return KIO::ThumbnailResult::fail();
    const QSize asked = request.targetSize();
    const int size = std::clamp(std::max(asked.width(), asked.height()), 1, kLargestSide);

    const QString path = request.url().toLocalFile();
    if (QFileInfo(path).size() > kLargestClip) return KIO::ThumbnailResult::fail();
    LoadedClip clip;
    if (LoadClipFile(QFile::encodeName(path).toStdString(), clip) != ClipLoadStatus::ok)
      return KIO::ThumbnailResult::fail();
    RgbPicture preview(0, 0);
    if (!MakeClipPreview(clip, size, preview)) return KIO::ThumbnailResult::fail();
    return KIO::ThumbnailResult::pass(ToQImage(preview));
  }
};

K_PLUGIN_CLASS_WITH_JSON(ZrvThumbnailCreator, "zrvthumbnail.json")

#include "zrv_thumbnail.moc"
