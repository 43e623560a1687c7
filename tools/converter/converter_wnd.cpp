// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
#include "tools/converter/converter_wnd.h"

#include <algorithm>
#include <mutex>
#include <numeric>
#include <thread>

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QShortcut>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/icons.h"
#include "tools/converter/converter_paths.h"
#include "tools/converter/converter_texts.h"
#include "ui/dialog_units.h"

namespace ct = converter_texts;

namespace {

// The list's progress counts each file as this many steps.
constexpr int kStepsPerFile = 1000;

// The window's first size and the list's columns, in dialog units.
constexpr int kWindowWidth = 446;
constexpr int kWindowHeight = 320;
constexpr int kNameColumnWidth = 126;
constexpr int kFactColumnWidth = 49;

// A path the file system holds something at, a dangling link included.
bool Occupied(const QString& path) {
  const QFileInfo info(path);
  return info.exists() || info.isSymLink();
}

// A top-level QWidget reaches screen readers as a plain pane; the converter's
// window says that it is a window, as the player's dialog does.
QAccessibleInterface* WindowAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String("CConverterWnd") && object && object->isWidgetType())
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  return nullptr;
}

// A label that screen readers take as the name of `control`.
QLabel* LabelFor(const QString& text, QWidget* control) {
  auto* label = new QLabel(text);
  label->setBuddy(control);
  return label;
}

}  // namespace

void Describe(QWidget* widget, const QString& name, const QString& description) {
  widget->setAccessibleName(name);
  widget->setAccessibleDescription(description);
  widget->setToolTip(description);
  // A spin box's text field is what takes the keyboard: it says the same.
  if (qobject_cast<QAbstractSpinBox*>(widget)) {
    if (auto* field = widget->findChild<QLineEdit*>()) {
      field->setAccessibleName(name);
      field->setAccessibleDescription(description);
    }
  }
}

CConverterWnd::CConverterWnd(ConverterKind kind, QWidget* parent)
    : QWidget(parent),
      m_kind(std::move(kind)),
      m_factsQueue(std::make_unique<WorkQueue>()) {
  const ConverterWords& words = m_kind.words;
  m_chooseFiles = [this, &words] { return AskForFiles(this, Text(words.addFilesCaption), Text(words.fileFilter)); };
  m_chooseFolder = [this](const QString& caption) { return AskForFolder(this, caption); };
  m_askReplace = [this, &words](const QString& output) { return AskToReplace(this, Text(words.title), output); };
  m_askStopAndClose = [this, &words] { return AskToStopAndClose(this, Text(words.title), Text(words.askClose)); };
  m_showFolder = ShowFolder;
  static const bool windowRoleKnown = (QAccessible::installFactory(WindowAccessible), true);
  (void)windowRoleKnown;
  CreateControls();
  UpdateControls();
}

CConverterWnd::~CConverterWnd() {
  StopRun();
  m_closing = true;
  m_factsQueue->Stop();
}

