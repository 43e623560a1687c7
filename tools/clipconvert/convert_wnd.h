// The converter window: a list of clips, the format and the output folder,
// and the conversion itself on a thread of its own.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "export/export.h"
#include "tools/clipconvert/clip_facts.h"
#include "tools/clipconvert/convert_dialogs.h"
#include "tools/clipconvert/work_queue.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

// The list's columns.
enum ClipColumn : int { columnName, columnFrames, columnLength, columnSound, columnResult, columnCount };

class CConvertWnd : public QWidget {
  Q_OBJECT

 public:
  explicit CConvertWnd(QWidget* parent = nullptr);
  ~CConvertWnd() override;

  // Puts the clips that `paths` stand for (files, and folders with every
  // clip below them) at the end of the list; a clip already there is not
  // added again. Their facts are read in the background.
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
  // Files and folders dropped on the window.
  void OnDropFiles(const QStringList& localPaths);

  // The dialogs, replaceable so that tests can answer them.
  std::function<QStringList()> m_chooseClips;
  std::function<QString(const QString& caption)> m_chooseFolder;
  std::function<ReplaceAnswer(const QString& outputPath)> m_askReplace;
  std::function<bool()> m_askStopAndClose;
  std::function<void(const QString& folder)> m_showFolder;

  // What the tests look at.
  QTreeWidget* list() const { return m_list; }
  QString cellText(int row, ClipColumn column) const;
  QComboBox* formatBox() const { return m_format; }
  QRadioButton* besideClipsChoice() const { return m_besideClips; }
  QRadioButton* oneFolderChoice() const { return m_oneFolder; }
  QPushButton* addFilesButton() const { return m_addFiles; }
  QPushButton* addFolderButton() const { return m_addFolder; }
  QPushButton* removeButton() const { return m_remove; }
  QPushButton* chooseFolderButton() const { return m_chooseFolderButton; }
  QPushButton* convertButton() const { return m_convert; }
  QPushButton* cancelButton() const { return m_cancel; }
  QPushButton* openFolderButton() const { return m_openFolder; }
  QProgressBar* clipProgress() const { return m_clipProgress; }
  QProgressBar* listProgress() const { return m_listProgress; }
  QString statusText() const;
  const QString& outputFolder() const { return m_folder; }
  bool converting() const { return m_converting; }
  // Clips whose facts are still being read.
  int clipsBeingRead() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  struct ClipRow {
    uint64_t id = 0;
    QString path;
    bool factsKnown = false;
    ClipFacts facts;
    QTreeWidgetItem* item = nullptr;
  };
  // One clip of a run, as the conversion thread takes it.
  struct ConvertJob {
    uint64_t rowId = 0;
    std::string clip;
    std::string output;
    bool replace = false;
  };

  void CreateControls();
  ClipRow* FindRow(uint64_t id);
  void SetResult(ClipRow& row, const QString& text);
  void UpdateControls();
  void ShowFacts(uint64_t id, const ClipFacts& facts);
  // The part of a run on the conversion thread, and what it reports back.
  void RunJob(uint64_t run, const ConvertJob& job, int position, ExportFormat format);
  void OnJobStarted(uint64_t run, uint64_t rowId, int position);
  void OnJobProgress(uint64_t run, int position, int permille);
  void OnJobFinished(uint64_t run, uint64_t rowId, int position, const ExportResult& result,
                     const QString& output);
  void OnRunFinished(uint64_t run);
  void StopRun();

  QTreeWidget* m_list = nullptr;
  QPushButton* m_addFiles = nullptr;
  QPushButton* m_addFolder = nullptr;
  QPushButton* m_remove = nullptr;
  QComboBox* m_format = nullptr;
  QRadioButton* m_besideClips = nullptr;
  QRadioButton* m_oneFolder = nullptr;
  QLabel* m_folderLabel = nullptr;
  QPushButton* m_chooseFolderButton = nullptr;
  QProgressBar* m_clipProgress = nullptr;
  QProgressBar* m_listProgress = nullptr;
  QLabel* m_status = nullptr;
  QPushButton* m_openFolder = nullptr;
  QPushButton* m_convert = nullptr;
  QPushButton* m_cancel = nullptr;

  std::vector<ClipRow> m_rows;
  uint64_t m_nextRowId = 1;
  QString m_folder;  // the chosen output folder; empty until one is chosen

  // The run: its number (reports of an earlier run are ignored), its size
  // and what has come of it so far.
  bool m_converting = false;
  uint64_t m_run = 0;
  int m_jobCount = 0;
  int m_converted = 0;
  int m_failed = 0;
  QString m_lastOutputFolder;
  std::atomic<bool> m_cancelRequested{false};

  // Declared last: stopped first, while everything their tasks touch lives.
  std::unique_ptr<WorkQueue> m_factsQueue;
  std::unique_ptr<WorkQueue> m_convertQueue;
};
