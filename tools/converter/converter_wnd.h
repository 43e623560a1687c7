// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright 2026 ZRV Player developers
// The window both converters are made of: a list of input files read in the
// background, the output choice (beside each input or one folder), the run
// on a thread of its own with a bar for the current file and one for the
// list, the replace question, and "Open output folder". A converter adds its
// own options and says, through ConverterKind and three overrides, what it
// reads and how it converts one file.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/converter/converter_dialogs.h"
#include "tools/converter/work_queue.h"
#include "ui/language.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;

// The words that differ between the converters.
struct ConverterWords {
  MessagePair title;
  MessagePair emptyHint;        // the status line while the list is empty
  MessagePair listName;         // the list, for screen readers
  MessagePair besideInputs;     // the output choice "beside each ..."
  MessagePair besideInputsTip;
  MessagePair thisItem;         // the label of the current file's bar
  MessagePair allItems;         // the label of the list's bar
  MessagePair addFilesCaption;  // the file dialog's caption
  MessagePair fileFilter;       // and its filter, in QFileDialog's form
  MessagePair askClose;         // asked when the window closes during a run
  MessagePair sameOutput;       // a row whose output another row takes; %1 the output
};

// What was read of one input file, for its row.
struct RowFacts {
  QString problem;    // why the file cannot be converted; empty when it can
  QStringList cells;  // the texts of the columns between the name and the result
};

// What came of converting one file.
struct RowOutcome {
  bool ok = false;
  bool cancelled = false;
  QString result;  // the row's result text
};

using ProgressReport = std::function<void(int permille)>;
// Converts `input` into `output`, replacing a file there when `replace`. Runs
// on the conversion thread: it must not touch the window. It reports its
// progress in permille and stops soon after `cancel` holds true, leaving no
// output.
using ConvertOne = std::function<RowOutcome(const std::string& input, const std::string& output, bool replace,
                                            const ProgressReport& progress, const std::atomic<bool>* cancel)>;

struct ConverterKind {
  ConverterWords words;
  // The headers of the columns between the name and the result.
  QList<MessagePair> factColumns;
  // Which files of an added folder are taken.
  std::function<bool(const QString& file)> takesFromFolder;
  // Reads one file's facts on the reading thread; must not touch the window.
  // Stops soon after `cancel` holds true (the window is closing).
  std::function<RowFacts(const std::string& path, const std::atomic<bool>* cancel)> readFacts;
  // How many files a run converts at once (no more than the machine has
  // cores): more than one where each conversion keeps one core busy.
  int atOnce = 1;
};

class CConverterWnd : public QWidget {
  Q_OBJECT

 public:
  explicit CConverterWnd(ConverterKind kind, QWidget* parent = nullptr);
  ~CConverterWnd() override;

  // Puts the files that `paths` stand for (files, and folders with the files
  // below them that the converter takes) at the end of the list; a file
  // already there is not added again. Their facts are read in the background.
  void AddPaths(const QStringList& paths);

  // Handlers, one per command.
  void OnAddFiles();
  void OnAddFolder();
  void OnRemove();
  void OnOneFolderChosen(bool checked);
  void OnChooseFolder();
  void OnConvert();
  void OnCancel();
  void OnOpenOutputFolder();
  // Closes the window as "Stop and close" does, without asking: a run stops
  // and its unfinished file is gone when this returns.
  void StopAndClose();
  // Files and folders dropped on the window.
  void OnDropFiles(const QStringList& localPaths);

  // The dialogs, replaceable so that tests can answer them.
  std::function<QStringList()> m_chooseFiles;
  std::function<QString(const QString& caption)> m_chooseFolder;
  std::function<ReplaceAnswer(const QString& outputPath)> m_askReplace;
  std::function<bool()> m_askStopAndClose;
  std::function<void(const QString& folder)> m_showFolder;

  // What the tests look at.
  QTreeWidget* list() const { return m_list; }
  int resultColumn() const;
  QString cellText(int row, int column) const;
  QString resultText(int row) const { return cellText(row, resultColumn()); }
  QRadioButton* besideInputsChoice() const { return m_besideInputs; }
  QRadioButton* oneFolderChoice() const { return m_oneFolder; }
  QPushButton* addFilesButton() const { return m_addFiles; }
  QPushButton* addFolderButton() const { return m_addFolder; }
  QPushButton* removeButton() const { return m_remove; }
  QPushButton* chooseFolderButton() const { return m_chooseFolderButton; }
  QPushButton* convertButton() const { return m_convert; }
  QPushButton* cancelButton() const { return m_cancel; }
  QPushButton* openFolderButton() const { return m_openFolder; }
  QProgressBar* fileProgress() const { return m_fileProgress; }
  QProgressBar* listProgress() const { return m_listProgress; }
  QString statusText() const;
  const QString& outputFolder() const { return m_folder; }
  bool converting() const { return m_converting; }
  // Files whose facts are still being read.
  int filesBeingRead() const;
  // The file the row's last conversion wrote; empty unless it succeeded.
  QString convertedOutput(int row) const;