void CConverterWnd::CreateControls() {
  const ConverterWords& words = m_kind.words;
  setWindowTitle(Text(words.title));
  setWindowIcon(ProgramIcon(128));
  setAcceptDrops(true);
  // Sizes in dialog units of the window's font: a larger font makes the
  // window and the list's columns larger with it. The layouts keep every
  // control at least as large as its text needs.
  const DialogUnits units(font());
  resize(units.ToPixels(kWindowWidth, kWindowHeight));

  m_addFiles = new QPushButton(Text(ct::kAddFiles));
  Describe(m_addFiles, Text(ct::kAddFiles), Text(ct::kAddFilesTip));
  m_addFolder = new QPushButton(Text(ct::kAddFolder));
  Describe(m_addFolder, Text(ct::kAddFolder), Text(ct::kAddFolderTip));
  m_remove = new QPushButton(Text(ct::kRemove));
  Describe(m_remove, Text(ct::kRemove), Text(ct::kRemoveTip));
  auto* adding = new QHBoxLayout;
  adding->addWidget(m_addFiles);
  adding->addWidget(m_addFolder);
  adding->addWidget(m_remove);
  adding->addStretch();
  m_rowCommands = adding;

  m_list = new QTreeWidget;
  QStringList headers = {Text(ct::kColumnName)};
  for (const MessagePair& column : m_kind.factColumns) headers << Text(column);
  headers << Text(ct::kColumnResult);
  m_list->setColumnCount(int(headers.size()));
  m_list->setHeaderLabels(headers);
  m_list->setRootIsDecorated(false);
  m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  m_list->setAllColumnsShowFocus(true);
  // A long result names a file first and says what happened last: a text
  // too long for its cell loses its middle, so that both ends stay in sight.
  m_list->setTextElideMode(Qt::ElideMiddle);
  m_list->header()->setStretchLastSection(true);
  m_list->setColumnWidth(0, units.X(kNameColumnWidth));
  // A fact column is as wide as its header needs, and never narrower than its template width.
  for (int column = 1; column < resultColumn(); ++column)
    m_list->setColumnWidth(column, std::max(units.X(kFactColumnWidth), m_list->header()->sectionSizeHint(column)));
  Describe(m_list, Text(words.listName), Text(words.emptyHint));
  auto* removeKey = new QShortcut(QKeySequence::Delete, m_list, nullptr, nullptr, Qt::WidgetShortcut);
  connect(removeKey, &QShortcut::activated, this, &CConverterWnd::OnRemove);

  m_besideInputs = new QRadioButton(Text(words.besideInputs));
  Describe(m_besideInputs, Text(words.besideInputs), Text(words.besideInputsTip));
  m_besideInputs->setChecked(true);
  m_oneFolder = new QRadioButton(Text(ct::kOneFolder));
  Describe(m_oneFolder, Text(ct::kOneFolder), Text(ct::kOneFolderTip));
  // The chosen folder, read by its path (a label's name is what screen
  // readers say of it); shown once there is one, its room kept till then.
  m_folderLabel = new QLabel;
  m_folderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_folderLabel->setAccessibleDescription(Text(ct::kOutputFolder));
  QSizePolicy folderRoom = m_folderLabel->sizePolicy();
  folderRoom.setRetainSizeWhenHidden(true);
  m_folderLabel->setSizePolicy(folderRoom);
  m_folderLabel->hide();
  m_chooseFolderButton = new QPushButton(Text(ct::kChooseFolder));
  Describe(m_chooseFolderButton, Text(ct::kChooseFolder), Text(ct::kChooseFolderTip));
  auto* output = new QHBoxLayout;
  output->addWidget(LabelFor(Text(ct::kSaveTo), m_besideInputs));
  output->addWidget(m_besideInputs);
  output->addWidget(m_oneFolder);
  output->addWidget(m_folderLabel, 1);
  output->addWidget(m_chooseFolderButton);

  m_fileProgress = new QProgressBar;
  m_fileProgress->setRange(0, kStepsPerFile);
  m_fileProgress->setValue(0);
  m_fileProgress->setAccessibleName(Text(words.thisItem));
  m_listProgress = new QProgressBar;
  m_listProgress->setRange(0, kStepsPerFile);
  m_listProgress->setValue(0);
  m_listProgress->setAccessibleName(Text(words.allItems));
  auto* progress = new QGridLayout;
  progress->addWidget(LabelFor(Text(words.thisItem), m_fileProgress), 0, 0);
  progress->addWidget(m_fileProgress, 0, 1);
  progress->addWidget(LabelFor(Text(words.allItems), m_listProgress), 1, 0);
  progress->addWidget(m_listProgress, 1, 1);

  // Its name is its text, so that screen readers hear every change.
  m_status = new QLabel(Text(words.emptyHint));
  m_status->setAccessibleDescription(Text(ct::kStatus));
  m_openFolder = new QPushButton(Text(ct::kOpenOutputFolder));
  Describe(m_openFolder, Text(ct::kOpenOutputFolder), Text(ct::kOpenOutputFolderTip));
  m_convert = new QPushButton(Text(ct::kConvert));
  Describe(m_convert, Text(ct::kConvert), Text(ct::kConvertTip));
  m_convert->setDefault(true);
  m_cancel = new QPushButton(Text(ct::kCancel));
  Describe(m_cancel, Text(ct::kCancel), Text(ct::kCancelTip));
  auto* commands = new QHBoxLayout;
  commands->addWidget(m_status, 1);
  commands->addWidget(m_openFolder);
  commands->addWidget(m_convert);
  commands->addWidget(m_cancel);

  m_layout = new QVBoxLayout(this);
  m_layout->addLayout(adding);
  m_layout->addWidget(m_list, 1);
  m_layout->addLayout(output);
  m_layout->addLayout(progress);
  m_layout->addLayout(commands);

  connect(m_addFiles, &QPushButton::clicked, this, &CConverterWnd::OnAddFiles);
  connect(m_addFolder, &QPushButton::clicked, this, &CConverterWnd::OnAddFolder);
  connect(m_remove, &QPushButton::clicked, this, &CConverterWnd::OnRemove);
  connect(m_oneFolder, &QRadioButton::toggled, this, &CConverterWnd::OnOneFolderChosen);
  connect(m_chooseFolderButton, &QPushButton::clicked, this, &CConverterWnd::OnChooseFolder);
  connect(m_convert, &QPushButton::clicked, this, &CConverterWnd::OnConvert);
  connect(m_cancel, &QPushButton::clicked, this, &CConverterWnd::OnCancel);
  connect(m_openFolder, &QPushButton::clicked, this, &CConverterWnd::OnOpenOutputFolder);
  connect(m_list, &QTreeWidget::itemSelectionChanged, this, &CConverterWnd::UpdateControls);
  connect(m_list, &QTreeWidget::currentItemChanged, this, &CConverterWnd::UpdateControls);
}

