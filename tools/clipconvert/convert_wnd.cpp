#include "tools/clipconvert/convert_wnd.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "player/icons.h"
#include "tools/clipconvert/clip_paths.h"
#include "tools/clipconvert/convert_texts.h"

namespace ct = convert_texts;

namespace {

QString Text(const MessagePair& pair) { return QString::fromUtf8(pair.Text()); }

// The list's progress counts each clip as this many steps.
constexpr int kStepsPerClip = 1000;

QString ProblemText(ClipProblem problem) {
  switch (problem) {
    case ClipProblem::none:
      break;
    case ClipProblem::cannotRead:
      return Text(ct::kCannotRead);
    case ClipProblem::tooLarge:
      return Text(ct::kTooLarge);
    case ClipProblem::noFrame:
      return Text(ct::kNoFrame);
  }
  return {};
}

QString ResultText(const ExportResult& result) {
  if (result.cancelled) return Text(ct::kCancelled);
  if (!result.ok) return Text(ct::kFailed).arg(QString::fromStdString(result.error));
  if (result.damaged_frames > 0)
    return Text(ct::kDamagedFrames).arg(SizeText(result.bytes)).arg(result.damaged_frames);
  return Text(ct::kDone).arg(SizeText(result.bytes));
}

// A path the file system holds something at, a dangling link included.
bool Occupied(const QString& path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

}  // namespace

CConvertWnd::CConvertWnd(QWidget* parent)
    : QWidget(parent),
      m_factsQueue(std::make_unique<WorkQueue>()),
      m_convertQueue(std::make_unique<WorkQueue>()) {
  m_chooseClips = [this] { return AskForClips(this); };
  m_chooseFolder = [this](const QString& caption) { return AskForFolder(this, caption); };
  m_askReplace = [this](const QString& output) { return AskToReplace(this, output); };
  m_askStopAndClose = [this] { return AskToStopAndClose(this); };
  m_showFolder = ShowFolder;
  CreateControls();
  UpdateControls();
}

CConvertWnd::~CConvertWnd() {
  StopRun();
  m_factsQueue->Stop();
}

void CConvertWnd::CreateControls() {
  setWindowTitle(Text(ct::kTitle));
  setWindowIcon(ProgramIcon(128));
  setAcceptDrops(true);
  resize(760, 480);

  m_addFiles = new QPushButton(Text(ct::kAddFiles));
  m_addFolder = new QPushButton(Text(ct::kAddFolder));
  m_remove = new QPushButton(Text(ct::kRemove));
  auto* adding = new QHBoxLayout;
  adding->addWidget(m_addFiles);
  adding->addWidget(m_addFolder);
  adding->addWidget(m_remove);
  adding->addStretch();

  m_list = new QTreeWidget;
  m_list->setColumnCount(columnCount);
  m_list->setHeaderLabels({Text(ct::kColumnName), Text(ct::kColumnFrames), Text(ct::kColumnLength),
                           Text(ct::kColumnSound), Text(ct::kColumnResult)});
  m_list->setRootIsDecorated(false);
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_list->setAllColumnsShowFocus(true);
  m_list->header()->setStretchLastSection(true);
  m_list->setColumnWidth(columnName, 220);
  m_list->setColumnWidth(columnFrames, 70);
  m_list->setColumnWidth(columnLength, 70);
  m_list->setColumnWidth(columnSound, 90);

  m_format = new QComboBox;
  m_format->addItem(Text(ct::kFormatMp4), int(ExportFormat::mp4));
  m_format->addItem(Text(ct::kFormatMkv), int(ExportFormat::mkv));
  auto* format = new QHBoxLayout;
  format->addWidget(new QLabel(Text(ct::kFormat)));
  format->addWidget(m_format);
  format->addStretch();

  m_besideClips = new QRadioButton(Text(ct::kBesideClips));
  m_besideClips->setChecked(true);
  m_oneFolder = new QRadioButton(Text(ct::kOneFolder));
  m_folderLabel = new QLabel;
  m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_chooseFolderButton = new QPushButton(Text(ct::kChooseFolder));
  auto* output = new QHBoxLayout;
  output->addWidget(new QLabel(Text(ct::kSaveTo)));
  output->addWidget(m_besideClips);
  output->addWidget(m_oneFolder);
  output->addWidget(m_folderLabel, 1);
  output->addWidget(m_chooseFolderButton);

  m_clipProgress = new QProgressBar;
  m_clipProgress->setRange(0, kStepsPerClip);
  m_clipProgress->setValue(0);
  m_listProgress = new QProgressBar;
  m_listProgress->setRange(0, kStepsPerClip);
  m_listProgress->setValue(0);
  auto* progress = new QGridLayout;
  progress->addWidget(new QLabel(Text(ct::kThisClip)), 0, 0);
  progress->addWidget(m_clipProgress, 0, 1);
  progress->addWidget(new QLabel(Text(ct::kAllClips)), 1, 0);
  progress->addWidget(m_listProgress, 1, 1);

  m_status = new QLabel(Text(ct::kEmptyHint));
  m_openFolder = new QPushButton(Text(ct::kOpenOutputFolder));
  m_convert = new QPushButton(Text(ct::kConvert));
  m_convert->setDefault(true);
  m_cancel = new QPushButton(Text(ct::kCancel));
  auto* commands = new QHBoxLayout;
  commands->addWidget(m_status, 1);
  commands->addWidget(m_openFolder);
  commands->addWidget(m_convert);
  commands->addWidget(m_cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(adding);
  layout->addWidget(m_list, 1);
  layout->addLayout(format);
  layout->addLayout(output);
  layout->addLayout(progress);
  layout->addLayout(commands);

  connect(m_addFiles, &QPushButton::clicked, this, &CConvertWnd::OnAddFiles);
  connect(m_addFolder, &QPushButton::clicked, this, &CConvertWnd::OnAddFolder);
  connect(m_remove, &QPushButton::clicked, this, &CConvertWnd::OnRemove);
  connect(m_oneFolder, &QRadioButton::toggled, this, &CConvertWnd::OnOneFolderChosen);
  connect(m_chooseFolderButton, &QPushButton::clicked, this, &CConvertWnd::OnChooseFolder);
  connect(m_convert, &QPushButton::clicked, this, &CConvertWnd::OnConvert);
  connect(m_cancel, &QPushButton::clicked, this, &CConvertWnd::OnCancel);
  connect(m_openFolder, &QPushButton::clicked, this, &CConvertWnd::OnOpenOutputFolder);
  connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CConvertWnd::UpdateControls);
}

void CConvertWnd::UpdateControls() {
  const bool idle = !m_converting;
  m_remove->setEnabled(idle && !m_list->selectedItems().isEmpty());
  m_format->setEnabled(idle);
  m_besideClips->setEnabled(idle);
  m_oneFolder->setEnabled(idle);
  m_chooseFolderButton->setEnabled(idle);
  m_convert->setEnabled(idle && !m_rows.empty() && (m_besideClips->isChecked() || !m_folder.isEmpty()));
  m_cancel->setEnabled(m_converting);
  m_openFolder->setEnabled(idle && !m_lastOutputFolder.isEmpty());
}

QString CConvertWnd::cellText(int row, ClipColumn column) const {
  const QTreeWidgetItem* item = m_list->topLevelItem(row);
  return item ? item->text(column) : QString();
}

QString CConvertWnd::statusText() const { return m_status->text(); }

int CConvertWnd::clipsBeingRead() const {
  int reading = 0;
  for (const ClipRow& row : m_rows) reading += row.factsKnown ? 0 : 1;
  return reading;
}

CConvertWnd::ClipRow* CConvertWnd::FindRow(uint64_t id) {
  for (ClipRow& row : m_rows)
    if (row.id == id) return &row;
  return nullptr;
}

void CConvertWnd::SetResult(ClipRow& row, const QString& text) {
  row.item->setText(columnResult, text);
  row.item->setToolTip(columnResult, text);
}

void CConvertWnd::AddPaths(const QStringList& paths) {
  QSet<QString> known;
  for (const ClipRow& row : m_rows) known.insert(row.path);
  for (const QString& path : paths) {
    for (const QString& clip : ClipsUnder(path)) {
      if (known.contains(clip)) continue;
      known.insert(clip);
      ClipRow row;
      row.id = m_nextRowId++;
      row.path = clip;
      row.item = new QTreeWidgetItem(m_list);
      row.item->setText(columnName, QFileInfo(clip).fileName());
      row.item->setToolTip(columnName, clip);
      row.item->setText(columnResult, Text(ct::kReading));
      for (int column : {columnFrames, columnLength})
        row.item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
      m_rows.push_back(row);

      const uint64_t id = row.id;
      const std::string file = clip.toStdString();
      m_factsQueue->Post([this, id, file] {
        const ClipFacts facts = ReadClipFacts(file);
        QMetaObject::invokeMethod(this, [this, id, facts] { ShowFacts(id, facts); }, Qt::QueuedConnection);
      });
    }
  }
  if (!m_rows.empty() && !m_converting) m_status->clear();
  UpdateControls();
}

void CConvertWnd::ShowFacts(uint64_t id, const ClipFacts& facts) {
  ClipRow* row = FindRow(id);
  if (!row) return;  // removed meanwhile
  row->factsKnown = true;
  row->facts = facts;
  QTreeWidgetItem* item = row->item;
  // A row that a running conversion has already reached keeps its result.
  const bool untouched = item->text(columnResult) == Text(ct::kReading);
  if (facts.problem != ClipProblem::none) {
    if (untouched) SetResult(*row, ProblemText(facts.problem));
    return;
  }
  item->setText(columnFrames, QString::number(facts.frames));
  item->setText(columnLength, LengthText(facts.lengthMs));
  item->setText(columnSound, Text(!facts.sound         ? ct::kSoundNo
                                  : facts.soundUsable ? ct::kSoundYes
                                                      : ct::kSoundUnusable));
  if (untouched) SetResult(*row, QString());
}

void CConvertWnd::OnAddFiles() {
  const QStringList files = m_chooseClips();
  if (!files.isEmpty()) AddPaths(files);
}

void CConvertWnd::OnAddFolder() {
  const QString folder = m_chooseFolder(Text(ct::kAddFolderCaption));
  if (!folder.isEmpty()) AddPaths({folder});
}

void CConvertWnd::OnRemove() {
  if (m_converting) return;
  const QList<QTreeWidgetItem*> chosen = m_list->selectedItems();
  std::erase_if(m_rows, [&](const ClipRow& row) { return chosen.contains(row.item); });
  qDeleteAll(chosen);
  if (m_rows.empty()) m_status->setText(Text(ct::kEmptyHint));
  UpdateControls();
}

void CConvertWnd::OnOneFolderChosen(bool checked) {
  // Choosing "this folder" before any folder is known asks for one; without
  // an answer the outputs stay beside the clips.
  if (checked && m_folder.isEmpty()) {
    OnChooseFolder();
    if (m_folder.isEmpty()) m_besideClips->setChecked(true);
  }
  UpdateControls();
}

void CConvertWnd::OnChooseFolder() {
  const QString folder = m_chooseFolder(Text(ct::kOutputFolderCaption));
  if (!folder.isEmpty()) {
    m_folder = QFileInfo(folder).absoluteFilePath();
    m_folderLabel->setText(m_folder);
    m_folderLabel->setToolTip(m_folder);
    m_oneFolder->setChecked(true);
  }
  UpdateControls();
}

void CConvertWnd::OnConvert() {
  if (m_converting || m_rows.empty()) return;
  const auto format = ExportFormat(m_format->currentData().toInt());
  const QString folder = m_oneFolder->isChecked() ? m_folder : QString();
  if (m_oneFolder->isChecked() && folder.isEmpty()) return;

  // Every question is asked before the first clip starts, so that the user
  // can walk away once the conversion runs.
  std::vector<ConvertJob> jobs;
  QSet<QString> outputs;
  bool replaceAll = false, keepAll = false;
  m_converted = m_failed = 0;
  for (ClipRow& row : m_rows) {
    if (row.factsKnown && row.facts.problem != ClipProblem::none) {
      SetResult(row, ProblemText(row.facts.problem));
      ++m_failed;
      continue;
    }
    const QString output = OutputPathFor(row.path, folder, format);
    if (outputs.contains(output)) {
      SetResult(row, Text(ct::kSameOutput).arg(output));
      ++m_failed;
      continue;
    }
    outputs.insert(output);
    bool replace = false;
    if (Occupied(output)) {
      ReplaceAnswer answer = replaceAll ? ReplaceAnswer::replace
                             : keepAll  ? ReplaceAnswer::keep
                                        : m_askReplace(output);
      replaceAll = replaceAll || answer == ReplaceAnswer::replaceAll;
      keepAll = keepAll || answer == ReplaceAnswer::keepAll;
      replace = answer == ReplaceAnswer::replace || answer == ReplaceAnswer::replaceAll;
      if (!replace) {
        SetResult(row, Text(ct::kSkippedExists).arg(output));
        continue;
      }
    }
    SetResult(row, Text(ct::kWaiting));
    jobs.push_back({row.id, row.path.toStdString(), output.toStdString(), replace});
  }

  m_lastOutputFolder.clear();
  m_jobCount = int(jobs.size());
  m_clipProgress->setValue(0);
  m_listProgress->setRange(0, std::max(1, m_jobCount) * kStepsPerClip);
  m_listProgress->setValue(0);
  ++m_run;
  if (jobs.empty()) {
    m_status->setText(Text(ct::kFinished).arg(m_converted).arg(m_failed));
    UpdateControls();
    return;
  }
  m_converting = true;
  m_cancelRequested = false;
  const uint64_t run = m_run;
  for (size_t i = 0; i < jobs.size(); ++i)
    m_convertQueue->Post([this, run, job = jobs[i], i, format] { RunJob(run, job, int(i), format); });
  m_convertQueue->Post([this, run] {
    QMetaObject::invokeMethod(this, [this, run] { OnRunFinished(run); }, Qt::QueuedConnection);
  });
  UpdateControls();
}

// On the conversion thread.
void CConvertWnd::RunJob(uint64_t run, const ConvertJob& job, int position, ExportFormat format) {
  const QString output = QString::fromStdString(job.output);
  ExportResult result;
  if (m_cancelRequested) {
    result.cancelled = true;
  } else {
    QMetaObject::invokeMethod(
        this, [this, run, id = job.rowId, position] { OnJobStarted(run, id, position); },
        Qt::QueuedConnection);
    ExportOptions options;
    options.format = format;
    options.force = job.replace;
    options.cancel = &m_cancelRequested;
    // A report for every thousandth of the clip at most, however short its frames.
    int reported = -1;
    options.progress = [this, run, position, &reported](uint32_t done, uint32_t total) {
      const int permille = total ? int(uint64_t(done) * kStepsPerClip / total) : kStepsPerClip;
      if (permille == reported) return;
      reported = permille;
      QMetaObject::invokeMethod(
          this, [this, run, position, permille] { OnJobProgress(run, position, permille); },
          Qt::QueuedConnection);
    };
    result = ExportClip(job.clip, job.output, options);
  }
  QMetaObject::invokeMethod(
      this,
      [this, run, id = job.rowId, position, result, output] {
        OnJobFinished(run, id, position, result, output);
      },
      Qt::QueuedConnection);
}

void CConvertWnd::OnJobStarted(uint64_t run, uint64_t rowId, int position) {
  if (run != m_run) return;
  if (ClipRow* row = FindRow(rowId)) {
    SetResult(*row, Text(ct::kConverting));
    m_list->scrollToItem(row->item);
  }
  m_clipProgress->setValue(0);
  m_status->setText(Text(ct::kRunning).arg(position + 1).arg(m_jobCount));
}

void CConvertWnd::OnJobProgress(uint64_t run, int position, int permille) {
  if (run != m_run) return;
  m_clipProgress->setValue(permille);
  m_listProgress->setValue(position * kStepsPerClip + permille);
}

void CConvertWnd::OnJobFinished(uint64_t run, uint64_t rowId, int position, const ExportResult& result,
                                const QString& output) {
  if (run != m_run) return;
  if (result.ok) {
    ++m_converted;
    m_lastOutputFolder = QFileInfo(output).absolutePath();
  } else if (!result.cancelled) {
    ++m_failed;
  }
  if (ClipRow* row = FindRow(rowId)) SetResult(*row, ResultText(result));
  // A cancelled clip leaves both bars where it stopped.
  if (!result.cancelled) m_listProgress->setValue((position + 1) * kStepsPerClip);
}

void CConvertWnd::OnRunFinished(uint64_t run) {
  if (run != m_run) return;
  m_converting = false;
  m_status->setText(m_cancelRequested ? Text(ct::kStopped).arg(m_converted)
                                      : Text(ct::kFinished).arg(m_converted).arg(m_failed));
  UpdateControls();
}

void CConvertWnd::OnCancel() {
  if (m_converting) m_cancelRequested = true;
}

void CConvertWnd::OnOpenOutputFolder() {
  if (!m_lastOutputFolder.isEmpty()) m_showFolder(m_lastOutputFolder);
}

void CConvertWnd::StopRun() {
  m_cancelRequested = true;
  // The running export stops at its next frame and removes its file.
  m_convertQueue->Stop();
  if (!m_converting) return;
  m_converting = false;
  ++m_run;  // what the stopped run still has on its way is ignored
  for (ClipRow& row : m_rows) {
    const QString result = row.item->text(columnResult);
    if (result == Text(ct::kWaiting) || result == Text(ct::kConverting))
      SetResult(row, Text(ct::kCancelled));
  }
}

void CConvertWnd::closeEvent(QCloseEvent* event) {
  if (m_converting) {
    if (!m_askStopAndClose()) {
      event->ignore();
      return;
    }
    StopRun();
    m_convertQueue = std::make_unique<WorkQueue>();
    m_status->setText(Text(ct::kStopped).arg(m_converted));
    UpdateControls();
  }
  event->accept();
}

void CConvertWnd::dragEnterEvent(QDragEnterEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      event->acceptProposedAction();
      return;
    }
  }
}

void CConvertWnd::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  OnDropFiles(paths);
}

void CConvertWnd::OnDropFiles(const QStringList& localPaths) { AddPaths(localPaths); }