 protected:
  // The extension of the files this converter writes, for the options now chosen.
  virtual QString OutputExtension() const = 0;
  // The conversion of one file with the options now chosen, or an empty
  // function, with `refusal` saying why, when they cannot be used.
  virtual ConvertOne PrepareRun(QString& refusal) = 0;
  // Enables the converter's own controls; `idle` is false during a run.
  virtual void UpdateOwnControls(bool idle);

  // Called once by the converter's constructor: puts its `options` between
  // the list and the output choice and its `rowCommands` after "Remove", and
  // sets the keyboard order of the whole window.
  void PlaceOwnControls(QWidget* options, const QList<QPushButton*>& rowCommands);
  void UpdateControls();
  // The row the list's cursor is on, or -1.
  int currentRow() const;

  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  struct Row {
    uint64_t id = 0;
    QString path;
    bool factsKnown = false;
    QString problem;
    QString output;  // what the last run wrote for it
    QTreeWidgetItem* item = nullptr;
  };
  // One file of a run, as the conversion thread takes it.
  struct Job {
    uint64_t rowId = 0;
    std::string input;
    std::string output;
    bool replace = false;
  };
  // A run's files, taken in order by the conversion threads.
  struct RunQueue;

  void CreateControls();
  Row* FindRow(uint64_t id);
  const Row* RowAt(int index) const;
  void SetResult(Row& row, const QString& text);
  void ShowFacts(uint64_t id, const RowFacts& facts);
  // The part of a run on the conversion thread, and what it reports back.
  void RunJob(uint64_t run, const Job& job, int position, const ConvertOne& convert);
  void RunJobs(uint64_t run, RunQueue& jobs, const ConvertOne& convert);
  // The file whose bar and number the window shows: the first of those
  // being converted; -1 for none.
  int CurrentJob() const;
  void ShowCurrentJob();
  void ShowListProgress();
  void OnJobStarted(uint64_t run, uint64_t rowId, int position);
  void OnJobProgress(uint64_t run, int position, int permille);
  void OnJobFinished(uint64_t run, uint64_t rowId, int position, const RowOutcome& outcome,
                     const QString& output);
  void OnRunFinished(uint64_t run);
  void StopRun();

  const ConverterKind m_kind;

  QVBoxLayout* m_layout = nullptr;
  QLayout* m_rowCommands = nullptr;
  QTreeWidget* m_list = nullptr;
  QPushButton* m_addFiles = nullptr;
  QPushButton* m_addFolder = nullptr;
  QPushButton* m_remove = nullptr;
  QRadioButton* m_besideInputs = nullptr;
  QRadioButton* m_oneFolder = nullptr;
  QLabel* m_folderLabel = nullptr;
  QPushButton* m_chooseFolderButton = nullptr;
  QProgressBar* m_fileProgress = nullptr;
  QProgressBar* m_listProgress = nullptr;
  QLabel* m_status = nullptr;
  QPushButton* m_openFolder = nullptr;
  QPushButton* m_convert = nullptr;
  QPushButton* m_cancel = nullptr;

  std::vector<Row> m_rows;
  uint64_t m_nextRowId = 1;
  QString m_folder;  // the chosen output folder; empty until one is chosen

  // The run: its number (reports of an earlier run are ignored), its size
  // and what has come of it so far.
  bool m_converting = false;
  uint64_t m_run = 0;
  int m_jobCount = 0;
  int m_converted = 0;
  int m_failed = 0;
  std::vector<int> m_jobPermille;  // each file's progress, by its place in the run
  std::vector<bool> m_jobRunning;
  QString m_lastOutputFolder;       // of the last file in the run's order converted so far
  int m_lastOutputJob = -1;
  std::atomic<bool> m_cancelRequested{false};
  std::atomic<bool> m_closing{false};  // ends a facts read under way
  bool m_closeWithoutAsking = false;

  // Declared last: stopped first, while everything their tasks touch lives.
  std::unique_ptr<WorkQueue> m_factsQueue;
  std::vector<std::unique_ptr<WorkQueue>> m_convertQueues;  // one per file converted at once
};

// Gives `widget` the name and description that screen readers say, in the
// interface's language; the description is also its tool tip.
void Describe(QWidget* widget, const QString& name, const QString& description = QString());