void CConverterWnd::PlaceOwnControls(QWidget* options, const QList<QPushButton*>& rowCommands) {
  auto* adding = static_cast<QHBoxLayout*>(m_rowCommands);
  for (QPushButton* button : rowCommands) adding->insertWidget(adding->count() - 1, button);
  if (options) m_layout->insertWidget(2, options);

  // The keyboard walks the window as the eye reads it: the list's commands,
  // the list, the options, where the results go, then the run's commands.
  QList<QWidget*> order = {m_addFiles, m_addFolder, m_remove};
  order += QList<QWidget*>(rowCommands.begin(), rowCommands.end());
  order << m_list;
  if (options)
    for (QWidget* child : options->findChildren<QWidget*>())
      if (child->focusPolicy() & Qt::TabFocus) order << child;
  order << m_besideInputs << m_oneFolder << m_chooseFolderButton << m_openFolder << m_convert << m_cancel;
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

  // Every button keeps room for its text inside its frame, the same room the
  // player's buttons get, whatever the style's own hint allows.
  for (QPushButton* button : findChildren<QPushButton*>())
    button->setMinimumSize(ButtonSizeForText(button, button->text()));
  UpdateControls();
}

void CConverterWnd::UpdateOwnControls(bool) {}

void CConverterWnd::UpdateControls() {
  const bool idle = !m_converting;
  m_remove->setEnabled(idle && !m_list->selectedItems().isEmpty());
  m_besideInputs->setEnabled(idle);
  m_oneFolder->setEnabled(idle);
  m_chooseFolderButton->setEnabled(idle);
  m_convert->setEnabled(idle && !m_rows.empty() && (m_besideInputs->isChecked() || !m_folder.isEmpty()));
  m_cancel->setEnabled(m_converting);
  m_openFolder->setEnabled(idle && !m_lastOutputFolder.isEmpty());
  UpdateOwnControls(idle);
}

int CConverterWnd::resultColumn() const { return int(m_kind.factColumns.size()) + 1; }

QString CConverterWnd::cellText(int row, int column) const {
  const QTreeWidgetItem* item = m_list->topLevelItem(row);
  return item ? item->text(column) : QString();
}

QString CConverterWnd::statusText() const { return m_status->text(); }

int CConverterWnd::filesBeingRead() const {
  int reading = 0;
  for (const Row& row : m_rows) reading += row.factsKnown ? 0 : 1;
  return reading;
}

QString CConverterWnd::convertedOutput(int row) const {
  const Row* found = RowAt(row);
  return found ? found->output : QString();
}

int CConverterWnd::currentRow() const {
  QTreeWidgetItem* item = m_list->currentItem();
  return item ? m_list->indexOfTopLevelItem(item) : -1;
}

CConverterWnd::Row* CConverterWnd::FindRow(uint64_t id) {
  for (Row& row : m_rows)
    if (row.id == id) return &row;
  return nullptr;
}

const CConverterWnd::Row* CConverterWnd::RowAt(int index) const {
  const QTreeWidgetItem* item = m_list->topLevelItem(index);
  for (const Row& row : m_rows)
    if (item && row.item == item) return &row;
  return nullptr;
}

void CConverterWnd::SetResult(Row& row, const QString& text) {
  row.item->setText(resultColumn(), text);
  row.item->setToolTip(resultColumn(), text);
}

void CConverterWnd::AddPaths(const QStringList& paths) {
  QSet<QString> known;
  for (const Row& row : m_rows) known.insert(row.path);
  for (const QString& path : paths) {
    for (const QString& file : FilesUnder(path, m_kind.takesFromFolder)) {
      if (known.contains(file)) continue;
      known.insert(file);
      Row row;
      row.id = m_nextRowId++;
      row.path = file;
      row.item = new QTreeWidgetItem(m_list);
      row.item->setText(0, QFileInfo(file).fileName());
      row.item->setToolTip(0, file);
      row.item->setText(resultColumn(), Text(ct::kReading));
      for (int column = 1; column < resultColumn(); ++column)
        row.item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
      m_rows.push_back(row);

      const uint64_t id = row.id;
      m_factsQueue->Post([this, id, read = m_kind.readFacts, name = file.toStdString()] {
        const RowFacts facts = read(name, &m_closing);
        QMetaObject::invokeMethod(this, [this, id, facts] { ShowFacts(id, facts); }, Qt::QueuedConnection);
      });
    }
  }
  if (!m_rows.empty() && !m_converting) m_status->clear();
  UpdateControls();
}

void CConverterWnd::ShowFacts(uint64_t id, const RowFacts& facts) {
  Row* row = FindRow(id);
  if (!row) return;  // removed meanwhile
  row->factsKnown = true;
  row->problem = facts.problem;
  // A row that a running conversion has already reached keeps its result.
  const bool untouched = row->item->text(resultColumn()) == Text(ct::kReading);
  for (int column = 1; column < resultColumn() && column - 1 < facts.cells.size(); ++column)
    row->item->setText(column, facts.cells[column - 1]);
  if (untouched) SetResult(*row, facts.problem);
}

void CConverterWnd::OnAddFiles() {
  const QStringList files = m_chooseFiles();
  if (!files.isEmpty()) AddPaths(files);
}

void CConverterWnd::OnAddFolder() {
  const QString folder = m_chooseFolder(Text(ct::kAddFolderCaption));
  if (!folder.isEmpty()) AddPaths({folder});
}

void CConverterWnd::OnRemove() {
  if (m_converting) return;
  const QList<QTreeWidgetItem*> chosen = m_list->selectedItems();
  std::erase_if(m_rows, [&](const Row& row) { return chosen.contains(row.item); });
  qDeleteAll(chosen);
  if (m_rows.empty()) m_status->setText(Text(m_kind.words.emptyHint));
  UpdateControls();
}

void CConverterWnd::OnOneFolderChosen(bool checked) {
  // Choosing "this folder" before any folder is known asks for one; without
  // an answer the outputs stay beside the inputs.
  if (checked && m_folder.isEmpty()) {
    OnChooseFolder();
    if (m_folder.isEmpty()) m_besideInputs->setChecked(true);
  }
  UpdateControls();
}

void CConverterWnd::OnChooseFolder() {
  const QString folder = m_chooseFolder(Text(ct::kOutputFolderCaption));
  if (!folder.isEmpty()) {
    m_folder = QFileInfo(folder).absoluteFilePath();
    m_folderLabel->setText(m_folder);
    m_folderLabel->setToolTip(m_folder);
    m_folderLabel->show();
    m_oneFolder->setChecked(true);
  }
  UpdateControls();
}

struct CConverterWnd::RunQueue {
  std::mutex mutex;
  std::vector<Job> jobs;
  size_t next = 0;     // the first file no thread has taken
  size_t threads = 0;  // those still taking files
};

void CConverterWnd::OnConvert() {
  if (m_converting || m_rows.empty()) return;
  const QString folder = m_oneFolder->isChecked() ? m_folder : QString();
  if (m_oneFolder->isChecked() && folder.isEmpty()) return;
  QString refusal;
  const ConvertOne convert = PrepareRun(refusal);
  if (!convert) {
    m_status->setText(refusal);
    return;
  }
  const QString extension = OutputExtension();

  // Every question is asked before the first file starts, so that the user
  // can walk away once the conversion runs.
  std::vector<Job> jobs;
  QSet<QString> outputs;
  bool replaceAll = false, keepAll = false;
  m_converted = m_failed = 0;
  for (Row& row : m_rows) {
    row.output.clear();
    if (row.factsKnown && !row.problem.isEmpty()) {
      SetResult(row, row.problem);
      ++m_failed;
      continue;
    }
    const QString output = OutputPathFor(row.path, folder, extension);
    if (outputs.contains(output)) {
      SetResult(row, Text(m_kind.words.sameOutput).arg(output));
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
  m_lastOutputJob = -1;
  m_jobCount = int(jobs.size());
  m_jobPermille.assign(jobs.size(), 0);
  m_jobRunning.assign(jobs.size(), false);
  m_fileProgress->setValue(0);
  m_listProgress->setRange(0, std::max(1, m_jobCount) * kStepsPerFile);
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
  const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
  const size_t threads = size_t(std::clamp(std::min(m_kind.atOnce, cores), 1, m_jobCount));
  // The threads of the last run have ended: their last task was the report.
  m_convertQueues.clear();
  auto shared = std::make_shared<RunQueue>();
  shared->jobs = std::move(jobs);
  shared->threads = threads;
  for (size_t i = 0; i < threads; ++i) {
    m_convertQueues.push_back(std::make_unique<WorkQueue>());
    m_convertQueues.back()->Post([this, run, shared, convert] { RunJobs(run, *shared, convert); });
  }
  UpdateControls();
}


// On a conversion thread: the run's files one after another, as long as
// there are any; the last thread to run out says that the run is over.
void CConverterWnd::RunJobs(uint64_t run, RunQueue& jobs, const ConvertOne& convert) {
  for (;;) {
    size_t position = 0;
    {
      std::lock_guard<std::mutex> lock(jobs.mutex);
      if (jobs.next == jobs.jobs.size()) break;
      position = jobs.next++;
    }
    RunJob(run, jobs.jobs[position], int(position), convert);
  }
  std::lock_guard<std::mutex> lock(jobs.mutex);
  if (--jobs.threads == 0)
    QMetaObject::invokeMethod(this, [this, run] { OnRunFinished(run); }, Qt::QueuedConnection);
}

// On the conversion thread.
void CConverterWnd::RunJob(uint64_t run, const Job& job, int position, const ConvertOne& convert) {
  const QString output = QString::fromStdString(job.output);
  RowOutcome outcome;
  if (m_cancelRequested) {
    outcome.cancelled = true;
    outcome.result = Text(ct::kCancelled);
  } else {
    QMetaObject::invokeMethod(
        this, [this, run, id = job.rowId, position] { OnJobStarted(run, id, position); },
        Qt::QueuedConnection);
    // One report for every thousandth at most, however often the converter tells.
    int reported = -1;
    const ProgressReport progress = [this, run, position, &reported](int permille) {
      permille = std::clamp(permille, 0, kStepsPerFile);
      if (permille == reported) return;
      reported = permille;
      QMetaObject::invokeMethod(
          this, [this, run, position, permille] { OnJobProgress(run, position, permille); },
          Qt::QueuedConnection);
    };
    outcome = convert(job.input, job.output, job.replace, progress, &m_cancelRequested);
    if (outcome.cancelled) outcome.result = Text(ct::kCancelled);
  }
  QMetaObject::invokeMethod(
      this,
      [this, run, id = job.rowId, position, outcome, output] {
        OnJobFinished(run, id, position, outcome, output);
      },
      Qt::QueuedConnection);
}

int CConverterWnd::CurrentJob() const {
  const auto running = std::find(m_jobRunning.begin(), m_jobRunning.end(), true);
  return running == m_jobRunning.end() ? -1 : int(running - m_jobRunning.begin());
}

void CConverterWnd::ShowCurrentJob() {
  const int current = CurrentJob();
  if (current < 0) return;
  m_fileProgress->setValue(m_jobPermille[size_t(current)]);
  m_status->setText(Text(ct::kRunning).arg(current + 1).arg(m_jobCount));
}

void CConverterWnd::ShowListProgress() {
  m_listProgress->setValue(std::accumulate(m_jobPermille.begin(), m_jobPermille.end(), 0));
}

void CConverterWnd::OnJobStarted(uint64_t run, uint64_t rowId, int position) {
  if (run != m_run) return;
  if (Row* row = FindRow(rowId)) {
    SetResult(*row, Text(ct::kConverting));
    m_list->scrollToItem(row->item);
  }
  m_jobRunning[size_t(position)] = true;
  ShowCurrentJob();
}

void CConverterWnd::OnJobProgress(uint64_t run, int position, int permille) {
  if (run != m_run) return;
  m_jobPermille[size_t(position)] = permille;
  if (position == CurrentJob()) m_fileProgress->setValue(permille);
  ShowListProgress();
}

void CConverterWnd::OnJobFinished(uint64_t run, uint64_t rowId, int position, const RowOutcome& outcome,
                                  const QString& output) {
  if (run != m_run) return;
  if (outcome.ok) {
    ++m_converted;
    if (position > m_lastOutputJob) {
      m_lastOutputJob = position;
      m_lastOutputFolder = QFileInfo(output).absolutePath();
    }
  } else if (!outcome.cancelled) {
    ++m_failed;
  }
  if (Row* row = FindRow(rowId)) {
    SetResult(*row, outcome.result);
    if (outcome.ok) row->output = output;
  }
  // A cancelled file leaves both bars where it stopped; otherwise the bar
  // goes on to the next file still being converted, if any.
  const bool wasCurrent = position == CurrentJob();
  m_jobRunning[size_t(position)] = false;
  if (!outcome.cancelled) {
    m_jobPermille[size_t(position)] = kStepsPerFile;
    ShowListProgress();
  }
  if (wasCurrent && outcome.ok) m_fileProgress->setValue(kStepsPerFile);
  if (wasCurrent && !m_cancelRequested) ShowCurrentJob();
  UpdateControls();
}

void CConverterWnd::OnRunFinished(uint64_t run) {
  if (run != m_run) return;
  m_converting = false;
  m_status->setText(m_cancelRequested ? Text(ct::kStopped).arg(m_converted)
                                      : Text(ct::kFinished).arg(m_converted).arg(m_failed));
  UpdateControls();
}

void CConverterWnd::OnCancel() {
  if (m_converting) m_cancelRequested = true;
}

void CConverterWnd::OnOpenOutputFolder() {
  if (!m_lastOutputFolder.isEmpty()) m_showFolder(m_lastOutputFolder);
}

void CConverterWnd::StopRun() {
  m_cancelRequested = true;
  // The running conversions see the flag within a fraction of a second and
  // remove their unfinished files; waiting for them is short.
  for (const std::unique_ptr<WorkQueue>& queue : m_convertQueues) queue->Stop();
  if (!m_converting) return;
  m_converting = false;
  ++m_run;  // what the stopped run still has on its way is ignored
  for (Row& row : m_rows) {
    const QString result = row.item->text(resultColumn());
    if (result == Text(ct::kWaiting) || result == Text(ct::kConverting)) SetResult(row, Text(ct::kCancelled));
  }
}

void CConverterWnd::StopAndClose() {
  m_closeWithoutAsking = true;
  close();
  // A window that was never shown takes no close event; the run stops all the same.
  if (m_converting) StopRun();
}

void CConverterWnd::closeEvent(QCloseEvent* event) {
  if (m_converting) {
    if (!m_closeWithoutAsking && !m_askStopAndClose()) {
      event->ignore();
      return;
    }
    StopRun();
    m_status->setText(Text(ct::kStopped).arg(m_converted));
    UpdateControls();
  }
  event->accept();
}

void CConverterWnd::dragEnterEvent(QDragEnterEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      event->acceptProposedAction();
      return;
    }
  }
}

void CConverterWnd::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths << url.toLocalFile();
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  OnDropFiles(paths);
}

void CConverterWnd::OnDropFiles(const QStringList& localPaths) { AddPaths(localPaths); }
